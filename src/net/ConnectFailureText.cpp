#include "net/ConnectFailureText.h"

#include <netdb.h>

#include <cerrno>
#include <system_error>

namespace sg {

std::string ConnectErrorText(int error, std::string_view server) {
    const std::string at(server);
    switch (error) {
        case ECONNREFUSED:
            return "The connection to " + at + " was refused: no server answers on that port.";
        case ETIMEDOUT:
            return "The connection to " + at + " timed out: the server did not answer.";
        case ENETUNREACH:
            return "The network of " + at + " cannot be reached from this computer.";
        case EHOSTUNREACH:
            return "The host " + at + " cannot be reached from this computer.";
        case ECONNRESET:
            return "The connection to " + at + " was reset.";
        default:
            // generic_category's text, unlike strerror's buffer, is safe on any thread.
            return "The connection to " + at +
                   " failed: " + std::error_code(error, std::generic_category()).message() + ".";
    }
}

std::string LookupErrorText(int code, std::string_view name) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    switch (code) {
        case EAI_NONAME:
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
            return "The host name " + quoted + " was not found.";
        case EAI_AGAIN:
            return "The host name " + quoted +
                   " could not be looked up: no name server answered. Is this computer online?";
        default:
            return "The host name " + quoted +
                   " could not be looked up: " + std::string(::gai_strerror(code)) + ".";
    }
}

}  // namespace sg
