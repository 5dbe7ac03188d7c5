#include "engines/PositionRunStatus.h"

#include "engines/FormatCount.h"

namespace sg {

void PositionRunStatus::SetSearchRange(std::int64_t max) {
    ShowSearchRange(max, FormatCount(std::to_string(max)));
}

void PositionRunStatus::LogInfo(const std::string& text) {
    Log(LogIcon::kInformation, text);
}

void PositionRunStatus::LogError(const std::string& text) {
    Log(LogIcon::kError, text);
}

void PositionRunStatus::LogSkip(const std::string& text) {
    Log(LogIcon::kSkip, text);
}

void PositionRunStatus::Log(LogIcon icon, const std::string& text) {
    if (icon != LogIcon::kInformation) {
        hasWarnings_.store(true);
    }
    AddLogLine(icon, text, LogTime(std::time(nullptr)));
}

std::string PositionRunStatus::LogTime(std::time_t when) {
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return std::string();
    }
    char buffer[16];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
    return std::string(buffer, n);
}

PositionRunStatus::FetchWatch::FetchWatch(PositionRunStatus& status)
    : status_(status), run_(RunControl::Current()), control_(run_), scope_(control_) {
    std::lock_guard<std::mutex> lock(status_.watchMutex_);
    status_.watched_ = &control_;
    if (status_.SkipRequested() || status_.StopRequested()) {
        control_.RequestCancel();
    }
}

PositionRunStatus::FetchWatch::~FetchWatch() {
    std::lock_guard<std::mutex> lock(status_.watchMutex_);
    status_.watched_ = nullptr;
}

void PositionRunStatus::InterruptFetch() {
    std::lock_guard<std::mutex> lock(watchMutex_);
    if (watched_ != nullptr) {
        watched_->RequestCancel();
    }
}

void PositionRunStatus::SetSkipRequest(bool flag) {
    skipRequest_.store(flag);
    if (flag) {
        InterruptFetch();
    }
    EnableSkipButton(!flag);
    EnableCloseButton(!flag);
}

void PositionRunStatus::ClearStopRequest() {
    stopRequest_.store(false);
    EnableCloseButton(true);
    EnableSkipButton(true);
}

void PositionRunStatus::PressSkip() {
    SetSkipRequest(true);
}

void PositionRunStatus::PressClose() {
    if (SkipRequested()) {
        return;
    }
    CloseCommand();
}

void PositionRunStatus::CloseCommand() {
    EnableSkipButton(false);
    EnableCloseButton(false);
    if (!Running()) {
        CloseWindow();
        return;
    }
    stopRequest_.store(true);
    InterruptFetch();
}

}  // namespace sg
