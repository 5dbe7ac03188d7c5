#include "engines/RecordingPosAnStatus.h"

namespace sg::test {

void RecordingPosAnStatus::ScriptAnswers(std::vector<bool> answers, bool fallback) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
    fallback_ = fallback;
}

void RecordingPosAnStatus::OnCall(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

std::vector<std::string> RecordingPosAnStatus::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingPosAnStatus::CallsStartingWith(std::string_view prefix) const {
    std::vector<std::string> matching;
    for (const std::string& call : Calls()) {
        if (call.starts_with(prefix)) {
            const std::size_t cut = std::min(call.size(), prefix.size() + 1);
            matching.push_back(call.substr(cut));
        }
    }
    return matching;
}

std::vector<RecordingPosAnStatus::LogLine> RecordingPosAnStatus::Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

std::vector<std::string> RecordingPosAnStatus::LogTexts() const {
    std::vector<std::string> texts;
    for (const LogLine& line : Log()) {
        texts.push_back(line.text);
    }
    return texts;
}

bool RecordingPosAnStatus::SkipEnabled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return skipEnabled_;
}

bool RecordingPosAnStatus::CloseEnabled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closeEnabled_;
}

void RecordingPosAnStatus::Record(std::string line) {
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

void RecordingPosAnStatus::ResetStatus() {
    Record("ResetStatus");
}

void RecordingPosAnStatus::SetKeyword(const std::string& text) {
    Record("SetKeyword " + text);
}

void RecordingPosAnStatus::SetEngineLabel(const std::string& text) {
    Record("SetEngineLabel " + text);
}

void RecordingPosAnStatus::ShowEngineLogo(int engine) {
    Record("ShowEngineLogo " + std::to_string(engine));
}

void RecordingPosAnStatus::SetFoundText(const std::string& text) {
    Record("SetFoundText " + text);
}

void RecordingPosAnStatus::SetPosition(std::int32_t position) {
    Record("SetPosition " + std::to_string(position));
}

void RecordingPosAnStatus::SetProgress(std::int64_t position) {
    Record("SetProgress " + std::to_string(position));
}

bool RecordingPosAnStatus::AskYesNo(const std::string& question) {
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

void RecordingPosAnStatus::EnableSkipButton(bool enable) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        skipEnabled_ = enable;
    }
    Record(std::string("EnableSkip ") + (enable ? "1" : "0"));
}

void RecordingPosAnStatus::EnableCloseButton(bool enable) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closeEnabled_ = enable;
    }
    Record(std::string("EnableClose ") + (enable ? "1" : "0"));
}

void RecordingPosAnStatus::ScrollToFirstWarning() {
    Record("ScrollToFirstWarning");
}

void RecordingPosAnStatus::CloseWindow() {
    Record("CloseWindow");
}

void RecordingPosAnStatus::AddLogLine(LogIcon icon, const std::string& text,
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

void RecordingPosAnStatus::ShowSearchRange(std::int64_t max, const std::string& maxText) {
    Record("SearchRange " + std::to_string(max) + " " + maxText);
}

}  // namespace sg::test
