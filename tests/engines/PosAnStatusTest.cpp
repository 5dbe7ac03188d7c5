#include "engines/PosAnStatus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engines/RecordingPosAnStatus.h"

namespace sg {
namespace {

using ::testing::ElementsAre;

TEST(PosAnStatus, SkipDisablesBothButtonsAndBlocksCloseUntilCleared) {
    test::RecordingPosAnStatus status;
    status.SetRunning(true);
    status.SetSkipRequest(false);
    EXPECT_TRUE(status.SkipEnabled());
    status.PressSkip();
    EXPECT_TRUE(status.SkipRequested());
    EXPECT_FALSE(status.SkipEnabled());
    EXPECT_FALSE(status.CloseEnabled());
    // Close is ignored while the skip waits for its answer.
    status.PressClose();
    EXPECT_FALSE(status.StopRequested());
    status.SetSkipRequest(false);
    EXPECT_TRUE(status.SkipEnabled());
    EXPECT_TRUE(status.CloseEnabled());
    status.PressClose();
    EXPECT_TRUE(status.StopRequested());
    EXPECT_FALSE(status.SkipEnabled());
    EXPECT_FALSE(status.CloseEnabled());
    status.ClearStopRequest();
    EXPECT_FALSE(status.StopRequested());
    EXPECT_TRUE(status.SkipEnabled());
    EXPECT_TRUE(status.CloseEnabled());
    EXPECT_TRUE(status.CallsStartingWith("CloseWindow").empty());
}

TEST(PosAnStatus, CloseCommandStopsARunningSearchOrClosesAnEndedOne) {
    test::RecordingPosAnStatus status;
    status.SetRunning(true);
    status.PressSkip();
    // The window's own close command has no pending-skip check.
    status.CloseCommand();
    EXPECT_TRUE(status.StopRequested());

    test::RecordingPosAnStatus ended;
    ended.PressClose();
    EXPECT_FALSE(ended.StopRequested());
    EXPECT_EQ(ended.CallsStartingWith("CloseWindow").size(), 1u);
}

TEST(PosAnStatus, ErrorAndSkipLinesAreWarningsAndEveryLineHasItsTime) {
    test::RecordingPosAnStatus status;
    status.LogInfo("Connected to Google");
    EXPECT_FALSE(status.HasWarnings());
    status.LogSkip("User skip searching ");
    EXPECT_TRUE(status.HasWarnings());
    test::RecordingPosAnStatus other;
    other.LogError("Couldn't connect to MSN on position 0");
    EXPECT_TRUE(other.HasWarnings());

    const auto log = status.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].icon, PosAnStatus::LogIcon::kInformation);
    EXPECT_EQ(log[1].icon, PosAnStatus::LogIcon::kSkip);
    EXPECT_EQ(log[1].text, "User skip searching ");
    for (const auto& line : log) {
        EXPECT_THAT(line.time, ::testing::MatchesRegex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]"));
    }
}

TEST(PosAnStatus, SearchRangeShowsTheFormattedCount) {
    test::RecordingPosAnStatus status;
    status.SetSearchRange(1234567);
    status.SetSearchRange(100);
    EXPECT_THAT(status.CallsStartingWith("SearchRange"),
                ElementsAre("1234567 1,234,567", "100 100"));
}

}  // namespace
}  // namespace sg
