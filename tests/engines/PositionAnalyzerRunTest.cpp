#include "engines/PositionAnalyzerRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <time.h>
#include <array>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "demo/EngineEmulator.h"
#include "engines/FixedPositionRunInput.h"
#include "engines/PositionReport.h"
#include "engines/RecordingPositionRunStatus.h"
#include "model/AppState.h"
#include "model/Project.h"
#include "model/ReportStamp.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/LocalDateText.h"
#include "platform/OpenDocument.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr std::time_t kRunTime = 1796702285;

std::vector<std::string> Filler(int count) {
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i) {
        addresses.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    return addresses;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class PositionAnalyzerRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(work.path());
        ASSERT_TRUE(emulator.Start());
        emulator.PointEngineHostsHere();
        SetOnlineCheck([] { return true; });
        SetDocumentOpener([this](const std::string& path) {
            std::lock_guard<std::mutex> lock(openedMutex);
            opened.push_back(path);
        });
        project.AddUrl("www.alpha.test");
        project.AddUrl("beta.test/shop");
        project.AddKeyword("blue & <shoes>");
        project.AddKeyword("socks");
    }
    void TearDown() override {
        SetOnlineCheck(nullptr);
        SetDocumentOpener(nullptr);
    }

    int RunToEnd(PositionAnalyzerRun& run) {
        run.SetClock([] { return kRunTime; });
        EXPECT_TRUE(run.Start());
        EXPECT_FALSE(run.Start());
        run.Wait();
        return run.Outcome();
    }

    std::vector<std::string> ReportFiles() {
        std::vector<std::string> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(App().paths.positionAnalyzerDir)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    std::vector<std::string> Opened() {
        std::lock_guard<std::mutex> lock(openedMutex);
        return opened;
    }

    int Pages(EngineId id) { return emulator.RequestCount(id, EmulatorQuery::KeywordSearch); }

    test::TempDir work;
    test::ScopedEnv language{"LC_ALL", "C"};
    EngineEmulator emulator;
    Project project;
    test::RecordingPositionRunStatus status;
    std::mutex openedMutex;
    std::vector<std::string> opened;
};

// Two keywords: MSN is unchecked when the second keyword starts, Euroseek is checked after its
// turn has passed and AOL unchecked during its own search, so the second table shows Google and
// an all-"x" Euroseek column only.
TEST_F(PositionAnalyzerRunTest, KeywordsInOrderEnginesInOrderAndTheReportInOnePiece) {
    std::vector<std::string> google = Filler(10);
    google[6] = "http://www.alpha.test/";
    emulator.SetResults(EngineId::Google, "blue & <shoes>", google);
    std::vector<std::string> msn = Filler(20);
    msn[16] = "http://beta.test/shop/item";
    emulator.SetResults(EngineId::MSN, "blue & <shoes>", msn);
    emulator.SetResults(EngineId::AOL, "blue & <shoes>",
                        {"http://www.alpha.test/", "http://beta.test/shop", "http://x.test/"});
    emulator.SetResults(EngineId::Google, "socks", {"a.test", "b.test", "http://beta.test/shop"});
    emulator.SetResults(EngineId::AOL, "socks", {"http://www.alpha.test/"});

    FixedPositionRunInput dialog(project, 100);
    dialog.CheckOnly({EngineId::Google, EngineId::MSN, EngineId::AOL});
    std::string keyword;
    status.OnCall([&](const std::string& line) {
        if (line.starts_with("SetKeyword ")) {
            if (keyword != line && line == "SetKeyword socks") {
                dialog.SetEngineChecked(EngineId::MSN, false);
            }
            keyword = line;
        }
        if (keyword == "SetKeyword socks" && line == "SetEngineLabel AOL") {
            dialog.SetEngineChecked(EngineId::Euroseek, true);
            dialog.SetEngineChecked(EngineId::AOL, false);
        }
    });
    PositionAnalyzerRun run(dialog, status);
    EXPECT_EQ(RunToEnd(run), kPositionReportWritten);

    EXPECT_THAT(
        status.CallsStartingWith("SetKeyword"),
        ElementsAre("blue & <shoes>", "blue & <shoes>", "blue & <shoes>", "socks", "socks"));
    EXPECT_THAT(status.CallsStartingWith("ShowEngineLogo"), ElementsAre("1", "3", "10", "1", "10"));
    EXPECT_EQ(Pages(EngineId::Euroseek), 0);
    EXPECT_EQ(Pages(EngineId::MSN), 2);
    EXPECT_EQ(Pages(EngineId::AOL), 2);

    // The project has no name; the stamp is the run's start.
    const std::string path =
        App().paths.positionAnalyzerDir + "/AnalyzePos" + ReportStamp(kRunTime) + ".html";
    EXPECT_EQ(run.ReportPath(), path);
    EXPECT_THAT(ReportFiles(), UnorderedElementsAre("AnalyzePos" + ReportStamp(kRunTime) + ".html",
                                                    "history.csv", "history.html"));
    std::string written;
    ASSERT_TRUE(ReadWholeFile(path, written));
    std::string expected;
    ASSERT_TRUE(ReadWholeFile(
        std::string(SITEGAUGE_TEST_DATA_DIR) + "/engines/expected/position-run-changing.html",
        expected));
    expected = Replace(expected, "@PORT@", std::to_string(emulator.Port()));
    expected = Replace(expected, "@DATE@", PositionReport::DateText(kRunTime));
    EXPECT_EQ(written, expected);

    // No warnings: the window closes itself and the report is opened.
    EXPECT_EQ(status.CallsStartingWith("CloseWindow").size(), 1u);
    EXPECT_THAT(status.CallsStartingWith("ScrollToFirstWarning"), IsEmpty());
    EXPECT_THAT(Opened(), ElementsAre(path));
    EXPECT_EQ(dialog.RunEndedCount(), 1);
    EXPECT_FALSE(status.Running());
    EXPECT_FALSE(status.SkipEnabled());
    EXPECT_TRUE(status.CloseEnabled());
}

TEST_F(PositionAnalyzerRunTest, StopConfirmedInTheSecondKeywordWritesNoReport) {
    emulator.SetResults(EngineId::Google, "blue & <shoes>", Filler(5));
    emulator.SetResults(EngineId::Google, "socks", Filler(5));
    emulator.SetResults(EngineId::AOL, "socks", Filler(5));
    FixedPositionRunInput dialog(project, 100);
    dialog.CheckOnly({EngineId::Google, EngineId::AOL});
    status.OnCall([this](const std::string& line) {
        if (line == "SetKeyword socks") {
            status.PressClose();
        }
    });
    PositionAnalyzerRun run(dialog, status);
    EXPECT_EQ(RunToEnd(run), kPositionStopped);

    EXPECT_THAT(status.CallsStartingWith("Ask"),
                ElementsAre("Are you sure you want to skip searching  ?"));
    EXPECT_THAT(status.LogTexts().back(), "User skip searching ");
    EXPECT_EQ(emulator.RequestCount(EngineId::AOL, EmulatorQuery::KeywordSearch), 1);
    EXPECT_THAT(ReportFiles(), IsEmpty());
    EXPECT_THAT(Opened(), IsEmpty());
    EXPECT_EQ(dialog.RunEndedCount(), 1);
    EXPECT_THAT(status.CallsStartingWith("CloseWindow"), IsEmpty());
    EXPECT_FALSE(status.Running());
    EXPECT_FALSE(status.SkipEnabled());
    EXPECT_TRUE(status.CloseEnabled());
}

// Requests made after an engine's last result item (while nothing more is left to read) are
// taken up when the engine ends, never dropped: a stop is asked about there, and No goes on; a
// skip has nothing left to skip and is logged without a question, and the window stays at it.
TEST_F(PositionAnalyzerRunTest, RequestsAfterTheLastItemAreTakenUpWhenTheEngineEnds) {
    emulator.SetResults(EngineId::Google, "blue & <shoes>", Filler(7));
    emulator.SetResults(EngineId::AOL, "blue & <shoes>", Filler(3));
    emulator.SetResults(EngineId::Google, "socks", Filler(7));
    emulator.SetResults(EngineId::AOL, "socks", Filler(3));
    for (const bool stop : {true, false}) {
        emulator.ClearRequests();
        test::RecordingPositionRunStatus closing;
        closing.ScriptAnswers({stop});
        FixedPositionRunInput dialog(project, 100);
        dialog.CheckOnly({EngineId::Google, EngineId::AOL});
        closing.OnCall([&](const std::string& line) {
            if (line == "SetPosition 7" && closing.LogTexts().size() == 1) {
                closing.PressClose();
            }
        });
        PositionAnalyzerRun run(dialog, closing);
        EXPECT_EQ(RunToEnd(run), stop ? kPositionStopped : kPositionReportWritten);
        EXPECT_THAT(closing.CallsStartingWith("Ask"),
                    ElementsAre("Are you sure you want to skip searching  ?"));
        if (stop) {
            EXPECT_THAT(closing.LogTexts(),
                        ElementsAre("Connected to Google", "User skip searching "));
            EXPECT_EQ(Pages(EngineId::AOL), 0);
            EXPECT_THAT(ReportFiles(), IsEmpty());
        } else {
            EXPECT_EQ(Pages(EngineId::AOL), 2);
        }
    }
    {
        emulator.ClearRequests();
        test::RecordingPositionRunStatus skipping;
        FixedPositionRunInput dialog(project, 100);
        dialog.CheckOnly({EngineId::Google, EngineId::AOL});
        skipping.OnCall([&](const std::string& line) {
            if (line == "SetPosition 7" && skipping.LogTexts().size() == 1) {
                skipping.PressSkip();
            }
        });
        PositionAnalyzerRun run(dialog, skipping);
        EXPECT_EQ(RunToEnd(run), kPositionReportWritten);
        EXPECT_THAT(skipping.CallsStartingWith("Ask"), IsEmpty());
        EXPECT_THAT(skipping.LogTexts(), Contains("User skipped Google on position 7"));
        EXPECT_TRUE(skipping.HasWarnings());
        EXPECT_EQ(Pages(EngineId::AOL), 2);
        EXPECT_THAT(skipping.CallsStartingWith("CloseWindow"), IsEmpty());
    }
}

TEST_F(PositionAnalyzerRunTest, SkippedAndUnreachableEnginesLeaveTheWindowOpen) {
    project.ClearKeywords();
    project.AddKeyword("socks");
    std::vector<std::string> google = Filler(10);
    google[5] = "http://www.alpha.test/";
    emulator.SetResults(EngineId::Google, "socks", google);
    emulator.SetFailing(EngineId::MSN, true);
    emulator.SetResults(EngineId::AOL, "socks", {"http://beta.test/shop"});
    FixedPositionRunInput dialog(project, 0);
    dialog.CheckOnly({EngineId::Google, EngineId::MSN, EngineId::AOL});
    status.OnCall([this](const std::string& line) {
        if (line == "SetPosition 2") {
            status.PressSkip();
        }
    });
    status.ScriptAnswers({true});
    project.SetName("Shop");
    PositionAnalyzerRun run(dialog, status);
    EXPECT_EQ(RunToEnd(run), kPositionReportWritten);

    EXPECT_THAT(status.LogTexts(),
                ElementsAre("Connected to Google", "User skipped Google on position 2",
                            "Couldn't connect to MSN on position 0", "Connected to AOL",
                            "AOL found beta.test/shop on position 1"));
    EXPECT_EQ(status.CallsStartingWith("ScrollToFirstWarning").size(), 1u);
    EXPECT_THAT(status.CallsStartingWith("CloseWindow"), IsEmpty());
    const std::string path =
        App().paths.positionAnalyzerDir + "/Shop" + ReportStamp(kRunTime) + ".html";
    EXPECT_THAT(Opened(), ElementsAre(path));
    std::string written;
    ASSERT_TRUE(ReadWholeFile(path, written));
    // Google was skipped before position 6: alpha shows "x" everywhere, beta only on AOL.
    EXPECT_EQ(written.find("<u> 6 </u>"), std::string::npos);
    EXPECT_NE(written.find("<u> 1 </u>"), std::string::npos);
    EXPECT_NE(written.find("width=250>"), std::string::npos);
}

TEST_F(PositionAnalyzerRunTest, OfflineMachineGetsOneErrorLineAndNoReport) {
    SetOnlineCheck([] { return false; });
    FixedPositionRunInput dialog(project, 100);
    PositionAnalyzerRun run(dialog, status);
    EXPECT_EQ(RunToEnd(run), kPositionOffline);
    EXPECT_THAT(status.LogTexts(),
                ElementsAre("The application has detected that you are not connected to the "
                            "internet."));
    EXPECT_TRUE(status.HasWarnings());
    EXPECT_THAT(emulator.Requests(), IsEmpty());
    EXPECT_THAT(ReportFiles(), IsEmpty());
    EXPECT_THAT(Opened(), IsEmpty());
    EXPECT_EQ(dialog.RunEndedCount(), 1);
    EXPECT_FALSE(status.Running());
    EXPECT_EQ(run.ReportPath(), "");
}

TEST_F(PositionAnalyzerRunTest, CancelEndsTheRunWithoutQuestionsOrReport) {
    emulator.SetResults(EngineId::Google, "blue & <shoes>", Filler(10));
    FixedPositionRunInput dialog(project, 100);
    PositionAnalyzerRun run(dialog, status);
    status.OnCall([&](const std::string& line) {
        if (line == "SetPosition 2") {
            status.PressSkip();
            run.Cancel();
        }
    });
    EXPECT_EQ(RunToEnd(run), kPositionCancelled);
    EXPECT_THAT(status.CallsStartingWith("Ask"), IsEmpty());
    EXPECT_EQ(Pages(EngineId::Google), 1);
    EXPECT_EQ(Pages(EngineId::AltaVista), 1) << "engines before Google were searched";
    EXPECT_EQ(Pages(EngineId::AllTheWeb), 0);
    EXPECT_THAT(ReportFiles(), IsEmpty());
    EXPECT_THAT(Opened(), IsEmpty());
}

// Three finished runs a day apart, each with other positions, append one block each to the
// history table; a fourth, cancelled run adds nothing and leaves the page as it was.
TEST_F(PositionAnalyzerRunTest, FinishedRunsAppendToTheHistoryACancelledOneDoesNot) {
    struct ZoneReset {
        ~ZoneReset() { tzset(); }
    } zoneReset;
    test::ScopedEnv zone("TZ", "UTC0");
    tzset();
    project.ClearKeywords();
    project.AddKeyword("shoes, \"red\"");
    project.AddKeyword("socks");
    const std::string a = "www.alpha.test";
    const std::string b = "beta.test/shop";
    // Per run: Google's and AOL's result lists for the first keyword; socks finds nothing.
    struct RunResults {
        std::vector<std::string> google;
        std::vector<std::string> aol;
    };
    std::vector<RunResults> runs(3, {Filler(10), Filler(3)});
    runs[0].google[1] = "http://www.alpha.test/";
    runs[0].aol[0] = "http://beta.test/shop";
    runs[1].google[4] = "http://www.alpha.test/";
    runs[1].google[0] = "http://beta.test/shop";
    runs[2].google[2] = "http://www.alpha.test/";
    runs[2].aol[1] = "http://beta.test/shop";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        emulator.SetResults(EngineId::Google, "shoes, \"red\"", runs[i].google);
        emulator.SetResults(EngineId::AOL, "shoes, \"red\"", runs[i].aol);
        FixedPositionRunInput dialog(project, 100);
        dialog.CheckOnly({EngineId::Google, EngineId::AOL});
        PositionAnalyzerRun run(dialog, status);
        run.SetClock([i] { return kRunTime + static_cast<std::time_t>(i) * 86400; });
        ASSERT_TRUE(run.Start());
        run.Wait();
        ASSERT_EQ(run.Outcome(), kPositionReportWritten);
    }

    // Google alpha, Google beta, AOL alpha, AOL beta for the first keyword.
    auto block = [&](const std::string& date, const std::array<std::string, 4>& at) {
        const std::string q = date + ",\"shoes, \"\"red\"\"\",";
        const std::string s = date + ",socks,";
        return q + a + ",Google," + at[0] + ",\r\n" + q + b + ",Google," + at[1] + ",\r\n" + q + a +
               ",AOL," + at[2] + ",\r\n" + q + b + ",AOL," + at[3] + ",\r\n" + s + a +
               ",Google,,\r\n" + s + b + ",Google,,\r\n" + s + a + ",AOL,,\r\n" + s + b +
               ",AOL,,\r\n";
    };
    const std::string expected = "date,keyword,site,engine,position,error\r\n" +
                                 block("2026-12-08T03:58:05", {"2", "", "", "1"}) +
                                 block("2026-12-09T03:58:05", {"5", "1", "", ""}) +
                                 block("2026-12-10T03:58:05", {"3", "", "", "2"});
    const std::string csvPath = App().paths.positionAnalyzerDir + "/history.csv";
    const std::string pagePath = App().paths.positionAnalyzerDir + "/history.html";
    std::string table;
    ASSERT_TRUE(ReadWholeFile(csvPath, table));
    EXPECT_EQ(table, expected);
    std::string page;
    ASSERT_TRUE(ReadWholeFile(pagePath, page));
    // The first keyword's Google alpha line spans the three runs: 2, 5, 3.
    EXPECT_NE(page.find("\"label\":\"www.alpha.test on Google\",\"notFound\":[false,false,false],"
                        "\"positions\":[2,5,3]"),
              std::string::npos)
        << page.substr(0, 4000);
    std::string report;
    ASSERT_TRUE(ReadWholeFile(
        App().paths.positionAnalyzerDir + "/AnalyzePos" + ReportStamp(kRunTime) + ".html", report));
    EXPECT_NE(report.find("<a href = 'history.html'>Position history</a>"), std::string::npos);

    emulator.SetResults(EngineId::Google, "shoes, \"red\"", Filler(10));
    FixedPositionRunInput dialog(project, 100);
    PositionAnalyzerRun cancelled(dialog, status);
    cancelled.SetClock([] { return kRunTime + 3 * 86400; });
    status.OnCall([&](const std::string& line) {
        if (line == "SetPosition 2") {
            cancelled.Cancel();
        }
    });
    ASSERT_TRUE(cancelled.Start());
    cancelled.Wait();
    EXPECT_EQ(cancelled.Outcome(), kPositionCancelled);
    std::string after;
    ASSERT_TRUE(ReadWholeFile(csvPath, after));
    EXPECT_EQ(after, expected);
    ASSERT_TRUE(ReadWholeFile(pagePath, after));
    EXPECT_EQ(after, page);
}

}  // namespace
}  // namespace sg
