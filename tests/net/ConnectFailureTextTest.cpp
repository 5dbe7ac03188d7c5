#include "net/ConnectFailureText.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

namespace sg {
namespace {

// The reasons that loopback cannot produce: each code names its cause, with the server or name.
TEST(ConnectFailureText, EachCodeSaysItsCause) {
    const struct {
        int error;
        const char* expected;
    } connects[] = {
        {ECONNREFUSED, "The connection to h:21 was refused: no server answers on that port."},
        {ETIMEDOUT, "The connection to h:21 timed out: the server did not answer."},
        {ENETUNREACH, "The network of h:21 cannot be reached from this computer."},
        {EHOSTUNREACH, "The host h:21 cannot be reached from this computer."},
        {EACCES, "The connection to h:21 failed: Permission denied."},
    };
    for (const auto& c : connects) {
        EXPECT_EQ(ConnectErrorText(c.error, "h:21"), c.expected) << c.error;
    }
    const struct {
        int code;
        const char* expected;
    } lookups[] = {
        {EAI_NONAME, "The host name \"ftp.example.invalid\" was not found."},
        {EAI_AGAIN,
         "The host name \"ftp.example.invalid\" could not be looked up: no name server "
         "answered. Is this computer online?"},
        {EAI_FAIL,
         "The host name \"ftp.example.invalid\" could not be looked up: Non-recoverable "
         "failure in name resolution."},
    };
    for (const auto& c : lookups) {
        EXPECT_EQ(LookupErrorText(c.code, "ftp.example.invalid"), c.expected) << c.code;
    }
}

}  // namespace
}  // namespace sg
