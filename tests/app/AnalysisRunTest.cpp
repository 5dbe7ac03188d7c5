#include "app/AnalysisRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "app/RunRecorders.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "reports/ReportLine.h"
#include "support/FixtureSite.h"
#include "support/HeldPage.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

const std::string kPage = "<html><head><title>t</title></head><body>text</body></html>";

class AnalysisRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(dir_.path());
        SetOnlineCheck([] { return true; });
        // Only the worker opens pages, and the test reads them after waiting for it.
        SetDocumentOpener([this](const std::string& path) { opened_.push_back(path); });
    }
    void TearDown() override {
        SetOnlineCheck({});
        SetDocumentOpener({});
    }

    // Every file under the working folder with its content.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(dir_.path())) {
            if (item.is_regular_file()) {
                ReadWholeFile(item.path().string(), files[item.path().string()]);
            }
        }
        return files;
    }

    static AnalysisSelection Links() {
        AnalysisSelection selection;
        selection.linkValidator = true;
        return selection;
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    test::ScriptedFrontEnd frontEnd_;
    test::RecordingProgress progress_;
    Strings opened_;
};

TEST_F(AnalysisRunTest, AnalyzeNowRefusesWithTheDesignedAnswers) {
    Project project;
    AnalysisRun run(project, frontEnd_, progress_);
    AnalysisSelection nestedOnly;
    nestedOnly.nested = true;

    EXPECT_EQ(run.AnalyzeNow(Links()), kRunProjectNotReady);
    EXPECT_EQ(frontEnd_.projectDialogs, 1);
    project.SetName("p");
    project.AddUrl("site.com");
    EXPECT_EQ(run.AnalyzeNow(nestedOnly), kRunNothingSelected);
    SetOnlineCheck([] { return false; });
    EXPECT_EQ(run.AnalyzeNow(Links()), kRunOffline);
    EXPECT_EQ(frontEnd_.messages,
              (Strings{"Sitegauge Version 6.0: Please check all the analyze functions that you "
                       "want applied to this site.",
                       "Sitegauge Version 6.0: The application has detected that you are not "
                       "connected to the internet. (error)"}));
    // Nothing was started, and there is no run to cancel.
    EXPECT_EQ(project.GetReportName(), "");
    EXPECT_TRUE(progress_.positions.empty());
    EXPECT_FALSE(run.RequestCancel());
    EXPECT_TRUE(frontEnd_.questions.empty());
}

// Without a network beside loopback, a run that asks only this machine still starts.
TEST_F(AnalysisRunTest, OfflineRefusesOnlyRunsThatAskBeyondThisMachine) {
    test::FixtureSite site([](const std::string&) { return test::HtmlPage(kPage); });
    const std::string port = std::to_string(site.Port());
    AnalysisSelection popularity;
    popularity.linkPopularity = true;
    struct Case {
        Strings urls;
        AnalysisSelection selection;
        int result;
    };
    SetOnlineCheck([] { return false; });
    for (const Case& c : {Case{{site.Url("/")}, Links(), kRunStarted},
                          Case{{"localhost:" + port + "/"}, Links(), kRunStarted},
                          Case{{site.Url("/"), "www.shop.com"}, Links(), kRunOffline},
                          // Link Popularity asks the engines, not the sites.
                          Case{{site.Url("/")}, popularity, kRunOffline}}) {
        SCOPED_TRACE(c.urls.back());
        Project project;
        project.SetName("Local");
        for (const std::string& url : c.urls) {
            project.AddUrl(url);
        }
        AnalysisRun run(project, frontEnd_, progress_);
        EXPECT_EQ(run.AnalyzeNow(c.selection), c.result);
        run.Wait();
    }
}

// The counts beside the bar end where the summary page's do: pages visited, links judged.
TEST_F(AnalysisRunTest, CountsOfANestedCrawlEndAtTheSummarysCounts) {
    test::FixtureSite site(std::map<std::string, std::string>{
        {"/", test::HtmlPage("<a href=a.html>a</a><a href=b.html>b</a><img src=p.png>"
                             "<a href=gone.html>x</a><a href=http://127.0.0.1:1/>off</a>")},
        {"/a.html", test::HtmlPage("<a href=b.html>b</a><a href=/>home</a><img src=p.png>")},
        {"/b.html", test::HtmlPage("<a href=a.html>a</a><a href=c.html>c</a>")},
        {"/c.html", test::HtmlPage("<a href=a.html>a</a>")},
        {"/p.png", "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\npng"}});
    Project project;
    project.SetName("Counts");
    project.AddUrl(site.Url("/"));
    test::RecordingProgress progress;
    AnalysisRun run(project, frontEnd_, progress);
    AnalysisSelection selection = Links();
    selection.nested = true;
    ASSERT_EQ(run.AnalyzeNow(selection), kRunStarted);
    run.Wait();
    const auto& counts = project.GetUrl(0)->GetLinkCounts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(progress.pagesFetched, counts->pagesVisited);
    EXPECT_EQ(progress.linksChecked, counts->linksJudged);
}

TEST_F(AnalysisRunTest, EachSiteAdvancesItsShareAndTheRunEndsAtHundred) {
    test::FixtureSite site([](const std::string&) { return test::HtmlPage(kPage); });
    struct Case {
        const char* name;
        int sites;
        bool readinessToo;
        std::vector<int> positions;
        // Counted beside the percentage: each start page is fetched and recorded as a link;
        // the readiness fetches each page twice.
        int pages;
        int links;
    };
    for (const Case& c : {Case{"Three", 3, false, {0, 33, 66, 99, 100}, 3, 3},
                          Case{"One", 1, false, {0, 100, 100}, 1, 1},
                          // Two analyses: 50 / the number of sites in each of them.
                          Case{"Two", 2, true, {0, 25, 50, 75, 100, 100}, 6, 2},
                          Case{"TwoThree", 3, true, {0, 16, 32, 48, 64, 80, 96, 100}, 9, 3}}) {
        SCOPED_TRACE(c.name);
        Project project;
        project.SetName(c.name);
        for (const char* path : {"/a.html", "/b.html", "/c.html"}) {
            if (project.UrlCount() < c.sites) {
                project.AddUrl(site.Url(path));
            }
        }
        test::RecordingProgress progress;
        AnalysisRun run(project, frontEnd_, progress);
        AnalysisSelection selection = Links();
        selection.readiness = c.readinessToo;
        ASSERT_EQ(run.AnalyzeNow(selection), kRunStarted);
        run.Wait();
        EXPECT_EQ(progress.positions, c.positions);
        EXPECT_EQ(progress.pagesFetched, c.pages);
        EXPECT_EQ(progress.linksChecked, c.links);
        EXPECT_EQ(progress.captions.at(0), "Processing...Please take a break and come back");
        EXPECT_EQ(progress.captions.at(1), "Link Validator in progress... " + site.Url("/a.html"));
        EXPECT_TRUE(FileExists(project.GetPageToOpen()));
        EXPECT_EQ(opened_.back(), project.GetPageToOpen());
        EXPECT_EQ(App().progressWindow, nullptr);
    }
    EXPECT_EQ(frontEnd_.started, 4);
    EXPECT_EQ(frontEnd_.finished, (std::vector<bool>(4, false)));
}

// With no program to show it, a finished run still ends as finished and names its page.
TEST_F(AnalysisRunTest, AFinishedRunWhosePageCannotBeShownSaysWhereItIs) {
    SetDocumentOpener([](const std::string&) { return false; });
    AnalysisWriters writers;
    writers.linkValidator = [](Project&, Fetcher&, bool) { return true; };
    writers.summary = [this](Project& project, SummaryKind) {
        project.SetPageToOpen(dir_ / "summary.html");
    };
    Project project;
    project.SetName("p");
    project.AddUrl("site.com");
    AnalysisRun run(project, frontEnd_, progress_, writers);
    ASSERT_EQ(run.AnalyzeNow(Links()), kRunStarted);
    run.Wait();
    EXPECT_EQ(frontEnd_.finished, (std::vector<bool>{false}));
    EXPECT_EQ(frontEnd_.notShown, (Strings{dir_ / "summary.html"}));
}

TEST_F(AnalysisRunTest, CancelYesInACrawlWritesNothingMoreAndKeepsTheEarlierPage) {
    test::HeldPage held;
    test::FixtureSite site(held.Responder("/b.html", kPage));
    Project project;
    project.SetName("Earlier");
    project.AddUrl(site.Url("/a.html"));
    AnalysisRun run(project, frontEnd_, progress_);
    ASSERT_EQ(run.AnalyzeNow(Links()), kRunStarted);
    run.Wait();
    const std::string earlierPage = project.GetPageToOpen();

    project.SetName("Later");
    project.AddUrl(site.Url("/b.html"));
    run.SetRemovesCancelledRun(true);
    ASSERT_EQ(run.AnalyzeNow(Links()), kRunStarted);
    ASSERT_TRUE(held.WaitArrived());
    std::map<std::string, std::string> atYes;
    frontEnd_.answer = [&] {
        atYes = Files();
        return true;
    };
    EXPECT_TRUE(run.RequestCancel());
    // The fetch in progress gives up within its wait slice.
    EXPECT_TRUE(run.WaitFor(3000ms));
    held.released = true;
    run.Wait();

    EXPECT_TRUE(run.WasCancelled());
    EXPECT_EQ(frontEnd_.questions, (Strings{"Are you sure you want to Cancel?"}));
    // The run folder the cancelled run had begun is gone with its half-written report; every
    // other file is as it was at Yes, the earlier run's included.
    const std::string laterFolder = App().paths.linkValidatorDir + "/" + project.GetReportName();
    ASSERT_NE(project.GetReportName(), "");
    EXPECT_FALSE(FolderExists(laterFolder));
    EXPECT_GT(
        std::erase_if(atYes, [&](const auto& file) { return file.first.starts_with(laterFolder); }),
        0u);
    EXPECT_EQ(Files(), atYes);
    EXPECT_TRUE(FileExists(earlierPage));
    EXPECT_EQ(opened_, (Strings{earlierPage}));
    EXPECT_EQ(frontEnd_.finished, (std::vector<bool>{false, true}));
}

// Cancel pressed while the summary page is being written: the worker is stopped between the
// page's two lines until the answer.
class CancelInSummaryTest : public AnalysisRunTest {
  protected:
    void RunAndAnswer(bool yes) {
        AnalysisWriters writers;
        writers.linkValidator = [](Project&, Fetcher&, bool) { return true; };
        writers.summary = [this](Project& project, SummaryKind) {
            project.SetPageToOpen(page_);
            AppendReportLine(page_, "one");
            reached_ = true;
            while (!pressed_) {
                std::this_thread::sleep_for(1ms);
            }
            AppendReportLine(page_, "two");
        };
        project_.SetName("p");
        project_.AddUrl("site.com");
        AnalysisRun run(project_, frontEnd_, progress_, writers);
        ASSERT_EQ(run.AnalyzeNow(Links()), kRunStarted);
        while (!reached_) {
            std::this_thread::sleep_for(1ms);
        }
        frontEnd_.answer = [this, yes] {
            pressed_ = true;
            std::this_thread::sleep_for(150ms);
            std::string text;
            ReadWholeFile(page_, text);
            EXPECT_EQ(text, "one\n");
            return yes;
        };
        EXPECT_EQ(run.RequestCancel(), yes);
        run.Wait();
        EXPECT_EQ(run.WasCancelled(), yes);
        // Once the run is over a Cancel asks nothing.
        EXPECT_FALSE(run.RequestCancel());
        EXPECT_EQ(frontEnd_.questions.size(), 1u);
        EXPECT_EQ(frontEnd_.finished, (std::vector<bool>{yes}));
    }

    std::string page_ = dir_ / "Reports/Link Validator/page.html";
    std::atomic<bool> reached_{false};
    std::atomic<bool> pressed_{false};
    Project project_;
};

TEST_F(CancelInSummaryTest, YesDeletesOnlyThisRunsSummaryPage) {
    const std::string earlier = dir_ / "earlier.html";
    ASSERT_TRUE(WriteWholeFile(earlier, "done\n"));
    project_.SetPageToOpen(earlier);
    RunAndAnswer(true);
    EXPECT_FALSE(FileExists(page_));
    EXPECT_TRUE(FileExists(earlier));
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(progress_.positions, (std::vector<int>{0}));
}

TEST_F(CancelInSummaryTest, NoResumesWhereTheRunWaitedAndEndsNormally) {
    RunAndAnswer(false);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(page_, text));
    EXPECT_EQ(text, "one\ntwo\n");
    EXPECT_EQ(opened_, (Strings{page_}));
    EXPECT_EQ(progress_.positions, (std::vector<int>{0, 100}));
}

}  // namespace
}  // namespace sg
