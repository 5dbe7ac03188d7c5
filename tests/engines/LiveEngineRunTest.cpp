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
#include "net/MetasearchSetting.h"
#include "platform/Connectivity.h"
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

}  // namespace
}  // namespace sg
