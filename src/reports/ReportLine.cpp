#include "reports/ReportLine.h"

#include <cstdio>
#include <string>

#include "platform/RunControl.h"

namespace sg {

void AppendReportLine(std::string_view path, std::string_view text) {
    // A run whose Cancel question is open waits here, so nothing is written while the user
    // decides; after a confirmed Cancel no line reaches any report.
    if (!RunControl::Current().WaitWhilePaused() || RunCancelled()) {
        return;
    }
    const std::string name(path);
    std::FILE* file = std::fopen(name.c_str(), "ab");
    if (file == nullptr) {
        return;
    }
    if (!text.empty()) {
        std::fwrite(text.data(), 1, text.size(), file);
    }
    std::fputc('\n', file);
    std::fflush(file);
    std::fclose(file);
}

bool AppendLineOrStop(const std::string& path, std::string_view text) {
    if (RunCancelled()) {
        return false;
    }
    AppendReportLine(path, text);
    // A cancel confirmed while the line waited behind the Cancel question wrote nothing.
    return !RunCancelled();
}

bool AppendLinesOrStop(const std::string& path, std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) {
        if (!AppendLineOrStop(path, line)) {
            return false;
        }
    }
    return true;
}

}  // namespace sg
