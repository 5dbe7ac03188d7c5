#include "analysis/AppendLineOrStop.h"

#include "platform/RunControl.h"
#include "reports/ReportLine.h"

namespace sg {

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
