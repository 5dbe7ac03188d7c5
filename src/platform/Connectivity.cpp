#include "platform/Connectivity.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <algorithm>
#include <mutex>

#include "platform/LoopbackHost.h"

namespace sg {
namespace {
std::mutex checkMutex;
std::function<bool()> customCheck;

// An interface that is up and has an address, a loopback one or another.
bool InterfaceUp(bool loopback) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return false;
    }
    bool up = false;
    for (ifaddrs* entry = list; entry != nullptr && !up; entry = entry->ifa_next) {
        up = entry->ifa_addr != nullptr &&
             (entry->ifa_addr->sa_family == AF_INET || entry->ifa_addr->sa_family == AF_INET6) &&
             (entry->ifa_flags & IFF_UP) != 0 &&
             ((entry->ifa_flags & IFF_LOOPBACK) != 0) == loopback;
    }
    ::freeifaddrs(list);
    return up;
}
}  // namespace

bool IsOnline() {
    std::function<bool()> check;
    {
        std::lock_guard<std::mutex> lock(checkMutex);
        check = customCheck;
    }
    return check ? check() : InterfaceUp(false);
}

bool IsLoopbackUp() {
    return InterfaceUp(true);
}

bool CanReach(const std::vector<std::string>& hosts) {
    const bool local =
        !hosts.empty() && std::all_of(hosts.begin(), hosts.end(),
                                      [](const std::string& host) { return IsLoopbackHost(host); });
    return local ? IsLoopbackUp() : IsOnline();
}

void SetOnlineCheck(std::function<bool()> check) {
    std::lock_guard<std::mutex> lock(checkMutex);
    customCheck = std::move(check);
}

}  // namespace sg
