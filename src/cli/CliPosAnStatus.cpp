#include "cli/CliPosAnStatus.h"

#include "cli/TerminalText.h"

namespace sg {

void CliPosAnStatus::SetKeyword(const std::string& text) {
    out_ << "keyword: " << TerminalText(text) << '\n';
}

void CliPosAnStatus::SetEngineLabel(const std::string& text) {
    if (text == shownEngine_) {
        return;
    }
    shownEngine_ = text;
    out_ << "engine: " << TerminalText(text) << '\n';
}

void CliPosAnStatus::SetFoundText(const std::string& text) {
    out_ << "found: " << TerminalText(text) << '\n';
}

void CliPosAnStatus::SetPosition(std::int32_t position) {
    out_ << "position: " << position << '\n';
}

bool CliPosAnStatus::AskYesNo(const std::string& question) {
    out_ << "question: " << TerminalText(question) << " Yes\n";
    return true;
}

void CliPosAnStatus::AddLogLine(LogIcon icon, const std::string& text, const std::string& time) {
    const char* kind = icon == LogIcon::kError ? "error" : icon == LogIcon::kSkip ? "skip" : "info";
    out_ << time << ' ' << kind << ": " << TerminalText(text) << '\n';
    out_.flush();
}

void CliPosAnStatus::ShowSearchRange(std::int64_t /*max*/, const std::string& maxText) {
    out_ << "search to: " << TerminalText(maxText) << '\n';
}

}  // namespace sg
