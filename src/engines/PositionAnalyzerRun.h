#pragma once
// One Position Analyzer run: for every keyword of the project and every checked engine, in
// engine order, the engine's result pages are searched for the sites; then the report is
// written in one piece and opened. The run lives on a thread of its own and talks to the user
// only through the status window and the site position dialog, both of which it is given.

#include <chrono>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "engines/PositionRunInput.h"
#include "engines/PositionRunStatus.h"
#include "platform/RunControl.h"
#include "platform/WorkerThread.h"

namespace sg {

// How a run ended.
inline constexpr int kPositionReportWritten = 0;
// No internet connection: one error line, no report.
inline constexpr int kPositionOffline = 1;
// The stop request ended it: no report.
inline constexpr int kPositionStopped = 2;
// Cancelled through its run control (the program is closing): no report, nothing opened.
inline constexpr int kPositionCancelled = 3;
// Still running, or never started.
inline constexpr int kPositionNotEnded = -1;

// The status window's last line for a stopped run and for a finished one.
inline constexpr const char* kRunStoppedText = "The run was stopped: no report was written.";
inline constexpr const char* kRunFinishedText =
    "The run is finished: the report is written and opened in your browser.";

class PositionAnalyzerRun {
  public:
    // The dialog and the status window must outlive the run.
    PositionAnalyzerRun(PositionRunInput& dialog, PositionRunStatus& status);
    // Cancels a run that is still going and waits for its thread.
    ~PositionAnalyzerRun();
    PositionAnalyzerRun(const PositionAnalyzerRun&) = delete;
    PositionAnalyzerRun& operator=(const PositionAnalyzerRun&) = delete;

    // Sets the status window's running flag and starts the run thread. A run object runs once:
    // false when it was started before.
    bool Start();
    // True once the run thread has ended (within the time-out).
    bool WaitFor(std::chrono::milliseconds timeout);
    void Wait();
    // Ends the run as soon as it can: a fetch in progress is abandoned within one wait slice,
    // no further question is asked, no report is written and nothing is opened.
    void Cancel() { control_.RequestCancel(); }

    int Outcome() const;
    // The path of the report, known once the run has passed its connection check.
    std::string ReportPath() const;

    // The clock for the report's stamp and date (tests fix it); the default is std::time.
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

  private:
    // The thread body: Body, then its outcome kept.
    int Run();
    int Body();
    // The end of a run that writes no report.
    void EndWithoutReport();
    // The end of a run stopped by the user or cancelled: kPositionStopped or kPositionCancelled.
    int EndStopped();
    // The depth in the window's "Search to Position" while an engine's first page is awaited.
    void ShowDepth(int depth);

    PositionRunInput& dialog_;
    PositionRunStatus& status_;
    RunControl control_;
    std::function<std::time_t()> clock_;
    bool started_ = false;

    mutable std::mutex mutex_;
    int outcome_ = kPositionNotEnded;
    std::string reportPath_;
    // Last, so that it is joined before the members its body uses go.
    WorkerThread worker_;
};

}  // namespace sg
