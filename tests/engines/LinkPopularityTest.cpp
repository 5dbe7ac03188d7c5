// Link Popularity against the engine emulator: the counts of one site, the section with its
// tables and notes, progress, cancel and hostile site texts.

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "app/SummaryPage.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountUrl.h"
#include "engines/LinkCountsForSite.h"
#include "engines/LinkPopularitySection.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "net/ConnectionSetting.h"
#include "net/ProxySettings.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

// 2026-12-07 03:55:10 UTC.
constexpr std::time_t kWhen = 1796615710;

class RecordingProgress : public ProgressSink {
  public:
    void SetCaption(const std::string& text) override {
        captions.push_back(text);
        if (onCaption) {
            onCaption(captions.size());
        }
    }
    int Position() const override { return position; }
    void SetPosition(int value) override {
        position = value;
        positions.push_back(value);
    }

    std::vector<std::string> captions;
    std::vector<int> positions;
    int position = 0;
    std::function<void(std::size_t)> onCaption;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class LinkPopularityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        zone_.emplace("TZ", "UTC0");
        ::tzset();
        StartUp(dir_.path());
        CurrentProxySettings() = ProxySettings{};
        ASSERT_TRUE(emulator_.Start());
        emulator_.PointEngineHostsHere();
        project_.SetName("Links");
        project_.PrepareRunNames("Links", kWhen);
        project_.selectedCount = 1;
        App().progressWindow = &progress_;
    }
    void TearDown() override {
        App().progressWindow = nullptr;
        zone_.reset();
        ::tzset();
    }

    // The section alone, on a page of its own.
    std::string WriteSection(bool* result = nullptr) {
        const std::string page = dir_ / "section.html";
        std::remove(page.c_str());
        project_.SetPageToOpen(page);
        const bool written = LinkPopularitySection(project_);
        if (result != nullptr) {
            *result = written;
        }
        std::string text;
        ReadWholeFile(page, text);
        return text;
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    test::ScopedEnv language_{"LC_ALL", "C"};
    std::optional<test::ScopedEnv> zone_;
    EngineEmulator emulator_;
    RecordingProgress progress_;
    Project project_;
};

TEST_F(LinkPopularityTest, CountsThenAddressesInTheListOrder) {
    const std::string site = "www.alpha.com/";
    emulator_.SetLinkCount(EngineId::AltaVista, site, "1.234");
    emulator_.SetLinkCount(EngineId::Google, site, "12345");
    emulator_.SetLinkCount(EngineId::AllTheWeb, site, " 987 ");
    emulator_.SetLinkCount(EngineId::MSN, site, "1,234,567");
    emulator_.SetLinkCount(EngineId::HotBot, site, "0");
    // Yahoo: no count configured, a page without the marker.
    emulator_.SetLinkCount(EngineId::Excite, site, "42");
    emulator_.SetLinkCount(EngineId::AOL, site, "3");
    emulator_.SetFailing(EngineId::Euroseek, true);

    std::vector<std::string> list = {"kept"};
    LinkCountsForSite(site, list);
    const EngineHosts hosts = CurrentEngineHosts();
    const std::vector<std::string> expected = {
        "kept",
        "1,234",
        LinkCountUrl(hosts, EngineId::AltaVista, site),
        "12,345",
        LinkCountUrl(hosts, EngineId::Google, site),
        "987",
        LinkCountUrl(hosts, EngineId::AllTheWeb, site),
        "1,234,567",
        LinkCountUrl(hosts, EngineId::MSN, site),
        "0",
        LinkCountUrl(hosts, EngineId::HotBot, site),
        "0",
        LinkCountUrl(hosts, EngineId::Yahoo, site),
        "42",
        LinkCountUrl(hosts, EngineId::Excite, site),
        "30",
        LinkCountUrl(hosts, EngineId::AOL, site),
        "0",
        LinkCountUrl(hosts, EngineId::Euroseek, site),
    };
    EXPECT_EQ(list, expected);

    // One query per engine in that order; the failing Euroseek answers with no page, which is
    // an answer: it is not asked again.
    std::vector<int> engines;
    for (const EmulatorRequest& r : emulator_.Requests()) {
        EXPECT_EQ(r.query, EmulatorQuery::LinkCount) << r.target;
        engines.push_back(r.engine);
    }
    EXPECT_EQ(engines, (std::vector<int>{0, 1, 2, 3, 4, 6, 8, 10, 5}));
}

TEST_F(LinkPopularityTest, EngineHostsAskedAtOnceGiveTheCountsOfOneAfterTheOther) {
    // Four engines on a second host: the two hosts are asked at once, each one query at a time.
    EngineEmulator second;
    ASSERT_TRUE(second.Start());
    const std::string site = "www.gamma.com/";
    int n = 1;
    for (const EngineId id : kLinkCountEngines) {
        const bool moved = id == EngineId::Google || id == EngineId::MSN || id == EngineId::Yahoo ||
                           id == EngineId::AOL;
        if (moved) {
            ASSERT_EQ(OverrideEngineHost(std::to_string(EngineIndex(id)) + "=" + second.Host()),
                      kHostsOk);
        }
        (moved ? second : emulator_).SetLinkCount(id, site, std::to_string(n++ * 111));
    }
    std::vector<std::vector<std::string>> lists;
    for (const int connections : {1, 8}) {
        SetConnectionsPerHost(connections);
        lists.emplace_back();
        LinkCountsForSite(site, lists.back());
    }
    SetConnectionsPerHost(kDefaultConnectionsPerHost);
    EXPECT_EQ(lists[1], lists[0]);
    EXPECT_EQ(lists[0][2], "222");  // Google's, from the second host
    std::vector<int> engines;
    for (const EmulatorRequest& r : second.Requests()) {
        engines.push_back(r.engine);
    }
    EXPECT_EQ(engines, (std::vector<int>{1, 3, 6, 10, 1, 3, 6, 10}));
}

TEST_F(LinkPopularityTest, UnreachableEnginesGiveZeroAndKeepTheirAddresses) {
    const int closed = test::LoopbackServer::ClosedPort();
    ASSERT_GT(closed, 0);
    ASSERT_EQ(OverrideAllEngineHosts("127.0.0.1:" + std::to_string(closed)), kHostsOk);
    std::vector<std::string> list;
    LinkCountsForSite("beta.org", list);
    ASSERT_EQ(list.size(), 18u);
    for (std::size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(list[2 * k], "0");
        EXPECT_NE(list[2 * k + 1].find("127.0.0.1:" + std::to_string(closed) + "/"),
                  std::string::npos);
        EXPECT_NE(list[2 * k + 1].find("beta.org"), std::string::npos);
    }
}

TEST_F(LinkPopularityTest, SevenSitesMakeTwoTablesEachWithItsNote) {
    const std::vector<std::string> sites = {"www.alpha.com/", "beta.org/shop",   "www.gamma.net",
                                            "delta.com",      "www.epsilon.org", "zeta.com",
                                            "eta.com:8080/x"};
    const std::vector<std::string> counts = {"1.234", "12345", "7", "1,000", "999999"};
    int n = 0;
    for (std::size_t s = 0; s + 1 < sites.size(); ++s) {
        project_.AddUrl(sites[s]);
        for (EngineId id : kLinkCountEngines) {
            emulator_.SetLinkCount(id, sites[s], counts[n++ % counts.size()]);
        }
    }
    // The last site is known to no engine: "0" everywhere.
    project_.AddUrl(sites.back());

    WriteSummaryPage(project_, SummaryKind::LinkPopularity, kWhen);
    std::string page;
    ASSERT_TRUE(ReadWholeFile(project_.GetPageToOpen(), page));

    std::string expected;
    ASSERT_TRUE(ReadWholeFile(
        std::string(SITEGAUGE_TEST_DATA_DIR) + "/engines/expected/link-popularity-seven.html",
        expected));
    EXPECT_EQ(Replace(page, emulator_.Host(), "@HOST@"), expected);

    // Seven captions and seven equal shares of the whole bar.
    ASSERT_EQ(progress_.captions.size(), 7u);
    EXPECT_EQ(progress_.captions[1], "Link Popularity in progress... beta.org/shop");
    EXPECT_EQ(progress_.positions, (std::vector<int>{14, 28, 42, 56, 70, 84, 98}));
}

TEST_F(LinkPopularityTest, ShareOfTheBarAndAProjectWithoutSites) {
    project_.selectedCount = 3;
    project_.AddUrl("a.com");
    project_.AddUrl("b.com");
    progress_.position = 10;
    const std::string one = WriteSection();
    // (100 / 3) / 2 = 16 per site, on top of where the bar stood.
    EXPECT_EQ(progress_.positions, (std::vector<int>{26, 42}));
    EXPECT_NE(one.find("<a href='http://b.com'>b.com</a>"), std::string::npos);

    project_.ClearUrls();
    bool written = false;
    EXPECT_EQ(WriteSection(&written),
              "<br><strong><font face=Verdana,Arial,Helvetica size=3>Link "
              "Popularity<br><br></font></strong>\n");
    EXPECT_TRUE(written);
}

TEST_F(LinkPopularityTest, CancelledDuringTheQueriesWritesNothing) {
    project_.AddUrl("a.com");
    project_.AddUrl("b.com");
    project_.AddUrl("c.com");
    RunControl control;
    RunControl::Scope scope(control);
    progress_.onCaption = [&](std::size_t count) {
        if (count == 2) {
            control.RequestCancel();
        }
    };
    bool written = true;
    EXPECT_EQ(WriteSection(&written), "");
    EXPECT_FALSE(written);
    // The queries of the first site were made; none after the cancel.
    EXPECT_EQ(emulator_.Requests().size(), 9u);
}

TEST_F(LinkPopularityTest, SiteTextsAndCountsCannotAddMarkup) {
    const std::string hostile = "x.com/'><script>alert(1)</script>";
    project_.AddUrl(hostile);
    emulator_.SetLinkCount(EngineId::MSN, hostile, "<b>");
    const std::string page = WriteSection();
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("<a href='http://x.com/%27%3E%3Cscript%3Ealert(1)%3C/script%3E'>x.com/"
                        "&#39;&gt;&lt;script&gt;alert(1)&lt;/script&gt;</a>"),
              std::string::npos);
    // The address of every count cell stays one attribute value.
    EXPECT_NE(page.find("q=link%3Ax.com/%27%3E%3Cscript%3Ealert(1)%3C/script%3E&amp;FORM=SMCRT>"),
              std::string::npos);
    // A count text from a page goes into its cell as text.
    EXPECT_NE(page.find(">&lt;b&gt;</a>"), std::string::npos);
}

}  // namespace
}  // namespace sg
