// The demo session: two sites and the engines on loopback while it runs, the process state put
// back when it stops, and the demo project with its profile.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/StartUp.h"
#include "demo/DemoEngines.h"
#include "demo/DemoProject.h"
#include "demo/DemoSession.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineCatalogue.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountsForSite.h"
#include "html/UrlText.h"
#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "net/CWebClient.h"
#include "platform/Connectivity.h"
#include "support/TempDir.h"

namespace sg {
namespace {

int Fetch(const std::string& url, std::string* body = nullptr) {
    CWebClient client;
    std::string address = url;
    const int result = client.FetchPageRetrying(address.data(), 1);
    if (body != nullptr) {
        *body = client.BodyText();
    }
    return result;
}

TEST(DemoSession, RunsTheSitesAndTheEnginesOnLoopbackUntilStopped) {
    const EngineHosts before = CurrentEngineHosts();
    DemoSession session;
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(session.SiteUrl(0), "");
    ASSERT_EQ(session.Start(), kDemoStarted);
    ASSERT_TRUE(session.Running());

    const std::string own = session.SiteUrl(0);
    const std::string rival = session.SiteUrl(1);
    EXPECT_EQ(own.rfind("127.0.0.1:", 0), 0u);
    EXPECT_EQ(own.back(), '/');
    EXPECT_NE(own, rival);
    EXPECT_EQ(session.SiteUrl(2), "");
    std::string page;
    ASSERT_EQ(Fetch(own, &page), 0);
    EXPECT_NE(page.find("Harbor Lane"), std::string::npos);
    ASSERT_EQ(Fetch(rival, &page), 0);
    EXPECT_NE(page.find("Bean Street"), std::string::npos);

    const EngineHosts during = CurrentEngineHosts();
    for (EngineId id : kAllEngines) {
        EXPECT_EQ(during.SearchHost(id), session.EngineHost());
        EXPECT_EQ(during.LinkHost(id), session.EngineHost());
    }
    EXPECT_TRUE(IsOnline());
    // A second Start keeps what runs.
    EXPECT_EQ(session.Start(), kDemoStarted);
    EXPECT_EQ(session.SiteUrl(0), own);

    session.Stop();
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(session.EngineHost(), "");
    EXPECT_NE(Fetch(own), 0);
    const EngineHosts after = CurrentEngineHosts();
    for (int slot = 0; slot < EngineHosts::kSlotCount; ++slot) {
        EXPECT_EQ(after.SlotHost(slot), before.SlotHost(slot)) << slot;
    }
}

TEST(DemoSession, TheEnginesRankEachSiteWhereTheDemoSaysAndCountItsLinks) {
    EngineEmulator emulator;
    // One port a prefix of the other: a site must not be taken for the other one.
    const std::array<std::string, kDemoSiteCount> sites = {"127.0.0.1:4012/", "127.0.0.1:40123/"};
    ConfigureDemoEngines(emulator, sites);
    int listed[kDemoSiteCount] = {};
    int absent[kDemoSiteCount] = {};
    for (int keyword = 0; keyword < static_cast<int>(kDemoKeywords.size()); ++keyword) {
        const std::string encoded = PercentEncode(kDemoKeywords[keyword]);
        for (EngineId engine : kAllEngines) {
            const int step = PageStep(engine);
            for (int site = 0; site < kDemoSiteCount; ++site) {
                const int position = DemoPosition(keyword, engine, site);
                (position > 0 ? listed : absent)[site] += 1;
                // The page that holds the position names the site; no page of an engine that
                // does not list the site does.
                for (int start = 0; start < 60; start += step) {
                    const std::string page = emulator.ResultPage(engine, encoded, start, "h");
                    const bool here = position > start && position <= start + step;
                    EXPECT_EQ(page.find(sites[site]) != std::string::npos, here)
                        << kDemoKeywords[keyword] << " engine " << EngineIndex(engine) << " site "
                        << site << " start " << start;
                }
            }
        }
    }
    // The report shows both sites ranked, and each missing on some engine (a red "x").
    for (int site = 0; site < kDemoSiteCount; ++site) {
        EXPECT_GT(listed[site], 10);
        EXPECT_GT(absent[site], 0);
    }
    for (EngineId engine : kLinkCountEngines) {
        for (int site = 0; site < kDemoSiteCount; ++site) {
            const int count = DemoLinkCount(engine, site);
            EXPECT_GT(count, 0);
            const std::string text = std::to_string(engine == EngineId::AOL ? count / 10 : count);
            EXPECT_NE(emulator.LinkCountPage(engine, sites[site]).find(text), std::string::npos)
                << EngineIndex(engine);
        }
    }
}

TEST(DemoProject, FillsTheProjectForTheRunningSitesAndSavesItsProfile) {
    test::TempDir work;
    test::ScopedEnv config("XDG_CONFIG_HOME", (work / "config").c_str());
    StartUp(work.path());
    Project project;
    project.SetName("Mine");
    project.AddUrl("www.example.com");
    project.AddKeyword("old");

    DemoSession session;
    ASSERT_EQ(OpenDemoProject(project, session), kDemoStarted);
    ASSERT_TRUE(session.Running());
    EXPECT_EQ(project.GetName(), "Coffee Demo");
    ASSERT_EQ(project.UrlCount(), 2);
    EXPECT_EQ(project.GetUrl(0)->GetUrl(), session.SiteUrl(0));
    EXPECT_EQ(project.GetUrl(1)->GetUrl(), session.SiteUrl(1));
    ASSERT_EQ(project.KeywordCount(), 3);
    EXPECT_EQ(project.GetKeyword(0), "coffee beans");

    EXPECT_EQ(DemoProfilePath(), work.path() + "/Profiles/Coffee Demo.swp");
    Project loaded;
    ASSERT_EQ(LoadProfile(loaded, DemoProfilePath(), nullptr), kProfileOk);
    EXPECT_EQ(loaded.GetName(), "Coffee Demo");
    ASSERT_EQ(loaded.UrlCount(), 2);
    EXPECT_EQ(loaded.GetUrl(1)->GetUrl(), session.SiteUrl(1));
    EXPECT_EQ(loaded.KeywordCount(), 3);

    // A working folder whose Profiles folder is gone: the project is still filled.
    std::filesystem::remove_all(work / "Profiles");
    Project again;
    EXPECT_EQ(OpenDemoProject(again, session), kDemoProfileNotSaved);
    EXPECT_EQ(again.UrlCount(), 2);
    App().paths = AppPaths();
}

}  // namespace
}  // namespace sg
