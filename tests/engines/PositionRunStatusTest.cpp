#include "engines/PositionRunStatus.h"

#include <gtest/gtest.h>

#include "engines/RecordingPositionRunStatus.h"

namespace sg {
namespace {

TEST(PositionRunStatus, SkipDisablesBothButtonsAndBlocksCloseUntilCleared) {
    test::RecordingPositionRunStatus status;
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

TEST(PositionRunStatus, CloseCommandStopsARunningSearchOrClosesAnEndedOne) {
    test::RecordingPositionRunStatus status;
    status.SetRunning(true);
    status.PressSkip();
    // The window's own close command has no pending-skip check.
    status.CloseCommand();
    EXPECT_TRUE(status.StopRequested());

    test::RecordingPositionRunStatus ended;
    ended.PressClose();
    EXPECT_FALSE(ended.StopRequested());
    EXPECT_EQ(ended.CallsStartingWith("CloseWindow").size(), 1u);
}

}  // namespace
}  // namespace sg
