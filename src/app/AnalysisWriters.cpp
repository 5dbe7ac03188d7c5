#include "app/AnalysisWriters.h"

#include "analysis/audit/SiteAudit.h"
#include "analysis/linkvalidator/LinkValidatorReport.h"
#include "analysis/readiness/ReadinessReport.h"
#include "app/SummaryPage.h"

namespace sg {

AnalysisWriters DefaultAnalysisWriters() {
    AnalysisWriters writers;
    writers.linkValidator = [](Project& project, Fetcher& fetcher, bool nested) {
        return WriteLinkValidatorReport(project, fetcher, nested);
    };
    writers.readiness = [](Project& project, Fetcher& fetcher) {
        return WriteReadinessReport(project, fetcher);
    };
    writers.nestedReadiness = [](Project& project, Fetcher& fetcher) {
        return WriteNestedReadinessReport(project, fetcher);
    };
    writers.summary = [](Project& project, SummaryKind kind) { WriteSummaryPage(project, kind); };
    writers.siteAudit = [](Project& project, Fetcher& fetcher, std::vector<AuditSite>& sites) {
        return WriteSiteAudit(project, fetcher, sites);
    };
    writers.siteAuditSummary = [](Project& project, const std::vector<AuditSite>& sites) {
        WriteSiteAuditSummary(project, sites);
    };
    return writers;
}

}  // namespace sg
