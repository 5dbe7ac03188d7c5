// Open PageRank through the program's web client, against the loopback stand-in: scores, a
// domain it does not know, a refused key, a quota, no answer; the key only in its header.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/EngineEmulator.h"
#include "engines/OpenPageRank.h"
#include "support/LoopbackServer.h"

namespace sg {
namespace {

constexpr const char* kKey = "k-3f9a1c";

TEST(OpenPageRank, ScoresAndEveryFailureSaidAsSuch) {
    EngineEmulator emulator;
    ASSERT_TRUE(emulator.Start());
    OpenPageRankEmulator& service = emulator.OpenPageRank();
    service.SetKey(kKey);
    service.SetRefusedKey("blocked");
    service.SetScore("example.com", 5.42, 1234);
    const std::vector<std::string> domains = {"example.com", "unknown.org"};
    const std::string address = emulator.OpenPageRankAddress();
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort()) + "/x";

    struct Case {
        const char* name;
        std::string address;
        std::string key;
        int quota;
        int first;
        int second;
        const char* why;
    };
    const Case cases[] = {
        {"scored", address, kKey, -1, kOprOk, kOprNotRanked, "not ranked"},
        {"wrong key", address, "wrong", -1, kOprKeyRefused, kOprKeyRefused,
         "key refused (HTTP 401)"},
        {"blocked key", address, "blocked", -1, kOprKeyRefused, kOprKeyRefused,
         "key refused (HTTP 403)"},
        {"quota spent", address, kKey, 0, kOprQuota, kOprQuota, "quota reached (HTTP 429)"},
        {"no answer", closed, kKey, -1, kOprFailed, kOprFailed, "request failed (no answer)"},
        {"no key", address, "", -1, kOprNoKey, kOprNoKey, "no key given"},
    };
    for (const Case& c : cases) {
        service.SetQuota(c.quota);
        const std::vector<OprScore> scores = AskOpenPageRank(c.address, c.key, domains);
        ASSERT_EQ(scores.size(), 2u) << c.name;
        EXPECT_EQ(scores[0].result, c.first) << c.name;
        EXPECT_EQ(scores[1].result, c.second) << c.name;
        EXPECT_EQ(scores[1].why, c.why) << c.name;
        if (c.first == kOprOk) {
            EXPECT_DOUBLE_EQ(scores[0].score, 5.42);
            EXPECT_EQ(scores[0].rank, 1234);
        } else {
            // A failure is never a score of 0.
            EXPECT_FALSE(scores[0].rank.has_value()) << c.name;
            EXPECT_FALSE(scores[0].why.empty()) << c.name;
        }
    }
    for (const std::string& target : service.Targets()) {
        EXPECT_EQ(target.find(kKey), std::string::npos) << target;
    }
}

TEST(OpenPageRank, AHundredDomainsARequest) {
    EngineEmulator emulator;
    ASSERT_TRUE(emulator.Start());
    emulator.OpenPageRank().SetKey(kKey);
    for (std::size_t count : {kOprDomainsPerRequest, kOprDomainsPerRequest + 1}) {
        std::vector<std::string> domains;
        for (std::size_t i = 0; i < count; ++i) {
            domains.push_back("site" + std::to_string(i) + ".com");
            emulator.OpenPageRank().SetScore(domains.back(), 1.0, static_cast<std::int64_t>(i + 1));
        }
        const std::size_t before = emulator.OpenPageRank().Targets().size();
        const std::vector<OprScore> scores =
            AskOpenPageRank(emulator.OpenPageRankAddress(), kKey, domains);
        EXPECT_EQ(emulator.OpenPageRank().Targets().size() - before, count == 100 ? 1u : 2u);
        ASSERT_EQ(scores.size(), count);
        EXPECT_EQ(scores.back().result, kOprOk);
        EXPECT_EQ(scores.back().rank, static_cast<std::int64_t>(count));
    }
}

}  // namespace
}  // namespace sg
