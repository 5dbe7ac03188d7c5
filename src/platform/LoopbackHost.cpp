#include "platform/LoopbackHost.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>

#include "platform/Ansi.h"

namespace sg {
namespace {

bool IsLoopbackV6(const std::string& text) {
    in6_addr address{};
    if (::inet_pton(AF_INET6, text.c_str(), &address) != 1) {
        return false;
    }
    if (IN6_IS_ADDR_LOOPBACK(&address)) {
        return true;
    }
    // ::ffff:127.x.x.x names the IPv4 loopback.
    return IN6_IS_ADDR_V4MAPPED(&address) && address.s6_addr[12] == 127;
}

}  // namespace

bool IsLoopbackHost(std::string_view hostOrUrl) {
    std::string_view rest = hostOrUrl;
    if (StartsWithNoCase(rest, "http://")) {
        rest.remove_prefix(7);
    } else if (StartsWithNoCase(rest, "https://")) {
        rest.remove_prefix(8);
    }
    rest = rest.substr(0, rest.find_first_of("/?#"));
    // Credentials before the host are no part of it.
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos) {
        rest.remove_prefix(at + 1);
    }
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        return close != std::string_view::npos &&
               IsLoopbackV6(std::string(rest.substr(1, close - 1)));
    }
    // Two colons or more and no brackets: an IPv6 address written bare, with no port.
    if (rest.find(':') != rest.rfind(':')) {
        return IsLoopbackV6(std::string(rest));
    }
    std::string host(rest.substr(0, rest.find(':')));
    if (host.ends_with('.')) {
        host.pop_back();
    }
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    const std::string lower = ToLowerAnsi(host);
    return lower == "localhost" || lower.ends_with(".localhost");
}

}  // namespace sg
