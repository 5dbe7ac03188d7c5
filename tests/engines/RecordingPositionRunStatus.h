#pragma once
// A status window for tests: records every call as one line ("SetFoundText 1,234", "LogSkip
// User skipped Google on position 3", "Ask Are you sure ...") and answers the questions from a
// script. A hook sees each line right after it is recorded, on the thread that made the call,
// so a test can press a button at an exact point of a run.

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engines/PositionRunStatus.h"

namespace sg::test {

class RecordingPositionRunStatus : public PositionRunStatus {
  public:
    struct LogLine {
        LogIcon icon;
        std::string text;
        std::string time;
    };

    // Answers for the next questions, in order; once they are used up every question gets
    // `fallback`.
    void ScriptAnswers(std::vector<bool> answers, bool fallback = true);
    void OnCall(std::function<void(const std::string& line)> hook);

    std::vector<std::string> Calls() const;
    // The calls that start with `prefix`, with the prefix and one blank removed.
    std::vector<std::string> CallsStartingWith(std::string_view prefix) const;
    std::vector<LogLine> Log() const;
    // The log texts alone, oldest first.
    std::vector<std::string> LogTexts() const;
    bool SkipEnabled() const;
    bool CloseEnabled() const;

    void ResetStatus() override;
    void SetKeyword(const std::string& text) override;
    void SetEngineLabel(const std::string& text) override;
    void ShowEngineLogo(int engine) override;
    void SetFoundText(const std::string& text) override;
    void SetPosition(std::int32_t position) override;
    void SetProgress(std::int64_t position) override;
    bool AskYesNo(const std::string& question) override;
    void EnableSkipButton(bool enable) override;
    void EnableCloseButton(bool enable) override;
    void ScrollToFirstWarning() override;
    void CloseWindow() override;

  protected:
    void AddLogLine(LogIcon icon, const std::string& text, const std::string& time) override;
    void ShowSearchRange(std::int64_t max, const std::string& maxText) override;

  private:
    void Record(std::string line);

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<LogLine> log_;
    std::deque<bool> answers_;
    bool fallback_ = true;
    bool skipEnabled_ = false;
    bool closeEnabled_ = true;
    std::function<void(const std::string&)> hook_;
};

}  // namespace sg::test
