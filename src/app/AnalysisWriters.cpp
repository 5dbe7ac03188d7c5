#include "app/AnalysisWriters.h"

#include "analysis/LinkValidatorReport.h"
#include "analysis/ReadinessReport.h"
#include "analysis/SiteAudit.h"
#include "app/SummaryPage.h"

namespace sg {

AnalysisWriters DefaultAnalysisWriters() {
    AnalysisWriters writers;
    writers.linkValidator = [](Project& project, bool nested) {
        return WriteLinkValidatorReport(project, nested);
    };
    writers.readiness = [](Project& project) { return WriteReadinessReport(project); };
    writers.nestedReadiness = [](Project& project) { return WriteNestedReadinessReport(project); };
    writers.summary = [](Project& project, SummaryKind kind) { WriteSummaryPage(project, kind); };
    writers.siteAudit = [](Project& project, std::vector<AuditSite>& sites) {
        return WriteSiteAudit(project, sites);
    };
    writers.siteAuditSummary = [](Project& project, const std::vector<AuditSite>& sites) {
        WriteSiteAuditSummary(project, sites);
    };
    return writers;
}

}  // namespace sg
