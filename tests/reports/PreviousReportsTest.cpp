#include "reports/PreviousReports.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <ctime>
#include <filesystem>
#include <optional>

#include "app/StartUp.h"
#include "model/AppState.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

std::vector<std::string> Names(const std::vector<PreviousReport>& reports) {
    std::vector<std::string> names;
    for (const PreviousReport& report : reports) {
        names.push_back(report.name);
    }
    return names;
}

void SetModified(const std::string& path, std::time_t when) {
    const struct timeval times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimes(path.c_str(), times), 0) << path;
}

class PreviousReportsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(dir_.path());
        paths_ = App().paths;
    }

    // A run folder with its summary page.
    void Run(const std::string& analysisDir, const std::string& run) {
        ASSERT_TRUE(CreateFolder(analysisDir + "/" + run));
        ASSERT_TRUE(WriteWholeFile(analysisDir + "/" + run + "/" + run + ".html", "<html>"));
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    AppPaths paths_;
};

TEST_F(PreviousReportsTest, PositionAnalyzerListsHtmlFilesOnlySortedWithoutRegardToCase) {
    for (const char* file :
         {"zeta.html", "Beta.html", "alpha.HTML", "notes.txt", "page.htm", "html", "x.html.bak"}) {
        ASSERT_TRUE(WriteWholeFile(paths_.positionAnalyzerDir + "/" + file, "x"));
        // Of one time, so the names decide.
        SetModified(paths_.positionAnalyzerDir + "/" + file, 1709647629);
    }
    ASSERT_TRUE(CreateFolder(paths_.positionAnalyzerDir + "/folder.html"));
    EXPECT_EQ(Names(ListPreviousReports(paths_, PreviousReportTab::PositionAnalyzer)),
              (std::vector<std::string>{"alpha.HTML", "Beta.html", "zeta.html"}));
}

TEST_F(PreviousReportsTest, AnalysisTabsListRunFoldersThatHoldTheirSummaryPage) {
    Run(paths_.readinessDir, "Shop 2024");
    Run(paths_.readinessDir, "a.b.c");  // a dot in the run's name
    Run(paths_.readinessDir, "BOOKS");
    // Not runs: no summary page, a page of another name, a loose file, a folder named like one.
    ASSERT_TRUE(CreateFolder(paths_.readinessDir + "/Unfinished"));
    ASSERT_TRUE(WriteWholeFile(paths_.readinessDir + "/Unfinished/site1.html", "x"));
    ASSERT_TRUE(WriteWholeFile(paths_.readinessDir + "/stray.html", "x"));
    ASSERT_TRUE(CreateFolder(paths_.readinessDir + "/Odd"));
    ASSERT_TRUE(CreateFolder(paths_.readinessDir + "/Odd/Odd.html"));
    Run(paths_.linkValidatorDir, "Links");
    for (const char* run : {"Shop 2024", "a.b.c", "BOOKS"}) {
        SetModified(paths_.readinessDir + "/" + run + "/" + run + ".html", 1709647629);
    }

    EXPECT_EQ(Names(ListPreviousReports(paths_, PreviousReportTab::EngineReadiness)),
              (std::vector<std::string>{"a.b.c.html", "BOOKS.html", "Shop 2024.html"}));
    EXPECT_EQ(Names(ListPreviousReports(paths_, PreviousReportTab::LinkValidator)),
              (std::vector<std::string>{"Links.html"}));
    EXPECT_TRUE(ListPreviousReports(paths_, PreviousReportTab::LinkPopularity).empty());

    // Missing report folders list nothing.
    std::filesystem::remove_all(paths_.reportsDir);
    for (int tab = 0; tab < kPreviousReportTabCount; ++tab) {
        EXPECT_TRUE(ListPreviousReports(paths_, static_cast<PreviousReportTab>(tab)).empty());
    }
}

// Runs of one project differ only in their stamps, whose month-first order is no time order:
// the lines come newest first, each titled without the stamp the date column says better.
TEST_F(PreviousReportsTest, LinesAreNewestFirstAndTitledWithoutTheirStamp) {
    struct Case {
        const char* run;
        std::time_t when;
        const char* title;
    };
    const std::vector<Case> cases = {
        {"Shop_12_31_2025[23-59-59]", 1767225599, "Shop"},
        {"Shop_01_02_2026[08-00-00]", 1767340800, "Shop"},
        {"Shop_06_15_2024[10-30-00]", 1718447400, "Shop"},
        // Not a whole stamp, or nothing left without it: the name stays.
        {"Shop_1_02_2026[08-00-00]", 1600000000, "Shop_1_02_2026[08-00-00]"},
        {"_01_02_2026[08-00-00]", 1500000000, "_01_02_2026[08-00-00]"},
    };
    ASSERT_TRUE(CreateFolder(paths_.siteAuditDir));
    for (const Case& c : cases) {
        Run(paths_.siteAuditDir, c.run);
        SetModified(paths_.siteAuditDir + "/" + c.run + "/" + c.run + ".html", c.when);
    }
    const auto lines = ListPreviousReports(paths_, PreviousReportTab::SiteAudit);
    EXPECT_EQ(Names(lines), (std::vector<std::string>{
                                "Shop_01_02_2026[08-00-00].html", "Shop_12_31_2025[23-59-59].html",
                                "Shop_06_15_2024[10-30-00].html", "Shop_1_02_2026[08-00-00].html",
                                "_01_02_2026[08-00-00].html"}));
    for (const PreviousReport& line : lines) {
        for (const Case& c : cases) {
            if (line.name == std::string(c.run) + ".html") {
                EXPECT_EQ(line.title, c.title) << line.name;
                EXPECT_EQ(line.when, c.when) << line.name;
            }
        }
    }
    EXPECT_EQ(PreviousReportTitle("AnalyzePos_03_05_2024[14-07-09].html"), "AnalyzePos");
}

TEST_F(PreviousReportsTest, DateIsTheSummaryPagesLastWriteTimeInLocalTime) {
    std::optional<test::ScopedEnv> zone;
    zone.emplace("TZ", "UTC0");
    ::tzset();
    Run(paths_.linkPopularityDir, "Run");
    // 2024-03-05 14:07:09 UTC for the page, a day later for its folder.
    constexpr std::time_t kPage = 1709647629;
    SetModified(paths_.linkPopularityDir + "/Run/Run.html", kPage);
    SetModified(paths_.linkPopularityDir + "/Run", kPage + 86400);
    ASSERT_TRUE(WriteWholeFile(paths_.positionAnalyzerDir + "/pos.html", "x"));
    SetModified(paths_.positionAnalyzerDir + "/pos.html", kPage);

    const auto runs = ListPreviousReports(paths_, PreviousReportTab::LinkPopularity);
    ASSERT_EQ(runs.size(), 1u);
    // The C locale's "%c".
    EXPECT_EQ(runs[0].dateText, "Tue Mar  5 14:07:09 2024");
    const auto files = ListPreviousReports(paths_, PreviousReportTab::PositionAnalyzer);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].dateText, "Tue Mar  5 14:07:09 2024");
    zone.reset();
    ::tzset();
}

TEST_F(PreviousReportsTest, ReportFileOfALineStaysInsideItsFolder) {
    EXPECT_EQ(PreviousReportFile(paths_, PreviousReportTab::PositionAnalyzer, "p 1.html"),
              paths_.positionAnalyzerDir + "/p 1.html");
    EXPECT_EQ(PreviousReportFile(paths_, PreviousReportTab::EngineReadiness, "x.y 2024.html"),
              paths_.readinessDir + "/x.y 2024/x.y 2024.html");
    for (const char* name : {"...html", "a/b.html", ".html"}) {
        EXPECT_EQ(PreviousReportFile(paths_, PreviousReportTab::LinkValidator, name), "") << name;
    }
    EXPECT_EQ(PreviousReportFile(paths_, PreviousReportTab::PositionAnalyzer, "../x.html"), "");
}

TEST_F(PreviousReportsTest, DeletingARunRemovesItsFolderWithSubFolders) {
    Run(paths_.readinessDir, "Deep.run");
    const std::string run = paths_.readinessDir + "/Deep.run";
    ASSERT_TRUE(CreateFolder(run + "/pages"));
    ASSERT_TRUE(CreateFolder(run + "/pages/more"));
    ASSERT_TRUE(WriteWholeFile(run + "/pages/more/p.html", "x"));
    ASSERT_TRUE(WriteWholeFile(run + "/site.html", "x"));
    Run(paths_.readinessDir, "Other");

    EXPECT_TRUE(DeletePreviousReport(paths_, PreviousReportTab::EngineReadiness, "Deep.run.html"));
    EXPECT_FALSE(std::filesystem::exists(run));
    EXPECT_TRUE(FileExists(paths_.readinessDir + "/Other/Other.html"));
    // Gone already.
    EXPECT_FALSE(DeletePreviousReport(paths_, PreviousReportTab::EngineReadiness, "Deep.run.html"));
}

TEST_F(PreviousReportsTest, DeletingARunDoesNotFollowLinksOutOfIt) {
    const std::string outside = dir_ / "keep";
    ASSERT_TRUE(CreateFolder(outside));
    ASSERT_TRUE(WriteWholeFile(outside + "/precious.txt", "x"));
    Run(paths_.linkValidatorDir, "Linked");
    std::filesystem::create_directory_symlink(outside, paths_.linkValidatorDir + "/Linked/out");

    EXPECT_TRUE(DeletePreviousReport(paths_, PreviousReportTab::LinkValidator, "Linked.html"));
    EXPECT_FALSE(std::filesystem::exists(paths_.linkValidatorDir + "/Linked"));
    EXPECT_TRUE(FileExists(outside + "/precious.txt"));
}

TEST_F(PreviousReportsTest, DeletingAPositionReportRemovesOnlyThatFile) {
    ASSERT_TRUE(WriteWholeFile(paths_.positionAnalyzerDir + "/one.html", "x"));
    ASSERT_TRUE(WriteWholeFile(paths_.positionAnalyzerDir + "/two.html", "x"));
    EXPECT_TRUE(DeletePreviousReport(paths_, PreviousReportTab::PositionAnalyzer, "one.html"));
    EXPECT_FALSE(FileExists(paths_.positionAnalyzerDir + "/one.html"));
    EXPECT_TRUE(FileExists(paths_.positionAnalyzerDir + "/two.html"));
    EXPECT_FALSE(DeletePreviousReport(paths_, PreviousReportTab::PositionAnalyzer, "one.html"));
    // Not through a relative name into a run folder.
    Run(paths_.readinessDir, "R");
    EXPECT_FALSE(DeletePreviousReport(paths_, PreviousReportTab::PositionAnalyzer,
                                      "../Search Engine Rediness/R/R.html"));
    EXPECT_TRUE(FileExists(paths_.readinessDir + "/R/R.html"));
}

}  // namespace
}  // namespace sg
