#pragma once
// The report writers a run calls, as replaceable entries: the real ones by default, scripted
// ones where a test needs a run to stop at a known point.

#include <functional>

#include "app/SummaryKind.h"
#include "model/Project.h"

namespace sg {

struct AnalysisWriters {
    // Each analysis answers whether the run goes on.
    std::function<bool(Project&, bool nested)> linkValidator;
    std::function<bool(Project&)> readiness;
    std::function<bool(Project&)> nestedReadiness;
    std::function<void(Project&, SummaryKind)> summary;
};

// WriteLinkValidatorReport, WriteReadinessReport, WriteNestedReadinessReport, WriteSummaryPage.
AnalysisWriters DefaultAnalysisWriters();

}  // namespace sg
