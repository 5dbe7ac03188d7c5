#include "analysis/SiteAudit.h"

#include <algorithm>
#include <ctime>

#include "analysis/AuditCrawl.h"
#include "analysis/AuditRules.h"
#include "analysis/AuditSitePage.h"
#include "analysis/AuditSummaryPage.h"
#include "html/PageCharset.h"
#include "model/AppState.h"
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

bool WriteSiteAudit(Project& project, std::vector<AuditSite>& sites) {
    CreateFolder(App().paths.siteAuditDir);
    const std::string folder = RunFolder(project);
    CreateFolder(folder);
    const int urlCount = project.UrlCount();
    const int selected = std::max(project.selectedCount, 1);
    for (int i = 0; i < urlCount; ++i) {
        if (RunCancelled()) {
            return false;
        }
        const UrlEntry* entry = project.GetUrl(i);
        if (entry == nullptr) {
            continue;
        }
        const std::string& url = entry->GetUrl();
        SetProgressCaption("Site Audit in progress... " + url);
        SetProgressPos(GetProgressPos() + (100 / selected) / urlCount);
        AuditSiteData data = GatherSite(url);
        if (RunCancelled()) {
            return false;
        }
        AuditSite site = JudgeSite(data, std::time(nullptr));
        site.url = Utf8Text(url, PageCharset::Utf8);
        if (!WriteWholeFile(
                folder + "/" + SiteAuditFile(*entry),
                AuditSitePage(site, Utf8Text(project.GetName(), PageCharset::Windows1252),
                              SummaryFile(project), std::time(nullptr)))) {
            LogProgressLine("Site Audit: the page of " + url + " could not be written");
        }
        if (App().results != nullptr) {
            App().results->audit.push_back(site);
        }
        sites.push_back(std::move(site));
    }
    return !RunCancelled();
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
