#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "reports/ReportLine.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using namespace std::chrono_literals;

std::string Read(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

TEST(ReportLineRunControl, APausedRunWaitsAndACancelledOneWritesNothing) {
    test::TempDir dir;
    const std::string file = dir / "r.html";
    RunControl control;
    std::atomic<int> written{0};
    control.Pause();
    std::thread worker([&] {
        RunControl::Scope scope(control);
        AppendReportLine(file, "first");
        written = 1;
        AppendReportLine(file, "second");
        written = 2;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(written.load(), 0);
    EXPECT_FALSE(FileExists(file));

    control.Resume();
    worker.join();
    EXPECT_EQ(Read(file), "first\nsecond\n");

    control.RequestCancel();
    const std::string before = Read(file);
    {
        RunControl::Scope scope(control);
        AppendReportLine(file, "after");
    }
    EXPECT_EQ(Read(file), before);
    // A thread without a run control of its own is never held back.
    AppendReportLine(file, "free");
    EXPECT_EQ(Read(file), before + "free\n");
}

}  // namespace
}  // namespace sg
