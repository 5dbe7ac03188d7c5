// The emulator against the catalogue: every engine's pages, read with the catalogue's own
// markers and rules over a real loopback connection, give back what the emulator was told.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "demo/EmulatorScript.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineCatalogue.h"
#include "engines/EngineRequest.h"
#include "engines/FormatCount.h"
#include "engines/LinkCountRules.h"
#include "engines/LinkCountUrl.h"
#include "engines/ResultMarkers.h"
#include "engines/SearchUrl.h"
#include "engines/TotalRules.h"
#include "html/UrlText.h"
#include "net/ProxySettings.h"
#include "support/TempDir.h"

namespace sg {
namespace {

// The result addresses on a page, found with the engine's markers (items without an address
// are left out).
std::vector<std::string> ItemsOnPage(EngineId id, std::string_view page) {
    const ResultMarkers& m = EngineResultMarkers(id);
    std::vector<std::string> items;
    for (std::size_t at = page.find(m.item); at != std::string_view::npos;
         at = page.find(m.item, at)) {
        at += m.item.size();
        std::size_t from = at;
        if (!m.addressStart.empty()) {
            const std::size_t start = page.find(m.addressStart, at);
            if (start == std::string_view::npos) {
                continue;
            }
            from = start + m.addressStart.size();
        }
        const std::size_t end = page.find(m.addressEnd, from);
        if (end == std::string_view::npos) {
            continue;
        }
        items.emplace_back(page.substr(from, end - from));
    }
    return items;
}

class EngineEmulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CurrentProxySettings() = ProxySettings{};
        ASSERT_TRUE(emulator.Start());
        emulator.PointEngineHostsHere();
    }

    EngineEmulator emulator;
    test::ScopedEnv language{"LC_ALL", "fr_FR.UTF-8"};
};

TEST_F(EngineEmulatorTest, EveryEngineServesItsResultsPageByPage) {
    const std::string keyword = "blue shoes&socks";
    std::vector<std::string> addresses;
    for (int i = 1; i <= 45; ++i) {
        addresses.push_back("http://site" + std::to_string(i) + ".test/");
    }
    for (EngineId id : kAllEngines) {
        SCOPED_TRACE(std::string(EngineNames(id).engine));
        emulator.SetResults(id, keyword, addresses);
        emulator.SetTotal(id, keyword, 1234567);
        const int step = PageStep(id);
        const bool bare =
            id == EngineId::Excite || id == EngineId::AskJeeves || id == EngineId::AOL;

        std::string next;
        std::vector<std::string> seen;
        for (int start = 0; start < static_cast<int>(addresses.size()); start += step) {
            const std::string url = SearchUrl(id, PercentEncode(keyword), start, next, "fr");
            std::string page;
            ASSERT_EQ(FetchEnginePage(id, EnginePurpose::KeywordSearch, url, page), 0) << url;
            if (start == 0) {
                const std::int64_t expected = HasFixedTotal(id)     ? kFixedTotal
                                              : id == EngineId::AOL ? 1234570
                                                                    : 1234567;
                EXPECT_EQ(EngineTotal(id, page), expected);
            }
            const std::vector<std::string> items = ItemsOnPage(id, page);
            const bool last = start + step >= static_cast<int>(addresses.size());
            EXPECT_EQ(items.size(), last ? addresses.size() - start : step) << "start " << start;
            seen.insert(seen.end(), items.begin(), items.end());
            if (HasLastPageTest(id)) {
                EXPECT_EQ(PageHasNextPage(id, page), !last) << "start " << start;
            }
            if (HasNextPageAddress(id)) {
                next = NextPageAddress(id, page);
                EXPECT_EQ(next.empty(), last) << "start " << start;
            }
        }
        std::vector<std::string> expected = addresses;
        if (bare) {
            std::transform(expected.begin(), expected.end(), expected.begin(),
                           [](const std::string& a) { return a.substr(7); });
        }
        EXPECT_EQ(seen, expected);
        const int pages = (static_cast<int>(addresses.size()) + step - 1) / step;
        EXPECT_EQ(emulator.RequestCount(id, EmulatorQuery::KeywordSearch), pages);
    }
}

TEST_F(EngineEmulatorTest, NextMarksCanBeForcedOnOrOff) {
    const std::vector<std::string> ten(10, "http://x.test/");
    emulator.SetResults(EngineId::AltaVista, "k", ten);
    emulator.SetNextMark(EngineId::AltaVista, "k", NextMark::Always);
    emulator.SetResults(EngineId::Yahoo, "k", std::vector<std::string>(40, "x.test"));
    emulator.SetNextMark(EngineId::Yahoo, "k", NextMark::Never);
    std::string page;
    ASSERT_EQ(FetchEnginePage(EngineId::AltaVista, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::AltaVista, "k", 0, "", ""), page),
              0);
    EXPECT_TRUE(PageHasNextPage(EngineId::AltaVista, page));
    ASSERT_EQ(FetchEnginePage(EngineId::Yahoo, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::Yahoo, "k", 0, "", ""), page),
              0);
    EXPECT_EQ(ItemsOnPage(EngineId::Yahoo, page).size(), 20u);
    EXPECT_FALSE(PageHasNextPage(EngineId::Yahoo, page));
    EXPECT_EQ(NextPageAddress(EngineId::Yahoo, page), "");
}

TEST_F(EngineEmulatorTest, UnknownKeywordsRawPagesAndFailures) {
    std::string page;
    const std::string url = SearchUrl(EngineId::MSN, "unknown", 0, "", "");
    ASSERT_EQ(FetchEnginePage(EngineId::MSN, EnginePurpose::KeywordSearch, url, page), 0);
    EXPECT_EQ(page, EngineEmulator::PageWithoutMarkers());
    EXPECT_EQ(EngineTotal(EngineId::MSN, page), 0);
    EXPECT_TRUE(ItemsOnPage(EngineId::MSN, page).empty());

    emulator.SetPage(EngineId::Google, "raw", 10, "<p class=g><a href=http://raw.test/>");
    ASSERT_EQ(FetchEnginePage(EngineId::Google, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::Google, "raw", 10, "", "fr"), page),
              0);
    EXPECT_EQ(page, "<p class=g><a href=http://raw.test/>");

    emulator.SetFailing(EngineId::Google, true);
    EXPECT_NE(FetchEnginePage(EngineId::Google, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::Google, "raw", 10, "", "fr"), page),
              0);
    EXPECT_EQ(page, "");
    // An answer whole but of a type that is not read (an image) is not asked again.
    EXPECT_EQ(emulator.RequestCount(EngineId::Google, EmulatorQuery::KeywordSearch), 2);
}

TEST_F(EngineEmulatorTest, LinkCountsOfTheNineEngines) {
    const std::string site = "www.a.test/x";
    for (EngineId id : kAllEngines) {
        if (!HasLinkCount(id)) {
            continue;
        }
        SCOPED_TRACE(std::string(EngineNames(id).engine));
        emulator.SetLinkCount(id, site, "1.234");
        std::string page;
        ASSERT_EQ(FetchEnginePage(id, EnginePurpose::LinkCount, LinkCountUrl(id, site), page), 0);
        EXPECT_EQ(FormatCount(LinkCountText(id, page)), id == EngineId::AOL ? "12,340" : "1,234");
        // A site nobody configured gets a page without the count's marker.
        ASSERT_EQ(
            FetchEnginePage(id, EnginePurpose::LinkCount, LinkCountUrl(id, "other.test"), page), 0);
        const std::string none = LinkCountText(id, page);
        EXPECT_TRUE(none.empty() || none == "0") << none;
    }
    const std::vector<EmulatorRequest> requests = emulator.Requests();
    ASSERT_EQ(requests.size(), 18u);
    for (const EmulatorRequest& r : requests) {
        EXPECT_EQ(r.query, EmulatorQuery::LinkCount) << r.target;
        EXPECT_TRUE(r.term == site || r.term == "other.test") << r.target;
    }
    emulator.SetLinkNothingFound("gone.test");
    std::string page;
    ASSERT_EQ(FetchEnginePage(EngineId::AltaVista, EnginePurpose::LinkCount,
                              LinkCountUrl(EngineId::AltaVista, "gone.test"), page),
              0);
    EXPECT_EQ(LinkCountText(EngineId::AltaVista, page), "");
}

TEST_F(EngineEmulatorTest, RecordsTheHeaderLinesEachEngineGets) {
    std::string page;
    ASSERT_EQ(FetchEnginePage(EngineId::AltaVista, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::AltaVista, "k", 0, "", "fr"), page),
              0);
    ASSERT_EQ(FetchEnginePage(EngineId::Google, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::Google, "k", 10, "", "fr"), page),
              0);
    const std::vector<EmulatorRequest> requests = emulator.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto has = [](const EmulatorRequest& r, const std::string& line) {
        return std::find(r.headers.begin(), r.headers.end(), line) != r.headers.end();
    };
    EXPECT_EQ(requests[0].engine, EngineIndex(EngineId::AltaVista));
    EXPECT_TRUE(has(requests[0], "Accept-Language:fr"));
    EXPECT_TRUE(has(requests[0], kEngineUserAgent));
    EXPECT_TRUE(has(requests[0], "Host: " + emulator.Host()));
    EXPECT_EQ(requests[1].engine, EngineIndex(EngineId::Google));
    EXPECT_EQ(requests[1].start, 10);
    EXPECT_EQ(requests[1].target, "/search?q=k&hl=fr&lr=&ie=UTF-8&start=10&sa=N");
    EXPECT_FALSE(has(requests[1], "Accept-Language:fr"));
}

TEST_F(EngineEmulatorTest, ScriptsConfigureTheEmulator) {
    std::string error;
    ASSERT_EQ(LoadEmulatorScript(emulator,
                                 "# demo\r\n"
                                 "results\tall\tblue shoes\thttp://a.test/\thttp://b.test/\n"
                                 "\n"
                                 "total\t3\tblue shoes\t31\n"
                                 "next\t0\tblue shoes\talways\n"
                                 "link\t10\twww.a.test\t7\n"
                                 "fail\t5\n",
                                 error),
              0)
        << error;
    std::string page;
    const std::string k = PercentEncode("blue shoes");
    ASSERT_EQ(FetchEnginePage(EngineId::MSN, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::MSN, k, 0, "", ""), page),
              0);
    EXPECT_EQ(ItemsOnPage(EngineId::MSN, page),
              (std::vector<std::string>{"http://a.test/", "http://b.test/"}));
    EXPECT_EQ(EngineTotal(EngineId::MSN, page), 31);
    ASSERT_EQ(FetchEnginePage(EngineId::AltaVista, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::AltaVista, k, 0, "", ""), page),
              0);
    EXPECT_TRUE(PageHasNextPage(EngineId::AltaVista, page));
    ASSERT_EQ(FetchEnginePage(EngineId::AOL, EnginePurpose::LinkCount,
                              LinkCountUrl(EngineId::AOL, "www.a.test"), page),
              0);
    EXPECT_EQ(LinkCountText(EngineId::AOL, page), "70");
    EXPECT_NE(FetchEnginePage(EngineId::Euroseek, EnginePurpose::KeywordSearch,
                              SearchUrl(EngineId::Euroseek, k, 0, "", ""), page),
              0);

    // The first line that is not understood is reported with its number.
    EXPECT_EQ(LoadEmulatorScript(emulator, "fail\t1\ntotal\t1\tk\tmany\nfail\t2\n", error), 2);
    EXPECT_EQ(error, "not a number: many");
    EXPECT_EQ(LoadEmulatorScript(emulator, "results\t11\tk\ta\n", error), 1);
    EXPECT_EQ(LoadEmulatorScript(emulator, "next\t1\tk\tsometimes\n", error), 1);
    EXPECT_EQ(LoadEmulatorScript(emulator, "rank\t1\tk\t1\n", error), 1);
    EXPECT_EQ(error, "unknown instruction: rank");
}

}  // namespace
}  // namespace sg
