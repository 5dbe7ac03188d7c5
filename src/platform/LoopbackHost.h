#pragma once
// Addresses of this machine: a site or an engine there is reached over the loopback interface,
// with no network beside it.

#include <string_view>

namespace sg {

// True when the host of `hostOrUrl` is on this machine: 127.0.0.0/8, ::1 (written "[::1]" in
// an address, or bare), "localhost" or a name under ".localhost", letter case aside. Takes a
// host alone or an address with or without "http://" or "https://", a port and a path.
bool IsLoopbackHost(std::string_view hostOrUrl);

}  // namespace sg
