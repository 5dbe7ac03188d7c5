#include "engines/LiveSearch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engines/LiveEngineList.h"
#include "engines/LiveFetch.h"
#include "engines/RecordingPositionRunStatus.h"
#include "html/UrlText.h"
#include "support/LoopbackServer.h"
#include "support/MetasearchStandIn.h"

namespace sg {
namespace {

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
        return SearchLiveEngine(standIn.Address(), engine, PercentEncode(keyword), sites, depth,
                                status);
    }
    std::vector<std::string> Pages() {
        std::vector<std::string> pages;
        for (const std::string& target : standIn.Targets()) {
            pages.push_back(test::MetasearchStandIn::QueryValue(target, "pageno"));
        }
        return pages;
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
                ElementsAre("/search?q=shoes&format=json&engines=google&pageno=1",
                            "/search?q=shoes&format=json&engines=google&pageno=2"));
    EXPECT_THAT(status.LogTexts(),
                ElementsAre("Connected to google", "google found www.alpha.test on position 13",
                            "google found beta.test on position 14"));
    EXPECT_THAT(status.CallsStartingWith("SetFoundText"), ElementsAre("15"));
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

}  // namespace
}  // namespace sg
