#pragma once

namespace sg {

// The tabs of the previous-reports browser, in their order on screen.
enum class PreviousReportTab {
    PositionAnalyzer = 0,
    EngineReadiness = 1,
    LinkPopularity = 2,
    LinkValidator = 3,
    SiteAudit = 4,
};

inline constexpr int kPreviousReportTabCount = 5;

}  // namespace sg
