#include "support/IsolatedNetwork.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sg::test {

bool EnterIsolatedNetwork(std::string& why) {
    if (::unshare(CLONE_NEWNET) != 0) {
        why = std::string("unshare(CLONE_NEWNET) failed (run the tests as root): ") +
              std::strerror(errno);
        return false;
    }
    const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = sock >= 0 && ::ioctl(sock, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ::ioctl(sock, SIOCSIFFLAGS, &request) == 0);
    if (sock >= 0) {
        ::close(sock);
    }
    if (!up) {
        why = "loopback could not be brought up in the new network namespace";
        return false;
    }
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        why = "the interfaces of the new namespace could not be listed";
        return false;
    }
    for (const ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
        if (std::strcmp(item->ifa_name, "lo") != 0) {
            why = std::string("the new namespace has an interface besides lo: ") + item->ifa_name;
            ::freeifaddrs(list);
            return false;
        }
    }
    ::freeifaddrs(list);
    return true;
}

}  // namespace sg::test
