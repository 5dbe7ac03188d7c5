#pragma once
// The Position Analyzer's status window as the run and the scrapers see it. The GUI's window,
// the terminal and the tests implement the display operations; the request flags, the warning
// flag, the log time stamps and the button rules live here, so that every front end behaves the
// same.
//
// Threads: the display operations, the questions and the request reads and clears are called
// from the run thread (a GUI marshals them to its window thread). PressSkip, PressClose and
// CloseCommand are called by whoever stands for the buttons (the window thread, a Ctrl-C
// watcher, a test); the flags are single atomics and no lock is held across any call.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>

#include "platform/RunControl.h"

namespace sg {

class PositionRunStatus {
  public:
    enum class LogIcon { kError, kInformation, kSkip };

    PositionRunStatus() = default;
    virtual ~PositionRunStatus() = default;
    PositionRunStatus(const PositionRunStatus&) = delete;
    PositionRunStatus& operator=(const PositionRunStatus&) = delete;

    // --- Fields -------------------------------------------------------------------------------
    // Found text, position and search-to-position "0", progress 0, engine label "No selected",
    // no logo, empty keyword text.
    virtual void ResetStatus() = 0;
    virtual void SetKeyword(const std::string& text) = 0;
    virtual void SetEngineLabel(const std::string& text) = 0;
    // The logo of that engine (an EngineId); -1 removes it.
    virtual void ShowEngineLogo(int engine) = 0;
    // A plain badge with the live engine's name in the logo's place; no logo unless a front end
    // draws one.
    virtual void ShowLiveEngineLogo(const std::string& name) {
        (void)name;
        ShowEngineLogo(-1);
    }
    virtual void SetFoundText(const std::string& text) = 0;
    // The position field, shown in decimal.
    virtual void SetPosition(std::int32_t position) = 0;
    // Progress range 0..max, and the search-to-position field FormatCount of max.
    void SetSearchRange(std::int64_t max);
    virtual void SetProgress(std::int64_t position) = 0;

    // --- Log ----------------------------------------------------------------------------------
    // A line at the top of the log with its icon and the local time "%H:%M:%S"; error and skip
    // lines set the warning flag.
    void LogInfo(const std::string& text);
    void LogError(const std::string& text);
    void LogSkip(const std::string& text);
    bool HasWarnings() const { return hasWarnings_.load(); }

    // --- Questions ----------------------------------------------------------------------------
    // A question with the buttons Yes and No, asked from the run thread; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;

    // --- Requests and flags -------------------------------------------------------------------
    bool SkipRequested() const { return skipRequest_.load(); }
    // Sets or clears the skip request: while it is set both buttons are disabled, when it is
    // cleared both are enabled.
    void SetSkipRequest(bool flag);
    bool StopRequested() const { return stopRequest_.load(); }
    // The stop request answered No: cleared, and Close and Skip are enabled again.
    void ClearStopRequest();
    bool Running() const { return running_.load(); }
    void SetRunning(bool flag) { running_.store(flag); }

    // --- Buttons ------------------------------------------------------------------------------
    virtual void EnableSkipButton(bool enable) = 0;
    virtual void EnableCloseButton(bool enable) = 0;
    // "Skip current engine": the skip request, which the scraper confirms at its next item.
    void PressSkip();
    // "Close": ignored while a skip request is pending; otherwise as CloseCommand.
    void PressClose();
    // The window's own close command: both buttons disabled; a window whose run has ended is
    // closed, during a run the stop request is set.
    void CloseCommand();

    // --- End of a run -------------------------------------------------------------------------
    // A line that says how the run ended (stopped without a report, or finished with its report
    // open), shown beside the last keyword, engine and counts, which stay as they were. Nothing
    // unless a front end shows it.
    virtual void ShowRunEnd(const std::string& text) { (void)text; }
    // Shows the first error or skip line, counted from the top of the log.
    virtual void ScrollToFirstWarning() = 0;
    // Hides and destroys the window; the run calls nothing on it afterwards.
    virtual void CloseWindow() = 0;

    // The time text a log line made at `when` carries.
    static std::string LogTime(std::time_t when);

    // --- A result page on its way ---------------------------------------------------------------
    // While a watch lives, a skip or stop request (made before or during it) ends the fetches of
    // the thread that made the watch within one wait slice, so that a slow engine does not hold
    // the request until its page comes. The search then asks about the request, and fetches
    // the page again when the answer is No. The run's own cancel ends them as before.
    class FetchWatch {
      public:
        explicit FetchWatch(PositionRunStatus& status);
        ~FetchWatch();
        FetchWatch(const FetchWatch&) = delete;
        FetchWatch& operator=(const FetchWatch&) = delete;
        // A request ended the fetch, not the run's cancel.
        bool Interrupted() const { return control_.CancelRequested() && !run_.CancelRequested(); }

      private:
        PositionRunStatus& status_;
        RunControl& run_;
        RunControl control_;
        RunControl::Scope scope_;
    };

  protected:
    virtual void AddLogLine(LogIcon icon, const std::string& text, const std::string& time) = 0;
    virtual void ShowSearchRange(std::int64_t max, const std::string& maxText) = 0;

  private:
    void Log(LogIcon icon, const std::string& text);
    // Ends the watched fetch, when there is one.
    void InterruptFetch();

    std::atomic<bool> skipRequest_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> hasWarnings_{false};
    std::mutex watchMutex_;
    RunControl* watched_ = nullptr;
};

}  // namespace sg
