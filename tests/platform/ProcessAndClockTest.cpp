#include <gtest/gtest.h>
#include <sys/stat.h>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "platform/RunControl.h"
#include "platform/TickCount.h"
#include "support/TempDir.h"
#include "support/WaitForFile.h"

namespace sg {
namespace {

// Writes a script that records its first argument, so a test can see what a viewer was given.
std::string RecorderScript(const test::TempDir& dir, const std::string& name) {
    std::string script = dir / name;
    WriteWholeFile(script, "#!/bin/sh\n" + test::RecordArgumentLine("$0.out") + "\n");
    ::chmod(script.c_str(), 0755);
    return script;
}

// A viewer script: records its first argument beside itself, then runs `then`.
std::string ViewerScript(const test::TempDir& dir, const std::string& name,
                         const std::string& then) {
    std::string script = dir / name;
    WriteWholeFile(script, "#!/bin/sh\n" + test::RecordArgumentLine("$0.out") + "\n" + then + "\n");
    ::chmod(script.c_str(), 0755);
    return script;
}

TEST(OpenDocument, FallsBackWhenTheFirstViewerCannotStartAndPassesThePathVerbatim) {
    test::TempDir dir;
    std::string fallback = RecorderScript(dir, "browser");
    // Shell syntax in the path must reach the viewer as one plain argument.
    std::string path = dir / "my report; touch pwned.html";
    const auto launch = LaunchDocumentViewer(dir / "no-such-opener", fallback, path);
    ASSERT_TRUE(launch->Started());
    std::string seen;
    ASSERT_TRUE(test::WaitForFile(fallback + ".out", seen));
    EXPECT_EQ(seen, path);
    EXPECT_FALSE(FileExists(dir / "pwned.html"));
    EXPECT_EQ(launch->WaitFor(std::chrono::seconds(5)), DocumentLaunch::kShown);
    const auto none = LaunchDocumentViewer(dir / "none", "", path);
    EXPECT_FALSE(none->Started());
    EXPECT_EQ(none->Result(), DocumentLaunch::kNoViewer);
}

// A viewer that ends with an error at once (xdg-open exits 4 when the browser it started
// refused to run) shows nothing: the fallback is tried, and without one the launch fails. One
// that ends well, or still runs when the grace period is over, shows the file.
TEST(OpenDocument, AViewerThatFailsAtOnceCountsAsNoneAndOneThatKeepsRunningAsShown) {
    test::TempDir dir;
    const std::string path = dir / "report.html";
    const std::string failing = ViewerScript(dir, "failing", "exit 4");
    const std::string killed = ViewerScript(dir, "killed", "kill -9 $$");
    const std::string good = ViewerScript(dir, "good", "exit 0");
    // Outlives its grace period; its output goes elsewhere, so the test's runner does not wait
    // for it to end.
    const std::string staying =
        ViewerScript(dir, "staying", "exec sleep 5 </dev/null >/dev/null 2>&1");
    struct Case {
        std::string program;
        std::string fallback;
        int result;
        std::string fallbackRan;
        // Long where the viewer ends by itself (the result comes when it ends), so a slow
        // machine cannot make a quick failure look late.
        std::chrono::milliseconds grace{30000};
    };
    const std::vector<Case> cases = {
        {failing, "", DocumentLaunch::kViewerFailed, ""},
        {killed, "", DocumentLaunch::kViewerFailed, ""},
        {failing, failing, DocumentLaunch::kViewerFailed, ""},
        {failing, good, DocumentLaunch::kShown, good},
        {good, failing, DocumentLaunch::kShown, ""},
        {staying, failing, DocumentLaunch::kShown, "", std::chrono::milliseconds(300)},
    };
    for (const Case& c : cases) {
        std::remove((good + ".out").c_str());
        const auto launch = LaunchDocumentViewer(c.program, c.fallback, path, c.grace);
        EXPECT_TRUE(launch->Started());
        // Settled by the viewer's end, or by the end of the grace period at the latest.
        EXPECT_EQ(launch->WaitFor(c.grace + std::chrono::seconds(3)), c.result) << c.program;
        EXPECT_EQ(launch->Result(), c.result) << c.program;
        if (!c.fallbackRan.empty()) {
            std::string seen;
            EXPECT_TRUE(ReadWholeFile(c.fallbackRan + ".out", seen));
            EXPECT_EQ(seen, path);
        }
    }
}

TEST(OpenDocument, ReplaceableOpenerRecordsPaths) {
    std::vector<std::string> opened;
    SetDocumentOpener([&](const std::string& p) { opened.push_back(p); });
    EXPECT_TRUE(OpenDocument("/tmp/a.html"));
    SetDocumentOpener([&](const std::string& p) {
        opened.push_back(p);
        return false;
    });
    EXPECT_FALSE(OpenDocument("/tmp/b.html"));
    EXPECT_EQ(LaunchDocument("/tmp/c.html")->Result(), DocumentLaunch::kNoViewer);
    SetDocumentOpener(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"/tmp/a.html", "/tmp/b.html", "/tmp/c.html"}));
}

// The default opener says whether xdg-open or $BROWSER started, so the user can be told where
// the file is when neither exists.
TEST(OpenDocument, DefaultOpenerAnswersWhetherAViewerStarted) {
    test::TempDir dir;
    test::ScopedEnv path("PATH", dir.path().c_str());
    {
        test::ScopedEnv browser("BROWSER", nullptr);
        EXPECT_FALSE(OpenDocument(dir / "report.html"));
    }
    const std::string recorder = RecorderScript(dir, "browser");
    test::ScopedEnv browser("BROWSER", recorder.c_str());
    EXPECT_TRUE(OpenDocument(dir / "report.html"));
    std::string seen;
    ASSERT_TRUE(test::WaitForFile(recorder + ".out", seen));
    EXPECT_EQ(seen, dir / "report.html");
}

TEST(Connectivity, CheckCanBeReplaced) {
    SetOnlineCheck([] { return false; });
    EXPECT_FALSE(IsOnline());
    SetOnlineCheck([] { return true; });
    EXPECT_TRUE(IsOnline());
    SetOnlineCheck(nullptr);
}

TEST(TickCount, AdvancesWithTime) {
    std::uint64_t start = TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    std::uint64_t elapsed = TickCount() - start;
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(RunControl, CancelReleasesAPausedWorkerAndScopesNest) {
    RunControl control;
    EXPECT_FALSE(RunCancelled());
    control.Pause();
    std::atomic<int> result{-1};
    std::thread worker([&] {
        RunControl::Scope scope(control);
        result = control.WaitWhilePaused() ? 1 : 0;
        EXPECT_TRUE(RunCancelled());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(result.load(), -1);  // still held at the gate
    control.RequestCancel();
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(RunCancelled());  // this thread never had the control

    RunControl outer, inner;
    inner.RequestCancel();
    RunControl::Scope a(outer);
    {
        RunControl::Scope b(inner);
        EXPECT_TRUE(RunCancelled());
    }
    EXPECT_FALSE(RunCancelled());
}

TEST(RunControl, ResumeLetsTheWorkerGoOn) {
    RunControl control;
    control.Pause();
    std::thread resumer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        control.Resume();
    });
    EXPECT_TRUE(control.WaitWhilePaused());
    resumer.join();
    EXPECT_FALSE(control.Paused());
}

}  // namespace
}  // namespace sg
