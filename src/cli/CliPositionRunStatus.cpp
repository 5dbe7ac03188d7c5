#include "cli/CliPositionRunStatus.h"

#include "cli/TerminalText.h"

namespace sg {

void CliPositionRunStatus::SetKeyword(const std::string& text) {
    out_ << "keyword: " << TerminalText(text) << '\n';
}

void CliPositionRunStatus::SetEngineLabel(const std::string& text) {
    if (text == shownEngine_) {
        return;
    }
    shownEngine_ = text;
    out_ << "engine: " << TerminalText(text) << '\n';
}

void CliPositionRunStatus::SetFoundText(const std::string& text) {
    out_ << "found: " << TerminalText(text) << '\n';
}

void CliPositionRunStatus::SetPosition(std::int32_t position) {
    out_ << "position: " << position << '\n';
}

bool CliPositionRunStatus::AskYesNo(const std::string& question) {
    out_ << "question: " << TerminalText(question) << " Yes\n";
    return true;
}

void CliPositionRunStatus::AddLogLine(LogIcon icon, const std::string& text,
                                      const std::string& time) {
    const char* kind = icon == LogIcon::kError ? "error" : icon == LogIcon::kSkip ? "skip" : "info";
    out_ << time << ' ' << kind << ": " << TerminalText(text) << '\n';
    out_.flush();
}

void CliPositionRunStatus::ShowSearchRange(std::int64_t /*max*/, const std::string& maxText) {
    out_ << "search to: " << TerminalText(maxText) << '\n';
}

}  // namespace sg
