#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/RunControl.h"

namespace sg {
namespace {

using namespace std::chrono_literals;

TEST(WorkerThread, RunsOneBodyAtATimeUnderItsControlAndCanGiveUpOnIt) {
    WorkerThread worker;
    RunControl control;
    std::atomic<bool> release{false};
    std::atomic<RunControl*> seen{nullptr};
    ASSERT_TRUE(worker.Start(control, [&] {
        seen = &RunControl::Current();
        while (!release && !RunCancelled()) {
            std::this_thread::sleep_for(1ms);
        }
    }));
    EXPECT_FALSE(worker.Start([] {}));
    EXPECT_FALSE(worker.WaitFor(50ms));
    EXPECT_TRUE(worker.Running());
    control.RequestCancel();  // the body's cancel check sees its own control
    EXPECT_TRUE(worker.WaitFor(2s));
    EXPECT_EQ(seen.load(), &control);
    EXPECT_FALSE(worker.Running());

    // A body that does not end is left alone, and another one can start.
    ASSERT_TRUE(worker.Start([&] {
        while (!release) {
            std::this_thread::sleep_for(1ms);
        }
    }));
    EXPECT_FALSE(worker.WaitFor(20ms));
    worker.Detach();
    std::atomic<bool> ran{false};
    EXPECT_TRUE(worker.Start([&] { ran = true; }));
    worker.Wait();
    EXPECT_TRUE(ran);
    release = true;
    std::this_thread::sleep_for(20ms);  // the detached body returns before `release` goes
}

}  // namespace
}  // namespace sg
