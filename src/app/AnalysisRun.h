#pragma once
// One analysis run from "Analyze Now" to the opened summary page: the checks, the worker thread
// with its run control, the shared progress display, and Cancel.

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AnalysisFrontEnd.h"
#include "app/AnalysisSelection.h"
#include "app/AnalysisWriters.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "platform/Connectivity.h"
#include "platform/RunControl.h"
#include "platform/WorkerThread.h"

namespace sg {

// Results of AnalyzeNow.
inline constexpr int kRunStarted = 0;
inline constexpr int kRunOffline = 1;
inline constexpr int kRunProjectNotReady = 2;
inline constexpr int kRunNothingSelected = 3;
// A run of this object is still going.
inline constexpr int kRunBusy = 4;

inline constexpr const char* kNothingSelectedMessage =
    "Please check all the analyze functions that you want applied to this site.";
inline constexpr const char* kCancelQuestion = "Are you sure you want to Cancel?";

// The hosts a run of `selection` asks: the project's sites, and the engines' link-count hosts
// when Link Popularity runs (alone, as RunSelected runs it).
std::vector<std::string> HostsOfRun(const Project& project, const AnalysisSelection& selection);

class AnalysisRun {
  public:
    // `progress` is the front end's progress display; it must outlive the run (RunFinished).
    AnalysisRun(Project& project, AnalysisFrontEnd& frontEnd, ProgressSink& progress,
                AnalysisWriters writers = DefaultAnalysisWriters());
    // A run still going is cancelled without asking, and waited for.
    ~AnalysisRun();
    AnalysisRun(const AnalysisRun&) = delete;
    AnalysisRun& operator=(const AnalysisRun&) = delete;

    // Whether the worker opens the summary page when the run ends (the CLI only does on request).
    void SetOpensSummaryPage(bool opens) { opensSummaryPage_ = opens; }
    // Whether a cancelled run deletes the run folders it created (the GUI, whose Previous
    // Reports cannot list a folder without its summary page); the CLI keeps the sites' reports
    // finished before Ctrl-C.
    void SetRemovesCancelledRun(bool removes) { removesCancelledRun_ = removes; }

    // "Analyze Now": the connection (CanReach the run's hosts), the project and the selection
    // are checked (the front end
    // is told about a failed check), the report name is stamped and the worker started.
    int AnalyzeNow(const AnalysisSelection& selection);

    // The Cancel button: the worker stops at its next report line while the front end asks;
    // Yes cancels the run (nothing more is written, no page is opened, this run's summary page,
    // if it has begun one, is deleted, and with SetRemovesCancelledRun so are the run folders
    // this run created; a folder that was there before the run stays), No lets it go on. Returns
    // true when the run was cancelled; false, without asking, when no run is going or it is already
    // finishing.
    bool RequestCancel();
    // Cancels as a confirmed Cancel does, without asking (Ctrl-C, tear-down).
    void CancelNow();

    // Waits for the worker to end; WaitFor answers whether it has ended within `timeout`.
    void Wait();
    bool WaitFor(std::chrono::milliseconds timeout);
    bool WasCancelled() const;

  private:
    // Forwards the writers' progress calls to the front end until the run is cancelled, so a
    // cancelled run shows no more movement.
    class Forwarder : public ProgressSink {
      public:
        Forwarder(ProgressSink& target, const RunControl& control)
            : target_(target), control_(control) {}
        void SetCaption(const std::string& text) override;
        int Position() const override { return target_.Position(); }
        void SetPosition(int position) override;
        void LogLine(const std::string& text) override;
        void Count(ProgressCount what) override;
        void SiteWork(int done, int known) override;
        void RequestEnded(bool proxyUnreachable) override;

      private:
        ProgressSink& target_;
        const RunControl& control_;
    };

    void Work(AnalysisSelection selection);
    // Deletes the run folders of this run's report name that did not exist when it started.
    void RemoveCreatedRunFolders();
    // Blocks while a Cancel question is open; false when the run was cancelled. On true the
    // run is marked finishing, so a later Cancel no longer applies.
    bool PassFinalGate();

    Project& project_;
    AnalysisFrontEnd& frontEnd_;
    ProgressSink& progress_;
    AnalysisWriters writers_;
    bool opensSummaryPage_ = true;
    bool removesCancelledRun_ = false;

    // One per run: a fresh control, so a cancelled run leaves nothing behind for the next one.
    std::unique_ptr<RunControl> control_;
    std::unique_ptr<Forwarder> forwarder_;
    WorkerThread worker_;
    mutable std::mutex mutex_;
    bool finishing_ = false;
    bool cancelled_ = false;
    // A Cancel question is open.
    bool asking_ = false;
    // Set on the worker when the summary writer of this run has been entered.
    bool summaryBegun_ = false;
    // The run folders of this run's report name that were absent at its start: only these are
    // removed after a Cancel.
    std::vector<std::string> newRunFolders_;
};

}  // namespace sg
