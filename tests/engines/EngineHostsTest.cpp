// Where the engine hosts come from: the defaults, SITEGAUGE_ENGINE_HOSTS, the overrides.

#include <gtest/gtest.h>

#include "engines/EngineHosts.h"
#include "support/TempDir.h"

namespace sg {
namespace {

TEST(EngineHostsTest, KeysAndHostSyntax) {
    EXPECT_EQ(EngineHosts::SlotForKey("0"), 0);
    EXPECT_EQ(EngineHosts::SlotForKey("10"), 10);
    EXPECT_EQ(EngineHosts::SlotForKey("2b"), EngineHosts::kAllTheWebSecond);
    EXPECT_EQ(EngineHosts::SlotForKey("5b"), EngineHosts::kEuroseekSecond);
    for (const char* bad : {"", "11", "-1", "01", "3b", "2B", "x", "100"}) {
        EXPECT_EQ(EngineHosts::SlotForKey(bad), -1) << bad;
    }
    EXPECT_TRUE(EngineHosts::IsValidHost("127.0.0.1:8080"));
    EXPECT_TRUE(EngineHosts::IsValidHost("search-1.example.com"));
    EXPECT_TRUE(EngineHosts::IsValidHost("HTTPS://127.0.0.1:8443"));
    for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:8a", "a/b", "a b",
                            "http://x", "host:80:81", "https://", "https://http://x"}) {
        EXPECT_FALSE(EngineHosts::IsValidHost(bad)) << bad;
    }
}

TEST(EngineHostsTest, AssignListAppliesEveryValidEntry) {
    EngineHosts hosts;
    const std::string defaultYahoo = hosts.SearchHost(EngineId::Yahoo);
    EXPECT_EQ(hosts.AssignList(" 0=127.0.0.1:81, 2b=link.test ,,5b=127.0.0.1:82"), kHostsOk);
    EXPECT_EQ(hosts.SearchHost(EngineId::AltaVista), "127.0.0.1:81");
    EXPECT_EQ(hosts.LinkHost(EngineId::AltaVista), "127.0.0.1:81");
    EXPECT_EQ(hosts.LinkHost(EngineId::AllTheWeb), "link.test");
    EXPECT_NE(hosts.SearchHost(EngineId::AllTheWeb), "link.test");
    EXPECT_EQ(hosts.LinkHost(EngineId::Euroseek), "127.0.0.1:82");

    // A bad entry is reported (the first one) and skipped; the good ones still count.
    EXPECT_EQ(hosts.AssignList("6=y.test,12=z.test,1 x.test,3=bad host"), kHostsBadKey);
    EXPECT_EQ(hosts.SearchHost(EngineId::Yahoo), "y.test");
    EXPECT_NE(defaultYahoo, "y.test");
    EXPECT_EQ(hosts.Assign("1 x.test"), kHostsNoEquals);
    EXPECT_EQ(hosts.Assign("3=bad host"), kHostsBadHost);
    EXPECT_EQ(hosts.SetAll("bad/host"), kHostsBadHost);
    EXPECT_EQ(hosts.SearchHost(EngineId::Yahoo), "y.test");
}

TEST(EngineHostsTest, EnvironmentThenOverrides) {
    ClearEngineHostOverrides();
    const std::string defaultGoogle = EngineHosts().SearchHost(EngineId::Google);
    {
        test::ScopedEnv env(kEngineHostsEnv, "1=127.0.0.1:9001,5b=127.0.0.1:9002,9=no good");
        EngineHosts hosts = CurrentEngineHosts();
        EXPECT_EQ(hosts.SearchHost(EngineId::Google), "127.0.0.1:9001");
        EXPECT_EQ(hosts.LinkHost(EngineId::Euroseek), "127.0.0.1:9002");
        EXPECT_EQ(hosts.SearchHost(EngineId::AskJeeves),
                  EngineHosts().SearchHost(EngineId::AskJeeves));

        // The program's overrides win over the environment, the latest one for a slot.
        EXPECT_EQ(OverrideEngineHost("1=127.0.0.1:9100"), kHostsOk);
        EXPECT_EQ(OverrideEngineHost("1=127.0.0.1:9101"), kHostsOk);
        EXPECT_EQ(OverrideEngineHost("1=not valid"), kHostsBadHost);
        EXPECT_EQ(OverrideEngineHost("11=127.0.0.1:1"), kHostsBadKey);
        EXPECT_EQ(OverrideEngineHost("127.0.0.1:1"), kHostsNoEquals);
        hosts = CurrentEngineHosts();
        EXPECT_EQ(hosts.SearchHost(EngineId::Google), "127.0.0.1:9101");
        EXPECT_EQ(hosts.LinkHost(EngineId::Euroseek), "127.0.0.1:9002");

        EXPECT_EQ(OverrideAllEngineHosts("127.0.0.1:9200"), kHostsOk);
        hosts = CurrentEngineHosts();
        for (int slot = 0; slot < EngineHosts::kSlotCount; ++slot) {
            EXPECT_EQ(hosts.SlotHost(slot), "127.0.0.1:9200") << slot;
        }
        ClearEngineHostOverrides();
        EXPECT_EQ(CurrentEngineHosts().SearchHost(EngineId::Google), "127.0.0.1:9001");
    }
    EXPECT_EQ(CurrentEngineHosts().SearchHost(EngineId::Google), defaultGoogle);
}

}  // namespace
}  // namespace sg
