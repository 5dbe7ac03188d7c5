#include "analysis/audit/SiteAudit.h"

#include <algorithm>
#include <ctime>
#include <fstream>

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

// The site's page, written piece by piece to a new file that replaces the old one once whole.
bool WriteSitePage(const std::string& path, const AuditSite& site, std::string_view project,
                   std::string_view summaryFile) {
    const std::string part = CreateFileBeside(path);
    if (part.empty()) {
        return false;
    }
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    WriteAuditSitePage(out, site, project, summaryFile, std::time(nullptr));
    out.close();
    if (!out || !ReplaceFile(part, path)) {
        RemoveFile(part);
        return false;
    }
    return true;
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
        if (!WriteSitePage(folder + "/" + SiteAuditFile(entry), site,
                           Utf8Text(project.GetName(), PageCharset::Windows1252),
                           SummaryFile(project))) {
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
