#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "engines/FixedPositionRunInput.h"
#include "engines/LiveSearch.h"
#include "engines/PositionAnalyzerRun.h"
#include "engines/RecordingPositionRunStatus.h"
#include "model/AppState.h"
#include "model/Project.h"
#include "model/RunResults.h"
#include "net/MetasearchSetting.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "support/MetasearchStandIn.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class LiveEngineRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(work.path());
        SetOnlineCheck([] { return true; });
        SetDocumentOpener([](const std::string&) {});
        SetLivePagePause(std::chrono::milliseconds(10));
        project.AddUrl("www.alpha.test");
        project.AddKeyword("socks");
        dialog.CheckOnly({});
    }
    void TearDown() override {
        SetMetasearchInstance("");
        SetLivePagePause(std::chrono::milliseconds(1000));
        SetOnlineCheck(nullptr);
        SetDocumentOpener(nullptr);
    }
    int RunToEnd() {
        PositionAnalyzerRun run(dialog, status);
        EXPECT_TRUE(run.Start());
        run.Wait();
        return run.Outcome();
    }
    std::size_t ReportCount() {
        std::size_t count = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(App().paths.positionAnalyzerDir)) {
            count += entry.path().extension() == ".html" &&
                     !entry.path().filename().string().starts_with("history");
        }
        return count;
    }

    test::TempDir work;
    test::MetasearchStandIn standIn;
    Project project;
    FixedPositionRunInput dialog{project, 100};
    test::RecordingPositionRunStatus status;
};

TEST_F(LiveEngineRunTest, AStopConfirmedInsideALiveEngineWritesNoReport) {
    std::vector<std::string> results;
    for (int i = 1; i <= 30; ++i) {
        results.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    standIn.SetResults("google", results);
    standIn.SetResults("bing", results);
    SetMetasearchInstance(standIn.Address());
    dialog.SetLiveEngines({"google", "bing"});
    status.OnCall([this](const std::string& line) {
        if (line == "SetPosition 15") {
            status.CloseCommand();
        }
    });
    EXPECT_EQ(RunToEnd(), kPositionStopped);
    EXPECT_THAT(status.CallsStartingWith("SetEngineLabel"), Contains("google"));
    EXPECT_THAT(status.CallsStartingWith("LogSkip"), Contains("User skip searching "));
    // bing is never asked once the stop is confirmed.
    for (const std::string& target : standIn.Targets()) {
        EXPECT_THAT(target, HasSubstr("engines=google"));
    }
    EXPECT_EQ(ReportCount(), 0u);
}

TEST_F(LiveEngineRunTest, LiveEnginesWithoutAnInstanceAreLeftOutWithOneErrorLine) {
    dialog.SetLiveEngines({"google"});
    EXPECT_EQ(RunToEnd(), kPositionReportWritten);
    EXPECT_THAT(status.CallsStartingWith("LogError"),
                Contains("No metasearch instance is set: the live engines are left out"));
    EXPECT_THAT(standIn.Targets(), IsEmpty());
    EXPECT_EQ(ReportCount(), 1u);
}

// A failed live engine is its own value in every output of the run: the report's cell, the log,
// the results and the history; a designed engine beside it keeps its "x".
TEST_F(LiveEngineRunTest, AFailedLiveEngineIsAFailureInTheReportTheResultsAndTheHistory) {
    standIn.SetResults("google", {"http://www.alpha.test/"});
    standIn.Instance().FailEngine("google", "HTTP error", -1, std::chrono::milliseconds(0));
    standIn.SetResults("bing", {"http://www.alpha.test/"});
    SetMetasearchInstance(standIn.Address());
    dialog.SetLiveEngines({"google", "bing"});
    RunResults results;
    App().results = &results;
    EXPECT_EQ(RunToEnd(), kPositionReportWritten);
    App().results = nullptr;

    ASSERT_EQ(results.positions.size(), 2u);
    EXPECT_EQ(results.positions[0].engine, "google");
    EXPECT_FALSE(results.positions[0].position.has_value());
    EXPECT_EQ(results.positions[0].error, "HTTP error");
    EXPECT_EQ(results.positions[1].position, 1);
    EXPECT_EQ(results.positions[1].error, "");
    EXPECT_THAT(status.CallsStartingWith("LogError"),
                Contains("google failed on position 0: HTTP error"));

    std::string report;
    for (const auto& entry : std::filesystem::directory_iterator(App().paths.positionAnalyzerDir)) {
        if (entry.path().extension() == ".html" &&
            !entry.path().filename().string().starts_with("history")) {
            ReadWholeFile(entry.path().string(), report);
        }
    }
    EXPECT_THAT(report, HasSubstr(">google (live)</font>"));
    EXPECT_THAT(report, HasSubstr("<font color = #B05F00><b>failed</b></font><br>"
                                  "<font face=Verdana,Arial,Helvetica size=1>HTTP error</font>"));
    EXPECT_THAT(report, HasSubstr("<b>failed</b></font>: the live engine gave no results"));
    std::string history;
    ASSERT_TRUE(ReadWholeFile(App().paths.positionAnalyzerDir + "/history.csv", history));
    EXPECT_THAT(history, HasSubstr(",socks,www.alpha.test,google,,HTTP error\r\n"));
    EXPECT_THAT(history, HasSubstr(",socks,www.alpha.test,bing,1,\r\n"));
}

}  // namespace
}  // namespace sg
