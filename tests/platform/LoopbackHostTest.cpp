#include "platform/LoopbackHost.h"

#include <gtest/gtest.h>

#include "platform/Connectivity.h"

namespace sg {
namespace {

TEST(LoopbackHost, NamesOfThisMachineInEveryFormAProjectOrAnEngineHostTakes) {
    struct Case {
        const char* hostOrUrl;
        bool local;
    };
    for (const Case& c : {
             Case{"127.0.0.1", true},
             Case{"127.0.0.1:8091/", true},
             Case{"HTTP://127.0.0.1:8091/", true},
             Case{"https://127.2.3.4:8443/a?b#c", true},
             Case{"localhost:8092", true},
             Case{"LocalHost", true},
             Case{"localhost.", true},
             Case{"shop.localhost/x", true},
             Case{"[::1]:8080/", true},
             Case{"https://[::1]/", true},
             Case{"::1", true},
             Case{"[::ffff:127.0.0.1]:80", true},
             Case{"user@localhost:21", true},
             // Look-alikes that are elsewhere.
             Case{"128.0.0.1", false},
             Case{"10.0.0.127", false},
             Case{"localhost.example.com", false},
             Case{"mylocalhost", false},
             Case{"www.shop.com/127.0.0.1", false},
             Case{"[::2]:80", false},
             Case{"[::1", false},
             Case{"127.0.0.1.example.com", false},
             Case{"localhost@evil.com", false},
             Case{"", false},
         }) {
        EXPECT_EQ(IsLoopbackHost(c.hostOrUrl), c.local) << c.hostOrUrl;
    }
}

// The usual check asks whether the machine is online; hosts of this machine need only the
// loopback interface, which is up wherever the tests run.
TEST(LoopbackHost, ReachingHostsOfThisMachineNeedsNoInternet) {
    SetOnlineCheck([] { return false; });
    EXPECT_TRUE(IsLoopbackUp());
    EXPECT_TRUE(CanReach({"127.0.0.1:8091/", "localhost:8092", "[::1]:8093"}));
    EXPECT_FALSE(CanReach({"127.0.0.1:8091/", "www.shop.com"}));
    EXPECT_FALSE(CanReach({}));
    SetOnlineCheck([] { return true; });
    EXPECT_TRUE(CanReach({"www.shop.com"}));
    SetOnlineCheck(nullptr);
}

}  // namespace
}  // namespace sg
