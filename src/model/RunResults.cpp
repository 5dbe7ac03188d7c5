#include "model/RunResults.h"

namespace sg {
namespace {

bool PageHasWarnings(const PageReadiness& page) {
    if (!page.title.ok || !page.description.ok || !page.keywords.ok || page.imagesWithoutAlt > 0) {
        return true;
    }
    for (const PageReadiness& sub : page.pages) {
        if (PageHasWarnings(sub)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool HasReadinessWarnings(const RunResults& results) {
    for (const PageReadiness& page : results.readiness) {
        if (PageHasWarnings(page)) {
            return true;
        }
    }
    return false;
}

bool HasFailedLinks(const RunResults& results) {
    for (const SiteLinks& site : results.links) {
        for (int n = 0; n < site.records.Count(); ++n) {
            const LinkStatus status = site.records.At(n).status;
            if (status == LinkStatus::Broken || status == LinkStatus::Unreachable) {
                return true;
            }
        }
    }
    return false;
}

bool HasAuditFindings(const RunResults& results, AuditSeverity severity) {
    for (const AuditSite& site : results.audit) {
        for (const AuditFinding& finding : site.findings) {
            if (finding.severity <= severity) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace sg
