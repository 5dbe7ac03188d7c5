#include "engines/SearchEngine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "demo/EngineEmulator.h"
#include "engines/EngineCatalogue.h"
#include "engines/MatchResult.h"
#include "engines/RecordingPositionRunStatus.h"
#include "html/UrlText.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<SitePosition> Sites(const std::vector<std::string>& texts) {
    std::vector<SitePosition> sites;
    for (const std::string& text : texts) {
        sites.emplace_back(text);
    }
    return sites;
}

// `count` result addresses that match no site; position n (1-based) is "http://www.rN.test/".
std::vector<std::string> Filler(int count) {
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i) {
        addresses.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    return addresses;
}

std::vector<int> Numbers(const std::vector<std::string>& texts) {
    std::vector<int> numbers;
    for (const std::string& text : texts) {
        numbers.push_back(std::stoi(text));
    }
    return numbers;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> numbers;
    for (int i = from; i <= to; ++i) {
        numbers.push_back(i);
    }
    return numbers;
}

class SearchEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(emulator.Start());
        emulator.PointEngineHostsHere();
    }

    int Search(EngineId id, std::string_view keyword, std::vector<SitePosition>& sites,
               int depth = 0) {
        return SearchEngine(id, PercentEncode(keyword), sites, depth, status);
    }

    int Pages(EngineId id) { return emulator.RequestCount(id, EmulatorQuery::KeywordSearch); }

    // The address of the result page of `id` that starts at `start`, as it was requested.
    std::string RequestedPage(EngineId id, int start) {
        for (const EmulatorRequest& request : emulator.Requests()) {
            if (request.engine == EngineIndex(id) && request.start == start) {
                return "http://" + emulator.Host() + request.target;
            }
        }
        return "(not requested)";
    }

    // Items looked at, in order.
    std::vector<int> Positions() { return Numbers(status.CallsStartingWith("SetPosition")); }

    std::vector<std::string> Warnings() {
        std::vector<std::string> lines;
        for (const auto& line : status.Log()) {
            if (line.icon != PositionRunStatus::LogIcon::kInformation) {
                lines.push_back(line.text);
            }
        }
        return lines;
    }

    // Engine hosts point at the emulator; the request language must not depend on the machine.
    test::ScopedEnv language{"LC_ALL", "fr_FR.UTF-8"};
    EngineEmulator emulator;
    test::RecordingPositionRunStatus status;
};

class EveryEngine : public SearchEngineTest, public ::testing::WithParamInterface<EngineId> {};

// Three sites: on page 1, on page 2, and the first item of page 3. The last find ends the
// engine.
TEST_P(EveryEngine, FindsSitesAcrossPagesAndStopsWhenAllAreFound) {
    const EngineId id = GetParam();
    const std::string name(EngineNames(id).logName);
    const int step = PageStep(id);
    std::vector<std::string> addresses = Filler(2 * step + 5);
    addresses[2] = "http://www.alpha.test/shop";
    addresses[step + 1] = "http://beta.test/";
    addresses[2 * step] = "http://www.gamma.test/x";
    emulator.SetResults(id, "red shoes", addresses);

    std::vector<SitePosition> sites = Sites({"alpha.test", "beta.test", "www.gamma.test"});
    EXPECT_EQ(Search(id, "red shoes", sites), 2 * step + 1);

    EXPECT_EQ(sites[0].position, 3);
    EXPECT_EQ(sites[1].position, step + 2);
    EXPECT_EQ(sites[2].position, 2 * step + 1);
    EXPECT_EQ(sites[0].link, RequestedPage(id, 0));
    EXPECT_EQ(sites[1].link, RequestedPage(id, step));
    EXPECT_EQ(sites[2].link, RequestedPage(id, 2 * step));
    EXPECT_EQ(Pages(id), 3);
    EXPECT_EQ(Positions(), Range(1, 2 * step + 1));
    EXPECT_THAT(Warnings(), IsEmpty());
    EXPECT_THAT(
        status.LogTexts(),
        ElementsAre("Connected to " + name, name + " found alpha.test on position 3",
                    name + " found beta.test on position " + std::to_string(step + 2),
                    name + " found www.gamma.test on position " + std::to_string(2 * step + 1)));
    EXPECT_THAT(status.CallsStartingWith("SetEngineLabel"),
                ElementsAre(EngineNames(id).statusLabel, EngineNames(id).statusLabel,
                            EngineNames(id).statusLabel));
    const bool noTotal = id == EngineId::Overture || id == EngineId::AskJeeves;
    const std::string total = std::to_string(2 * step + 5);
    // AOL states pages of ten, which reads back as ten times their number.
    const std::string aolTotal = std::to_string((2 * step + 5 + 9) / 10 * 10);
    const std::string expectedTotal = noTotal ? "1000" : id == EngineId::AOL ? aolTotal : total;
    EXPECT_THAT(status.CallsStartingWith("SetFoundText"),
                ElementsAre(noTotal ? "No info" : expectedTotal));
    EXPECT_THAT(status.CallsStartingWith("SearchRange"),
                ElementsAre(expectedTotal + " " + (noTotal ? "1,000" : expectedTotal)));
}

INSTANTIATE_TEST_SUITE_P(Scrapers, EveryEngine, ::testing::ValuesIn(kAllEngines),
                         [](const auto& info) {
                             return std::string(EngineNames(info.param).engine);
                         });

TEST_F(SearchEngineTest, DepthStopsRightAfterThatPositionIsChecked) {
    emulator.SetResults(EngineId::Google, "deep", Filler(150));
    std::vector<SitePosition> sites = Sites({"nowhere.test"});
    EXPECT_EQ(Search(EngineId::Google, "deep", sites, 100), 0);
    EXPECT_EQ(Pages(EngineId::Google), 10);
    EXPECT_EQ(RequestedPage(EngineId::Google, 100), "(not requested)");
    EXPECT_EQ(Positions(), Range(1, 100));
    EXPECT_THAT(status.CallsStartingWith("SearchRange"), ElementsAre("100 100"));
    EXPECT_EQ(sites[0].position, 0);
    EXPECT_EQ(sites[0].link, "");

    // No depth: every page down to the total.
    emulator.ClearRequests();
    test::RecordingPositionRunStatus all;
    EXPECT_EQ(SearchEngine(EngineId::Google, "deep", sites, 0, all), 0);
    EXPECT_EQ(emulator.RequestCount(EngineId::Google, EmulatorQuery::KeywordSearch), 15);
    EXPECT_THAT(all.CallsStartingWith("SearchRange"), ElementsAre("150 150"));
}

TEST_F(SearchEngineTest, ShortPageEndsTheEngineWhateverTheTotalSays) {
    emulator.SetResults(EngineId::Google, "seven", Filler(7));
    emulator.SetTotal(EngineId::Google, "seven", 1234567);
    std::vector<SitePosition> sites = Sites({"nowhere.test"});
    EXPECT_EQ(Search(EngineId::Google, "seven", sites, 100), 0);
    EXPECT_EQ(Pages(EngineId::Google), 1);
    EXPECT_EQ(Positions(), Range(1, 7));
    EXPECT_THAT(status.CallsStartingWith("SetFoundText"), ElementsAre("1,234,567"));
    EXPECT_THAT(status.CallsStartingWith("SearchRange"), ElementsAre("100 100"));
}

class LastPageTest : public SearchEngineTest, public ::testing::WithParamInterface<EngineId> {};

TEST_P(LastPageTest, PageWithoutNextMarkIsReadToItsEndAndEndsTheEngine) {
    const EngineId id = GetParam();
    const int step = PageStep(id);
    std::vector<std::string> addresses = Filler(step);
    addresses[1] = "http://www.alpha.test/";
    addresses[step - 1] = "http://www.beta.test/";
    emulator.SetResults(id, "last", addresses);
    emulator.SetTotal(id, "last", 500);
    emulator.SetNextMark(id, "last", NextMark::Never);
    std::vector<SitePosition> sites = Sites({"alpha.test", "beta.test", "gamma.test"});
    EXPECT_EQ(Search(id, "last", sites), 0);
    EXPECT_EQ(Positions(), Range(1, step));
    EXPECT_EQ(sites[0].position, 2);
    EXPECT_EQ(sites[1].position, step);
    EXPECT_EQ(sites[2].position, 0);
    // A full page and a total of 500, but no mark: no further page is asked for.
    EXPECT_EQ(Pages(id), 1);
}

INSTANTIATE_TEST_SUITE_P(Scrapers, LastPageTest,
                         ::testing::Values(EngineId::AltaVista, EngineId::AllTheWeb,
                                           EngineId::Yahoo, EngineId::HotBot),
                         [](const auto& info) {
                             return std::string(EngineNames(info.param).engine);
                         });

TEST_F(SearchEngineTest, LastSiteFoundOnPageTwoEndsTheEngineWithoutPageThree) {
    std::vector<std::string> addresses = Filler(30);
    addresses[2] = "http://www.alpha.test/";
    addresses[13] = "http://www.beta.test/";
    // Both sites in one address: one result matches several sites; the earlier find stays.
    addresses[20] = "http://www.alpha.test/?ref=www.beta.test";
    emulator.SetResults(EngineId::Google, "two", addresses);
    std::vector<SitePosition> sites = Sites({"alpha.test", "beta.test"});
    EXPECT_EQ(Search(EngineId::Google, "two", sites), 14);
    EXPECT_EQ(Pages(EngineId::Google), 2);
    EXPECT_EQ(Positions().back(), 14);
    EXPECT_EQ(sites[0].position, 3);
    EXPECT_EQ(sites[1].position, 14);

    // One result can match several sites; a site keeps its first position.
    std::vector<SitePosition> more = Sites({"alpha.test", "ref=www", "?ref=www.beta"});
    emulator.ClearRequests();
    EXPECT_EQ(Search(EngineId::Google, "two", more), 21);
    EXPECT_EQ(more[0].position, 3);
    EXPECT_EQ(more[1].position, 21);
    EXPECT_EQ(more[2].position, 21);
    EXPECT_EQ(more[2].link, RequestedPage(EngineId::Google, 20));
}

TEST_F(SearchEngineTest, MsnGoesOnAfterAFullPageOnlyWhileBelowItsTotal) {
    emulator.SetResults(EngineId::MSN, "msn", Filler(60));
    emulator.SetTotal(EngineId::MSN, "msn", 30);
    std::vector<SitePosition> sites = Sites({"nowhere.test"});
    Search(EngineId::MSN, "msn", sites);
    // 15 + 15 reaches the total of 30: no third page.
    EXPECT_EQ(Pages(EngineId::MSN), 2);
    EXPECT_EQ(Positions().back(), 30);

    emulator.ClearRequests();
    emulator.SetTotal(EngineId::MSN, "msn", 31);
    Search(EngineId::MSN, "msn", sites);
    EXPECT_EQ(Pages(EngineId::MSN), 3);
    EXPECT_EQ(Positions().back(), 45);
}

TEST_F(SearchEngineTest, MissingNextPageMarkAfterAFullPageEndsTheEngineQuietly) {
    for (EngineId id : {EngineId::MSN, EngineId::Excite}) {
        emulator.SetResults(id, "more", Filler(3 * PageStep(id)));
        emulator.SetNextMark(id, "more", NextMark::Never);
    }
    // Yahoo's page says "Next" (so it is not its last page) but carries no next-page address.
    std::string yahoo = "<html><body>WEB RESULTS out of about <font>5,000</font>\n";
    for (int i = 1; i <= 20; ++i) {
        yahoo += "<div class=yschlp><em>www.r" + std::to_string(i) + ".test</em></div>\n";
    }
    yahoo += "<a href=\"/search?p=more&b=21\">Next &gt;</a></body></html>\n";
    emulator.SetPage(EngineId::Yahoo, "more", 0, yahoo);

    for (EngineId id : {EngineId::MSN, EngineId::Yahoo, EngineId::Excite}) {
        std::vector<SitePosition> sites = Sites({"nowhere.test"});
        EXPECT_EQ(Search(id, "more", sites), 0);
        EXPECT_EQ(Pages(id), 1) << EngineNames(id).engine;
    }
    EXPECT_EQ(Positions(), [] {
        std::vector<int> all = Range(1, 15);
        for (int n : Range(1, 20)) {
            all.push_back(n);
        }
        for (int n : Range(1, 20)) {
            all.push_back(n);
        }
        return all;
    }());
    EXPECT_THAT(Warnings(), IsEmpty());
}

TEST_F(SearchEngineTest, OvertureAndAskJeevesNeedTheirNextPageAddress) {
    for (EngineId id : {EngineId::Overture, EngineId::AskJeeves}) {
        emulator.SetResults(id, "fixed", Filler(2 * PageStep(id)));
        std::vector<SitePosition> sites = Sites({"nowhere.test"});
        EXPECT_EQ(Search(id, "fixed", sites, 500), 0);
        // The second page is full too, but says nothing of a third.
        EXPECT_EQ(Pages(id), 2) << EngineNames(id).engine;
    }
    EXPECT_THAT(status.CallsStartingWith("SetFoundText"), ElementsAre("No info", "No info"));
    EXPECT_THAT(status.CallsStartingWith("SearchRange"), ElementsAre("500 500", "500 500"));
}

TEST_F(SearchEngineTest, SkipAnsweredNoGoesOnWithTheNextItemOfTheSamePage) {
    std::vector<std::string> addresses = Filler(10);
    addresses[4] = "http://www.alpha.test/";
    emulator.SetResults(EngineId::Google, "skip", addresses);
    status.OnCall([this](const std::string& line) {
        if (line == "SetPosition 2") {
            status.PressSkip();
        }
    });
    status.ScriptAnswers({false});
    std::vector<SitePosition> sites = Sites({"alpha.test"});
    EXPECT_EQ(Search(EngineId::Google, "skip", sites), 5);
    EXPECT_THAT(status.CallsStartingWith("Ask"),
                ElementsAre("Are you sure you want to skip current engine ?"));
    EXPECT_EQ(Positions(), Range(1, 5));
    EXPECT_FALSE(status.SkipRequested());
    EXPECT_TRUE(status.SkipEnabled());
    EXPECT_TRUE(status.CloseEnabled());
    EXPECT_THAT(Warnings(), IsEmpty());
}

TEST_F(SearchEngineTest, SkipAnsweredYesEndsTheEngineAtTheNextItem) {
    std::vector<std::string> addresses = Filler(25);
    addresses[20] = "http://www.alpha.test/";
    emulator.SetResults(EngineId::AOL, "skip", addresses);
    status.OnCall([this](const std::string& line) {
        if (line == "SetPosition 12") {
            status.PressSkip();
        }
    });
    std::vector<SitePosition> sites = Sites({"alpha.test"});
    EXPECT_EQ(Search(EngineId::AOL, "skip", sites), 0);
    // Two items of the second page were passed when the request was seen.
    EXPECT_THAT(Warnings(), ElementsAre("User skipped AOL on position 12"));
    EXPECT_EQ(Positions().back(), 12);
    EXPECT_EQ(Pages(EngineId::AOL), 2);
    EXPECT_EQ(sites[0].position, 0);
    // The run, not the scraper, clears a confirmed skip.
    EXPECT_TRUE(status.SkipRequested());
}

TEST_F(SearchEngineTest, StopRequestIsAskedAtTheNextItemAndStaysSetOnYes) {
    emulator.SetResults(EngineId::Euroseek, "stop", Filler(10));
    status.SetRunning(true);
    int presses = 0;
    status.OnCall([&](const std::string& line) {
        if (line == "SetPosition 3" || line == "SetPosition 6") {
            ++presses;
            status.PressClose();
        }
    });
    status.ScriptAnswers({false, true});
    std::vector<SitePosition> sites = Sites({"nowhere.test"});
    EXPECT_EQ(Search(EngineId::Euroseek, "stop", sites), 0);
    EXPECT_EQ(presses, 2);
    EXPECT_THAT(status.CallsStartingWith("Ask"),
                ElementsAre("Are you sure you want to skip searching  ?",
                            "Are you sure you want to skip searching  ?"));
    EXPECT_EQ(Positions(), Range(1, 6));
    EXPECT_THAT(Warnings(), ElementsAre("User skip searching "));
    EXPECT_TRUE(status.StopRequested());
}

TEST_F(SearchEngineTest, ConnectionFailureLogsItsPageAndKeepsEarlierFinds) {
    std::vector<std::string> addresses = Filler(40);
    addresses[1] = "http://www.alpha.test/";
    emulator.SetResults(EngineId::MSN, "fail", addresses);
    status.OnCall([this](const std::string& line) {
        if (line == "SetPosition 15") {
            emulator.SetFailing(EngineId::MSN, true);
        }
    });
    std::vector<SitePosition> sites = Sites({"alpha.test", "beta.test"});
    EXPECT_EQ(Search(EngineId::MSN, "fail", sites), 0);
    EXPECT_THAT(Warnings(), ElementsAre("Couldn't connect to MSN on position 15"));
    EXPECT_EQ(sites[0].position, 2);
    // The failing page answers with no page: one request, not three.
    EXPECT_EQ(Pages(EngineId::MSN), 2);

    test::RecordingPositionRunStatus first;
    emulator.SetFailing(EngineId::AltaVista, true);
    EXPECT_EQ(SearchEngine(EngineId::AltaVista, "x", sites, 100, first), 0);
    EXPECT_THAT(first.LogTexts(), ElementsAre("Couldn't connect to Altavista on position 0"));
    EXPECT_THAT(first.CallsStartingWith("SetEngineLabel"), IsEmpty());

    // An https engine host that speaks no TLS: the line says why.
    test::LoopbackServer plain(
        [](test::LoopbackConnection& conn) { conn.Send("HTTP/1.0 200 OK\r\n\r\n"); });
    const std::string host = "https://127.0.0.1:" + std::to_string(plain.Port());
    ASSERT_EQ(OverrideEngineHost("1=" + host), kHostsOk);
    test::RecordingPositionRunStatus secure;
    EXPECT_EQ(SearchEngine(EngineId::Google, "x", sites, 100, secure), 0);
    ASSERT_EQ(secure.LogTexts().size(), 1u);
    EXPECT_EQ(secure.LogTexts()[0].find("Couldn't connect to Google on position 0 (Could not "
                                        "connect securely to " +
                                        host + "/search?q=x: "),
              0u);
}

TEST_F(SearchEngineTest, PagesWithoutMarkersAndItemsWithoutAddressMarks) {
    std::vector<SitePosition> sites = Sites({"alpha.test"});
    // Nothing configured: a page without any marker ends the engine at once, quietly.
    EXPECT_EQ(Search(EngineId::HotBot, "unknown", sites), 0);
    EXPECT_THAT(Positions(), IsEmpty());
    EXPECT_THAT(status.CallsStartingWith("SetFoundText"), ElementsAre("0"));

    // An item whose address-start marker is missing: AskJeeves compares it from right after
    // its marker, Excite makes no comparison (though the item still takes a position number).
    emulator.SetPage(EngineId::AskJeeves, "bare", 0,
                     "<span class=\"t\">http://www.beta.test</span>"
                     "<span class=\"t\">www.alpha.test</span>");
    emulator.SetPage(EngineId::Excite, "bare", 0,
                     "<span class=\"Heading-Sponsors\">http://www.beta.test</span>"
                     "<span class=\"Heading-Sponsors\">www.alpha.test</span>");
    test::RecordingPositionRunStatus ask;
    std::vector<SitePosition> asked = Sites({"alpha.test", "beta.test"});
    EXPECT_EQ(SearchEngine(EngineId::AskJeeves, "bare", asked, 0, ask), 2);
    EXPECT_EQ(asked[0].position, 2);
    test::RecordingPositionRunStatus excite;
    std::vector<SitePosition> excited = Sites({"alpha.test", "beta.test"});
    EXPECT_EQ(SearchEngine(EngineId::Excite, "bare", excited, 0, excite), 0);
    EXPECT_EQ(excited[0].position, 0);
    EXPECT_EQ(excited[1].position, 1);
    EXPECT_THAT(excite.CallsStartingWith("SetPosition"), ElementsAre("1"));
}

TEST(MatchResult, SiteTextIsAnExactSubstringOfTheAddress) {
    test::RecordingPositionRunStatus status;
    std::vector<SitePosition> sites = Sites({"http://www.alpha.test", "Beta.test"});
    // Yahoo writes its addresses without "http://"; letter case counts.
    EXPECT_FALSE(MatchResult("www.alpha.test/a", sites, 4, "page", "Yahoo", status));
    EXPECT_FALSE(MatchResult("http://www.beta.test/", sites, 5, "page", "Yahoo", status));
    EXPECT_EQ(sites[0].position, 0);
    EXPECT_EQ(sites[1].position, 0);
    EXPECT_FALSE(MatchResult("http://www.alpha.test/", sites, 6, "p6", "Yahoo", status));
    EXPECT_TRUE(MatchResult("www.Beta.test", sites, 7, "p7", "Yahoo", status));
    EXPECT_EQ(sites[0].link, "p6");
    EXPECT_EQ(sites[1].link, "p7");
    EXPECT_THAT(status.LogTexts(), ElementsAre("Yahoo found http://www.alpha.test on position 6",
                                               "Yahoo found Beta.test on position 7"));
}

// A skip pressed while a slow engine's page is on its way is asked about at once, not when the
// page comes: Yes ends the engine without waiting for it, No asks for the same page again.
TEST_F(SearchEngineTest, ASkipDuringASlowPageIsAskedAtOnce) {
    emulator.SetResults(EngineId::Google, "socks", {"http://www.r1.test/", "http://alpha.test/"});
    std::atomic<int> arrivals{0};
    test::LoopbackServer slow(
        [&](test::LoopbackConnection& conn) {
            conn.ReadUntilBlankLine();
            arrivals.fetch_add(1);
            conn.Sleep(std::chrono::milliseconds(1500));
            const std::string body = emulator.ResultPage(EngineId::Google, "socks", 0, "h");
            conn.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body);
        },
        test::LoopbackServer::Serving::Concurrently);
    ASSERT_EQ(OverrideEngineHost("1=127.0.0.1:" + std::to_string(slow.Port())), kHostsOk);
    for (const bool skip : {true, false}) {
        arrivals = 0;
        test::RecordingPositionRunStatus pressed;
        pressed.ScriptAnswers({skip});
        std::vector<SitePosition> sites = Sites({"alpha.test"});
        std::thread button([&] {
            while (arrivals.load() == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            pressed.PressSkip();
        });
        const auto begin = std::chrono::steady_clock::now();
        const int found = SearchEngine(EngineId::Google, "socks", sites, 100, pressed);
        const auto took = std::chrono::steady_clock::now() - begin;
        button.join();
        EXPECT_THAT(pressed.CallsStartingWith("Ask"),
                    ElementsAre("Are you sure you want to skip current engine ?"));
        if (skip) {
            EXPECT_EQ(found, 0);
            EXPECT_LT(took, std::chrono::milliseconds(1000));
            EXPECT_THAT(pressed.LogTexts(), ElementsAre("User skipped Google on position 0"));
            EXPECT_EQ(arrivals.load(), 1);
        } else {
            EXPECT_EQ(found, 2);
            EXPECT_EQ(arrivals.load(), 2);
            EXPECT_THAT(pressed.LogTexts(), ElementsAre("Connected to Google",
                                                        "Google found alpha.test on position 2"));
        }
    }
}

}  // namespace
}  // namespace sg
