#include "platform/Connectivity.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <mutex>

namespace sg {
namespace {
std::mutex checkMutex;
std::function<bool()> customCheck;

bool InterfacesOnline() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return false;
    }
    bool online = false;
    for (ifaddrs* entry = list; entry != nullptr && !online; entry = entry->ifa_next) {
        online =
            entry->ifa_addr != nullptr &&
            (entry->ifa_addr->sa_family == AF_INET || entry->ifa_addr->sa_family == AF_INET6) &&
            (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_LOOPBACK) == 0;
    }
    ::freeifaddrs(list);
    return online;
}
}  // namespace

bool IsOnline() {
    std::function<bool()> check;
    {
        std::lock_guard<std::mutex> lock(checkMutex);
        check = customCheck;
    }
    return check ? check() : InterfacesOnline();
}

void SetOnlineCheck(std::function<bool()> check) {
    std::lock_guard<std::mutex> lock(checkMutex);
    customCheck = std::move(check);
}

}  // namespace sg
