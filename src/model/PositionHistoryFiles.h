#pragma once
// Where the Position Analyzer keeps its positions over time: the table every run appends to and
// the page drawn from it, both beside the run reports.

#include <string>
#include <string_view>

#include "model/AppPaths.h"

namespace sg {

inline constexpr std::string_view kPositionHistoryCsvName = "history.csv";
inline constexpr std::string_view kPositionHistoryPageName = "history.html";

inline std::string PositionHistoryCsvPath(const AppPaths& paths) {
    return paths.positionAnalyzerDir + "/" + std::string(kPositionHistoryCsvName);
}

inline std::string PositionHistoryPagePath(const AppPaths& paths) {
    return paths.positionAnalyzerDir + "/" + std::string(kPositionHistoryPageName);
}

}  // namespace sg
