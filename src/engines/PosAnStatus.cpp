#include "engines/PosAnStatus.h"

#include "engines/FormatCount.h"

namespace sg {

void PosAnStatus::SetSearchRange(std::int64_t max) {
    ShowSearchRange(max, FormatCount(std::to_string(max)));
}

void PosAnStatus::LogInfo(const std::string& text) {
    Log(LogIcon::kInformation, text);
}

void PosAnStatus::LogError(const std::string& text) {
    Log(LogIcon::kError, text);
}

void PosAnStatus::LogSkip(const std::string& text) {
    Log(LogIcon::kSkip, text);
}

void PosAnStatus::Log(LogIcon icon, const std::string& text) {
    if (icon != LogIcon::kInformation) {
        hasWarnings_.store(true);
    }
    AddLogLine(icon, text, LogTime(std::time(nullptr)));
}

std::string PosAnStatus::LogTime(std::time_t when) {
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return std::string();
    }
    char buffer[16];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
    return std::string(buffer, n);
}

void PosAnStatus::SetSkipRequest(bool flag) {
    skipRequest_.store(flag);
    EnableSkipButton(!flag);
    EnableCloseButton(!flag);
}

void PosAnStatus::ClearStopRequest() {
    stopRequest_.store(false);
    EnableCloseButton(true);
    EnableSkipButton(true);
}

void PosAnStatus::PressSkip() {
    SetSkipRequest(true);
}

void PosAnStatus::PressClose() {
    if (SkipRequested()) {
        return;
    }
    CloseCommand();
}

void PosAnStatus::CloseCommand() {
    EnableSkipButton(false);
    EnableCloseButton(false);
    if (!Running()) {
        CloseWindow();
        return;
    }
    stopRequest_.store(true);
}

}  // namespace sg
