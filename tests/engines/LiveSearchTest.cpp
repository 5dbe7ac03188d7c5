#include "engines/LiveSearch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engines/LiveEngineList.h"
#include "engines/LiveFetch.h"
#include "engines/MatchResult.h"
#include "engines/RecordingPositionRunStatus.h"
#include "html/UrlText.h"
#include "support/LoopbackServer.h"
#include "support/MetasearchStandIn.h"

namespace sg {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// `count` result addresses that match no site; position n (1-based) is "http://www.rN.test/".
std::vector<std::string> Filler(int count) {
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i) {
        addresses.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    return addresses;
}

class LiveSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLivePagePause(std::chrono::milliseconds(10));
        SetLiveWaits({std::chrono::milliseconds(500), std::chrono::milliseconds(300),
                      std::chrono::milliseconds(1000)});
    }
    void TearDown() override {
        SetLivePagePause(std::chrono::milliseconds(1000));
        SetLiveWaits(LiveWaits());
    }

    int Search(const std::string& engine, std::string_view keyword, int depth = 100) {
        return SearchLiveEngine(standIn.Address(), engine, keyword, sites, depth, status);
    }
    std::vector<std::string> Pages() {
        std::vector<std::string> pages;
        for (const std::string& target : standIn.Targets()) {
            pages.push_back(test::MetasearchStandIn::QueryValue(target, "pageno"));
        }
        return pages;
    }

    static int ParsePageFor(const char* json, LivePage& page) {
        return ParseLivePage(json, "google", page);
    }

    test::MetasearchStandIn standIn;
    test::RecordingPositionRunStatus status;
    std::vector<SitePosition> sites{SitePosition("www.alpha.test"), SitePosition("beta.test")};
};

TEST_F(LiveSearchTest, TheConfigOffersTheEnabledGeneralEnginesAndNoOthers) {
    std::vector<std::string> names;
    std::string problem;
    EXPECT_EQ(FetchLiveEngineList(standIn.Address(), names, problem), kLiveOk);
    EXPECT_THAT(names, ElementsAre("google", "bing"));
    EXPECT_EQ(problem, "");
    EXPECT_THAT(standIn.Targets(), ElementsAre("/config"));

    struct Row {
        const char* json;
        int code;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {R"({"engines": []})", kLiveOk, {}},
        {R"({"engines": [{"name": "a", "categories": ["general"], "enabled": true},
                         {"categories": ["general"], "enabled": true},
                         {"name": "b", "categories": "general", "enabled": true},
                         {"name": "c", "categories": ["general"], "enabled": "yes"}, 7]})",
         kLiveOk,
         {"a"}},
        {R"({"categories": ["general"]})", kLiveNotJson, {}},
        {R"([{"name": "a"}])", kLiveNotJson, {}},
        {R"({"engines": [)", kLiveNotJson, {}},
        {"<html>searx</html>", kLiveNotJson, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseLiveEngineList(row.json, names), row.code) << row.json;
        EXPECT_EQ(names, row.names) << row.json;
    }
}

TEST_F(LiveSearchTest, AnInstanceThatCannotServeTheConfigGivesOneClearLine) {
    struct Row {
        test::MetasearchStandIn::Mode mode;
        int code;
        const char* says;
    };
    const Row rows[] = {
        {test::MetasearchStandIn::Mode::kRefuseJson, kLiveJsonRefused,
         "enable the json format in its settings.yml (search: formats: [html, json])"},
        {test::MetasearchStandIn::Mode::kNotJson, kLiveNotJson, "did not answer with JSON"},
    };
    for (const Row& row : rows) {
        standIn.SetMode(row.mode);
        std::vector<std::string> names{"stale"};
        std::string problem;
        EXPECT_EQ(FetchLiveEngineList(standIn.Address(), names, problem), row.code);
        EXPECT_THAT(names, IsEmpty());
        EXPECT_THAT(problem, HasSubstr(row.says));
        EXPECT_THAT(problem, HasSubstr(standIn.Address()));
    }
    std::vector<std::string> names;
    std::string problem;
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
    EXPECT_EQ(FetchLiveEngineList(closed, names, problem), kLiveUnreachable);
    EXPECT_THAT(problem, HasSubstr("could not be reached"));
}

TEST_F(LiveSearchTest, PositionsCountAcrossPagesAndTheLinkIsTheReadablePage) {
    std::vector<std::string> google = Filler(15);
    google[12] = "https://www.alpha.test/shop";
    google[13] = "http://beta.test/";
    standIn.SetResults("google", google);
    EXPECT_EQ(Search("google", "shoes"), 14);

    EXPECT_EQ(sites[0].position, 13);
    EXPECT_EQ(sites[0].link, standIn.Address() + "/search?q=shoes&engines=google&pageno=2");
    EXPECT_EQ(sites[1].position, 14);
    EXPECT_THAT(standIn.Targets(),
                ElementsAre("/search?q=shoes&format=json&locale=en&engines=google&pageno=1",
                            "/search?q=shoes&format=json&locale=en&engines=google&pageno=2"));
    EXPECT_THAT(status.LogTexts(),
                ElementsAre("Connected to google", "google found www.alpha.test on position 13",
                            "google found beta.test on position 14"));
    // The instance gives no total ("number_of_results" is gone from its answers).
    EXPECT_THAT(status.CallsStartingWith("SetFoundText"), ElementsAre("No info"));
}

TEST_F(LiveSearchTest, TheSearchEndsAtTheDepthOrAtAnEmptyPage) {
    struct Row {
        int results;
        int pageSize;
        int depth;
        std::vector<std::string> pages;
    };
    const Row rows[] = {
        // The site stands at 120, below the depth: two pages of 50 and then no more.
        {150, 50, 100, {"1", "2"}},
        // Twelve results: the third page is empty and ends the engine before the depth.
        {12, 10, 100, {"1", "2", "3"}},
        // No results at all.
        {0, 10, 0, {"1"}},
    };
    for (const Row& row : rows) {
        test::MetasearchStandIn own;
        std::vector<std::string> results = Filler(row.results);
        if (row.results >= 120) {
            results[119] = "http://www.alpha.test/";
        }
        own.SetResults("bing", results);
        own.SetPageSize(row.pageSize);
        std::vector<SitePosition> list{SitePosition("www.alpha.test")};
        EXPECT_EQ(SearchLiveEngine(own.Address(), "bing", "socks", list, row.depth, status), 0);
        EXPECT_EQ(list[0].position, 0) << row.results;
        std::vector<std::string> pages;
        for (const std::string& target : own.Targets()) {
            pages.push_back(test::MetasearchStandIn::QueryValue(target, "pageno"));
        }
        EXPECT_EQ(pages, row.pages) << row.results;
    }
}

TEST_F(LiveSearchTest, AFailedPageEndsTheEngineWithOneErrorLine) {
    struct Row {
        test::MetasearchStandIn::Mode mode;
        const char* says;
    };
    const Row rows[] = {
        {test::MetasearchStandIn::Mode::kRefuseJson, "search: formats: [html, json]"},
        {test::MetasearchStandIn::Mode::kNotJson, "did not answer with JSON"},
        {test::MetasearchStandIn::Mode::kSilent, "could not be reached"},
    };
    for (const Row& row : rows) {
        test::MetasearchStandIn own;
        own.SetMode(row.mode);
        test::RecordingPositionRunStatus log;
        std::vector<SitePosition> list{SitePosition("www.alpha.test")};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(SearchLiveEngine(own.Address(), "google", "socks", list, 100, log), 0);
        // The silent instance is given up within the attempt's bound.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        ASSERT_EQ(log.Log().size(), 1u) << row.says;
        EXPECT_EQ(log.Log()[0].icon, PositionRunStatus::LogIcon::kError);
        EXPECT_THAT(log.Log()[0].text, HasSubstr("Couldn't connect to google on position 0"));
        EXPECT_THAT(log.Log()[0].text, HasSubstr(row.says));
        EXPECT_TRUE(log.HasWarnings());
        EXPECT_EQ(own.Targets().size(), 1u);
        // Failed, not "not found".
        EXPECT_FALSE(list[0].error.empty()) << row.says;
    }
}

TEST_F(LiveSearchTest, AKeywordWithBlanksAndNonAsciiLettersIsEncodedOnce) {
    standIn.SetResults("google", {"http://beta.test/"});
    Search("google",
           "blaue Schuhe \xC3\xBC"
           "ber 50%");
    // The second page, empty, ends the search for the site not found.
    ASSERT_EQ(standIn.Targets().size(), 2u);
    EXPECT_EQ(test::MetasearchStandIn::QueryValue(standIn.Targets()[0], "q"),
              "blaue%20Schuhe%20%C3%BCber%2050%25");
    EXPECT_EQ(sites[1].link, standIn.Address() +
                                 "/search?q=blaue%20Schuhe%20%C3%BCber%2050%25&engines=google"
                                 "&pageno=1");
}

TEST_F(LiveSearchTest, SkipAndStopAreConfirmedAtTheNextResult) {
    std::vector<std::string> google = Filler(20);
    google[15] = "http://www.alpha.test/";
    standIn.SetResults("google", google);

    status.OnCall([this](const std::string& line) {
        if (line == "SetPosition 3") {
            status.PressSkip();
        }
    });
    EXPECT_EQ(Search("google", "a"), 0);
    EXPECT_EQ(sites[0].position, 0);
    EXPECT_THAT(status.CallsStartingWith("LogSkip"),
                ElementsAre("User skipped google on position 3"));
    EXPECT_THAT(Pages(), ElementsAre("1"));

    // Stop: the request answered No goes on; then Yes ends the engine and stays set.
    test::RecordingPositionRunStatus stopping;
    stopping.SetRunning(true);
    stopping.ScriptAnswers({false, true});
    stopping.OnCall([&stopping](const std::string& line) {
        if (line == "SetPosition 2" || line == "SetPosition 12") {
            stopping.CloseCommand();
        }
    });
    std::vector<SitePosition> list{SitePosition("www.alpha.test")};
    EXPECT_EQ(SearchLiveEngine(standIn.Address(), "google", "a", list, 100, stopping), 0);
    EXPECT_EQ(list[0].position, 0);
    EXPECT_THAT(stopping.CallsStartingWith("Ask"),
                ElementsAre("Are you sure you want to skip searching  ?",
                            "Are you sure you want to skip searching  ?"));
    EXPECT_THAT(stopping.CallsStartingWith("LogSkip"), ElementsAre("User skip searching "));
    EXPECT_TRUE(stopping.StopRequested());
}

// The instance merges scheme duplicates and lists results with a picture last; the position is
// the engine's own rank, counted on from the highest rank of each earlier page.
TEST_F(LiveSearchTest, ThePositionIsTheEnginesRankNotThePlaceInTheList) {
    std::vector<std::string> google = Filler(20);
    google[0] = "http://www.dup.test/page";
    google[5] = "https://www.dup.test/page";
    google[8] = "https://www.alpha.test/";
    google[11] = "http://beta.test/";
    standIn.SetResults("google", google);
    standIn.Instance().SetThumbnailRanks("google", {2, 4, 11});
    EXPECT_EQ(Search("google", "shoes"), 12);
    EXPECT_EQ(sites[0].position, 9);
    EXPECT_EQ(sites[1].position, 12);
    EXPECT_EQ(sites[1].link, standIn.Address() + "/search?q=shoes&engines=google&pageno=2");

    // Ranks and the page's highest rank as read from an answer (an old instance without
    // "positions" gives the list order).
    LivePage page;
    ASSERT_EQ(ParsePageFor(R"({"results": [
        {"url": "https://a.test/", "engines": ["google"], "positions": [3]},
        {"url": "https://b.test/", "engines": ["google"], "positions": [1, 6]},
        {"url": "https://c.test/", "engines": ["bing"], "positions": [2]}]})",
                           page),
              kLiveOk);
    std::vector<std::pair<std::int32_t, std::string>> ranks;
    for (const LivePage::Rank& rank : page.ranks) {
        ranks.emplace_back(rank.rank, rank.url);
    }
    EXPECT_THAT(ranks, ElementsAre(std::pair<std::int32_t, std::string>{1, "https://b.test/"},
                                   std::pair<std::int32_t, std::string>{3, "https://a.test/"},
                                   std::pair<std::int32_t, std::string>{6, "https://b.test/"}));
    EXPECT_EQ(page.highestRank, 6);
    EXPECT_TRUE(page.otherEngines);
    ASSERT_EQ(ParsePageFor(R"({"results": [{"url": "x"}, {"url": "y"}]})", page), kLiveOk);
    EXPECT_EQ(page.ranks.back().rank, 2);
}

// An engine the instance lists as unresponsive has failed that page: its sites not found yet
// say why, in place of "not found". A suspended engine is waited for once and asked again.
TEST_F(LiveSearchTest, AFailedOrSuspendedEngineFailsItsSitesWithTheReason) {
    using std::chrono::milliseconds;
    standIn.SetResults("google", {"http://www.alpha.test/", "http://www.r2.test/"});
    standIn.Instance().FailEngine("google", "HTTP error", 1, milliseconds(60000));
    EXPECT_EQ(Search("google", "shoes"), 0);
    EXPECT_EQ(sites[0].error, "HTTP error");
    EXPECT_EQ(sites[0].position, 0);
    EXPECT_THAT(status.CallsStartingWith("LogError"),
                ElementsAre("google failed on position 0: HTTP error"));

    // During the suspension: asked, waited for, asked once more, failed with the reason.
    std::vector<SitePosition> next{SitePosition("www.alpha.test")};
    test::RecordingPositionRunStatus log;
    EXPECT_EQ(SearchLiveEngine(standIn.Address(), "google", "boots", next, 100, log), 0);
    EXPECT_EQ(next[0].error, "Suspended: HTTP error");
    EXPECT_EQ(standIn.Targets().size(), 3u);
    EXPECT_THAT(log.LogTexts(), Contains(HasSubstr("google is suspended by the instance")));

    // A suspension shorter than the pause: the second asking finds the site.
    test::MetasearchStandIn own;
    own.SetResults("bing", {"http://www.r1.test/", "http://www.alpha.test/"});
    own.Instance().FailEngine("bing", "HTTP error", 1, milliseconds(150));
    std::vector<SitePosition> first{SitePosition("www.alpha.test")};
    EXPECT_EQ(SearchLiveEngine(own.Address(), "bing", "boots", first, 100, log), 0);
    EXPECT_EQ(first[0].error, "HTTP error");
    SetLivePagePause(milliseconds(300));
    std::vector<SitePosition> again{SitePosition("www.alpha.test")};
    EXPECT_EQ(SearchLiveEngine(own.Address(), "bing", "boots", again, 100, log), 2);
    EXPECT_EQ(again[0].error, "");
    EXPECT_EQ(own.Targets().size(), 3u);
    SetLivePagePause(milliseconds(10));

    // A site found on page 1 keeps its position when page 2 fails; the other fails.
    test::MetasearchStandIn paged;
    std::vector<std::string> results = Filler(15);
    results[3] = "http://beta.test/";
    paged.SetResults("google", results);
    std::vector<SitePosition> two{SitePosition("www.alpha.test"), SitePosition("beta.test")};
    test::RecordingPositionRunStatus pagedLog;
    pagedLog.OnCall([&paged](const std::string& line) {
        if (line == "SetPosition 10") {
            paged.Instance().FailEngine("google", "timeout", 1, milliseconds(0));
        }
    });
    EXPECT_EQ(SearchLiveEngine(paged.Address(), "google", "boots", two, 100, pagedLog), 0);
    EXPECT_EQ(two[1].position, 4);
    EXPECT_EQ(two[1].error, "");
    EXPECT_EQ(two[0].error, "timeout");
}

// A keyword that the instance would read as its own syntax never reports another engine's
// ranks, or another query's, as the chosen engine's.
TEST_F(LiveSearchTest, AKeywordReadAsQuerySyntaxFailsTheEngine) {
    standIn.SetResults("google", {"http://www.alpha.test/"});
    standIn.SetResults("bing", {"http://beta.test/"});
    struct Row {
        const char* keyword;
        const char* error;
        std::size_t requests;
    };
    const Row rows[] = {
        {"!bing red shoes", "searched \"red shoes\"", 1},
        {"red !bing shoes", "searched \"red shoes\"", 1},
        {":de socks", "searched \"socks\"", 1},
        {"<3 socks", "searched \"socks\"", 1},
        {"!!g socks", "\"!!g\" as its bang syntax", 0},
    };
    for (const Row& row : rows) {
        test::MetasearchStandIn own;
        own.SetResults("google", {"http://www.alpha.test/"});
        own.SetResults("bing", {"http://www.alpha.test/"});
        std::vector<SitePosition> list{SitePosition("www.alpha.test")};
        EXPECT_EQ(SearchLiveEngine(own.Address(), "google", row.keyword, list, 100, status), 0)
            << row.keyword;
        EXPECT_EQ(list[0].position, 0) << row.keyword;
        EXPECT_THAT(list[0].error, HasSubstr(row.error)) << row.keyword;
        EXPECT_EQ(own.Targets().size(), row.requests) << row.keyword;
    }
    // A word that only looks like syntax, and blanks that the instance collapses, are searched.
    for (const char* keyword : {"!important notice", "red   shoes"}) {
        std::vector<SitePosition> list{SitePosition("www.alpha.test")};
        EXPECT_EQ(SearchLiveEngine(standIn.Address(), "google", keyword, list, 100, status), 1)
            << keyword;
    }
}

// Hosts match in their ASCII and their Unicode form, whichever side writes which; the instance
// answers the Unicode form.
TEST_F(LiveSearchTest, InternationalHostsMatchInEitherForm) {
    standIn.SetResults("google", {"http://www.r1.test/", "https://xn--caf-dma.example/menu",
                                  "http://b\xC3\xBC"
                                  "cher.example/"});
    std::vector<SitePosition> list{SitePosition("xn--caf-dma.example"),
                                   SitePosition("caf\xE9.example"),  // the project's 8-bit text
                                   SitePosition("xn--bcher-kva.example")};
    EXPECT_EQ(SearchLiveEngine(standIn.Address(), "google", "menu", list, 100, status), 3);
    EXPECT_EQ(list[0].position, 2);
    EXPECT_EQ(list[1].position, 2);
    EXPECT_EQ(list[2].position, 3);

    const std::vector<std::string> results = {"https://xn--caf-dma.example/menu",
                                              "https://CAF\xC3\x89.example/"};
    for (const std::string& url : results) {
        std::vector<SitePosition> one{SitePosition("caf\xC3\xA9.example")};
        EXPECT_TRUE(MatchResult(url, one, 1, "", "e", status)) << url;
    }
    std::vector<SitePosition> other{SitePosition("cafe.example")};
    EXPECT_FALSE(MatchResult("https://caf\xC3\xA9.example/", other, 1, "", "e", status));
}

}  // namespace
}  // namespace sg
