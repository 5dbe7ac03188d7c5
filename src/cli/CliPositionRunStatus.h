#pragma once

#include <ostream>
#include <string>

#include "engines/PositionRunStatus.h"

namespace sg {

// The terminal as the Position Analyzer's status window: the keyword, the engine, its found
// total, the search-to position, each position looked at and every log line with its time go
// to the stream as lines; questions are answered Yes, since the only request a terminal can
// make is the stop of Ctrl-C.
class CliPositionRunStatus : public PositionRunStatus {
  public:
    explicit CliPositionRunStatus(std::ostream& out) : out_(out) {}

    void ResetStatus() override { shownEngine_.clear(); }
    void SetKeyword(const std::string& text) override;
    void SetEngineLabel(const std::string& text) override;
    void ShowEngineLogo(int /*engine*/) override {}
    void SetFoundText(const std::string& text) override;
    void SetPosition(std::int32_t position) override;
    void SetProgress(std::int64_t /*position*/) override {}
    bool AskYesNo(const std::string& question) override;
    void EnableSkipButton(bool /*enable*/) override {}
    void EnableCloseButton(bool /*enable*/) override {}
    void ScrollToFirstWarning() override {}
    void CloseWindow() override {}

  protected:
    void AddLogLine(LogIcon icon, const std::string& text, const std::string& time) override;
    void ShowSearchRange(std::int64_t max, const std::string& maxText) override;

  private:
    std::ostream& out_;
    // Every result page sets the engine label again; the terminal shows it once per engine.
    std::string shownEngine_;
};

}  // namespace sg
