#pragma once
// The report writers a run calls, as replaceable entries: the real ones by default, scripted
// ones where a test needs a run to stop at a known point.

#include <functional>
#include <vector>

#include "app/SummaryKind.h"
#include "model/AuditResults.h"
#include "model/Project.h"

namespace sg {

class Fetcher;

struct AnalysisWriters {
    // Each analysis answers whether the run goes on; the site analyses fetch through the run's
    // fetcher.
    std::function<bool(Project&, Fetcher&, bool nested)> linkValidator;
    std::function<bool(Project&, Fetcher&)> readiness;
    std::function<bool(Project&, Fetcher&)> nestedReadiness;
    std::function<void(Project&, SummaryKind)> summary;
    // The Site Audit: each site's page (its results appended to the list), then the summary
    // page of all of them.
    std::function<bool(Project&, Fetcher&, std::vector<AuditSite>&)> siteAudit;
    std::function<void(Project&, const std::vector<AuditSite>&)> siteAuditSummary;
};

// WriteLinkValidatorReport, WriteReadinessReport, WriteNestedReadinessReport, WriteSummaryPage,
// WriteSiteAudit, WriteSiteAuditSummary.
AnalysisWriters DefaultAnalysisWriters();

}  // namespace sg
