#include "analysis/audit/SiteAudit.h"

#include <algorithm>
#include <ctime>

#include "analysis/audit/checks/AuditRules.h"
#include "analysis/audit/gather/AuditCrawl.h"
#include "analysis/audit/report/AuditSitePage.h"
#include "analysis/audit/report/AuditSummaryPage.h"
#include "html/PageCharset.h"
#include "model/AppState.h"
#include "model/EachSite.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

std::string RunFolder(const Project& project) {
    return App().paths.siteAuditDir + "/" + project.GetReportName();
}

std::string SummaryFile(const Project& project) {
    return project.GetReportName() + ".html";
}

}  // namespace

std::string SiteAuditFile(const UrlEntry& entry) {
    return entry.GetShortName() + ".html";
}

bool WriteSiteAudit(Project& project, Fetcher& fetcher, std::vector<AuditSite>& sites) {
    CreateFolder(App().paths.siteAuditDir);
    const std::string folder = RunFolder(project);
    CreateFolder(folder);
    return ForEachSite(project, "Site Audit in progress... ", [&](UrlEntry& entry) {
        const std::string& url = entry.GetUrl();
        AuditGatherBounds bounds;
        bounds.manners = MannersFor(project, entry);
        bounds.slowFirstByteMs = kSlowFirstByteMs;
        AuditSite site;
        {
            // What the checks read goes before the page is written: only the verdicts stay.
            const AuditSiteData data = GatherSite(fetcher, url, bounds);
            if (RunCancelled()) {
                return false;
            }
            site = JudgeSite(data, std::time(nullptr));
        }
        site.url = Utf8Text(url, PageCharset::Utf8);
        // Written piece by piece, replacing the old page only once whole.
        const std::string projectName = Utf8Text(project.GetName(), PageCharset::Windows1252);
        if (!WriteFileReplacing(folder + "/" + SiteAuditFile(entry), [&](std::ostream& out) {
                WriteAuditSitePage(out, site, projectName, SummaryFile(project),
                                   std::time(nullptr));
                return true;
            })) {
            LogProgressLine("Site Audit: the page of " + url + " could not be written");
        }
        sites.push_back(std::move(site));
        return true;
    });
}

void WriteSiteAuditSummary(Project& project, const std::vector<AuditSite>& sites) {
    if (RunCancelled()) {
        return;
    }
    std::vector<AuditSummarySite> entries;
    for (int i = 0; i < project.UrlCount() && static_cast<std::size_t>(i) < sites.size(); ++i) {
        entries.push_back({&sites[static_cast<std::size_t>(i)], SiteAuditFile(*project.GetUrl(i))});
    }
    const std::string page = RunFolder(project) + "/" + SummaryFile(project);
    project.SetPageToOpen(page);
    WriteWholeFile(page,
                   AuditSummaryPage(entries, Utf8Text(project.GetName(), PageCharset::Windows1252),
                                    std::time(nullptr)));
}

}  // namespace sg
