#pragma once
// Why a connection could not be made, as one sentence for the person who asked for it.

#include <string>
#include <string_view>

namespace sg {

// For an errno value of FtpSocket::ConnectError (refused, timed out, unreachable, ...);
// `server` is the "host:port" that was asked.
std::string ConnectErrorText(int error, std::string_view server);
// For a getaddrinfo code of FtpSocket::ResolveHost (name not found, no name server, ...).
std::string LookupErrorText(int code, std::string_view name);

}  // namespace sg
