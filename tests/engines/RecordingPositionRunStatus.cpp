#include "engines/RecordingPositionRunStatus.h"

namespace sg::test {

void RecordingPositionRunStatus::ScriptAnswers(std::vector<bool> answers, bool fallback) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
    fallback_ = fallback;
}

void RecordingPositionRunStatus::OnCall(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

std::vector<std::string> RecordingPositionRunStatus::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingPositionRunStatus::CallsStartingWith(
    std::string_view prefix) const {
    std::vector<std::string> matching;
    for (const std::string& call : Calls()) {
        if (call.starts_with(prefix)) {
            const std::size_t cut = std::min(call.size(), prefix.size() + 1);
            matching.push_back(call.substr(cut));
        }
    }
    return matching;
}

std::vector<RecordingPositionRunStatus::LogLine> RecordingPositionRunStatus::Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

std::vector<std::string> RecordingPositionRunStatus::LogTexts() const {
    std::vector<std::string> texts;
    for (const LogLine& line : Log()) {
        texts.push_back(line.text);
    }
    return texts;
}

bool RecordingPositionRunStatus::SkipEnabled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return skipEnabled_;
}

bool RecordingPositionRunStatus::CloseEnabled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closeEnabled_;
}

void RecordingPositionRunStatus::Record(std::string line) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(line);
        hook = hook_;
    }
    if (hook) {
        hook(line);
    }
}

void RecordingPositionRunStatus::ResetStatus() {
    Record("ResetStatus");
}

void RecordingPositionRunStatus::SetKeyword(const std::string& text) {
    Record("SetKeyword " + text);
}

void RecordingPositionRunStatus::SetEngineLabel(const std::string& text) {
    Record("SetEngineLabel " + text);
}

void RecordingPositionRunStatus::ShowEngineLogo(int engine) {
    Record("ShowEngineLogo " + std::to_string(engine));
}

void RecordingPositionRunStatus::SetFoundText(const std::string& text) {
    Record("SetFoundText " + text);
}

void RecordingPositionRunStatus::SetPosition(std::int32_t position) {
    Record("SetPosition " + std::to_string(position));
}

void RecordingPositionRunStatus::SetProgress(std::int64_t position) {
    Record("SetProgress " + std::to_string(position));
}

bool RecordingPositionRunStatus::AskYesNo(const std::string& question) {
    bool answer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answer = fallback_;
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
    }
    Record("Ask " + question);
    return answer;
}

void RecordingPositionRunStatus::EnableSkipButton(bool enable) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        skipEnabled_ = enable;
    }
    Record(std::string("EnableSkip ") + (enable ? "1" : "0"));
}

void RecordingPositionRunStatus::EnableCloseButton(bool enable) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closeEnabled_ = enable;
    }
    Record(std::string("EnableClose ") + (enable ? "1" : "0"));
}

void RecordingPositionRunStatus::ScrollToFirstWarning() {
    Record("ScrollToFirstWarning");
}

void RecordingPositionRunStatus::CloseWindow() {
    Record("CloseWindow");
}

void RecordingPositionRunStatus::AddLogLine(LogIcon icon, const std::string& text,
                                            const std::string& time) {
    const char* kind = icon == LogIcon::kError  ? "LogError "
                       : icon == LogIcon::kSkip ? "LogSkip "
                                                : "LogInfo ";
    {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(LogLine{icon, text, time});
    }
    Record(kind + text);
}

void RecordingPositionRunStatus::ShowSearchRange(std::int64_t max, const std::string& maxText) {
    Record("SearchRange " + std::to_string(max) + " " + maxText);
}

}  // namespace sg::test
