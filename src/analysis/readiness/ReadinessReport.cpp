#include "analysis/readiness/ReadinessReport.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "analysis/crawl/CrawlManners.h"
#include "analysis/crawl/HttpsDowngradeLog.h"
#include "analysis/crawl/LinkCrawler.h"
#include "analysis/readiness/KeywordTable.h"
#include "analysis/readiness/ReadinessAnalyzer.h"
#include "analysis/readiness/ReadinessPage.h"
#include "html/UrlText.h"
#include "model/AppState.h"
#include "model/EachSite.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "model/RunResults.h"
#include "net/FetchAhead.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

std::string ReportFolder(const Project& project) {
    return App().paths.readinessDir + "/" + project.GetReportName();
}

// The results entry of the next site's page, when the run collects results.
PageReadiness* NextSiteResult() {
    RunResults* results = App().results;
    return results != nullptr ? &results->readiness.emplace_back() : nullptr;
}

// After every site was analyzed: the comparison table (when there is something to compare)
// and the footer of each site's file.
bool FinishReports(Project& project, bool nested) {
    if (RunCancelled()) {
        return false;
    }
    project.RebuildKeywordScores();
    const std::string folder = ReportFolder(project);
    for (int i = 0; i < project.UrlCount(); ++i) {
        const UrlEntry* entry = project.GetUrl(i);
        if (project.UrlCount() > 1) {
            WriteKeywordTable(project, entry, nested);
        }
        const std::string& name =
            nested ? entry->GetNestedReadinessFile() : entry->GetReadinessFile();
        if (!WriteReadinessFooter(folder + "/" + name)) {
            return false;
        }
    }
    return !RunCancelled();
}

// A visited page the nested report analyzes on a sub-page: an HTML page of the site (its URL,
// or where that URL led: a site that moved, to https say, has its pages there) that answered.
// The start page, which the report analyzes first, gets one too when its address holds
// ".htm", as it always has.
bool TakesSubPage(const LinkCrawler& crawl, const LinkCrawler::Visit& visit,
                  std::string_view siteUrl) {
    if (visit.record < 0 || visit.record >= crawl.RecordCount()) {
        return false;
    }
    const CrawlRecord record = crawl.RecordAt(visit.record);
    if (!visit.html || record.status != LinkStatus::Available) {
        return false;
    }
    if (visit.record == 0 && record.link.find(".htm") == std::string::npos) {
        return false;
    }
    return SameHost(record.link, siteUrl) || SameHost(record.link, crawl.CrawlRoot());
}

bool WriteSubPage(Fetcher& fetcher, const std::string& path, const std::string& siteUrl,
                  const std::string& link, PageReadiness* siteResult) {
    // Only ever a name this run has not written yet (SubPageName), so this removes a page of an
    // earlier run, never one of this run.
    StartReadinessFile(path);
    // The URL box shows the site, not the sub-page, as it always has.
    return WriteReadinessHeader(path, siteUrl, false) &&
           WriteAnalyzedPage(fetcher, path, siteUrl, link, nullptr,
                             siteResult != nullptr ? &siteResult->pages.emplace_back() : nullptr) &&
           WriteReadinessFooter(path);
}

// The short name followed by the record number, unless this run already wrote that name: short
// names "shop" and "shop2" give "shop20" for record 20 of the one and record 0 of the other.
// The later page then gets a "-" before its number (once more for every further clash).
std::string SubPageName(const UrlEntry& entry, int record,
                        std::unordered_set<std::string>& written) {
    const std::string number = std::to_string(record);
    std::string stem = entry.GetShortName();
    std::string name = stem + number + "-nest.html";
    while (written.count(name) != 0) {
        stem += '-';
        name = stem + number + "-nest.html";
    }
    written.insert(name);
    return name;
}

// The visited pages WriteFollowingPages analyzes, in its order, as record numbers.
std::vector<int> SubPageRecords(const LinkCrawler& crawl, const std::string& siteUrl) {
    std::vector<int> records;
    for (const LinkCrawler::Visit& visit : crawl.Visits()) {
        if (TakesSubPage(crawl, visit, siteUrl)) {
            records.push_back(visit.record);
        }
    }
    return records;
}

// The list of the site's other pages, each linked to its sub-page, from the crawl just made.
bool WriteFollowingPages(Fetcher& fetcher, const std::string& folder, const std::string& file,
                         const UrlEntry& entry, const LinkCrawler& crawl,
                         const std::vector<int>& subPages, std::unordered_set<std::string>& written,
                         PageReadiness* siteResult) {
    const std::string& siteUrl = entry.GetUrl();
    bool anyAvailable = false;
    for (int n = 0; n < crawl.RecordCount() && !anyAvailable; ++n) {
        anyAvailable = crawl.RecordAt(n).status == LinkStatus::Available;
    }
    if (anyAvailable) {
        // The blockquote stays open to the end of the page.
        if (!AppendLineOrStop(file,
                              "<b><u><font face=Verdana,Arial,Helvetica size=2><strong><br>"
                              "Search Engine Preparedeness for the Following "
                              "Pages</strong></font></u><blockquote></b>")) {
            return false;
        }
    }
    for (const int n : subPages) {
        const std::string link(crawl.RecordAt(n).link);
        const std::string name = SubPageName(entry, n, written);
        if (!AppendLineOrStop(file, "<p><font face=Verdana,Arial,Helvetica size=2><a href='" +
                                        ReportAttr(name) + "'>" + ReportText(link) +
                                        "</a></font></p>") ||
            !WriteSubPage(fetcher, folder + "/" + name, siteUrl, link, siteResult)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool WriteReadinessReport(Project& project, Fetcher& fetcher) {
    const std::string folder = ReportFolder(project);
    CreateFolder(folder);
    FetchAhead ahead(fetcher);
    std::vector<std::string> urls;
    for (int i = 0; i < project.UrlCount(); ++i) {
        urls.push_back(project.GetUrl(i)->GetUrl());
    }
    FetchReadinessAhead(ahead, urls);
    const bool done = ForEachSite(project, "Meta Analyzer in progress... ", [&](UrlEntry& entry) {
        entry.ClearWords();
        const std::string& url = entry.GetUrl();
        HttpsDowngradeNotes notes;
        const std::string file = folder + "/" + entry.GetReadinessFile();
        StartReadinessFile(file);
        return WriteReadinessHeader(file, url, true) && WriteReadinessCaption(file) &&
               WriteAnalyzedPage(ahead, file, url, url, &entry, NextSiteResult());
    });
    return done && FinishReports(project, false);
}

bool WriteNestedReadinessReport(Project& project, Fetcher& fetcher) {
    const std::string folder = ReportFolder(project);
    CreateFolder(folder);
    // Every sub-page name of this run, across its sites.
    std::unordered_set<std::string> written;
    const bool done =
        ForEachSite(project, "Meta nested Analyzer in progress... ", [&](UrlEntry& entry) {
            entry.ClearWords();
            const std::string& url = entry.GetUrl();
            HttpsDowngradeNotes notes;
            LinkCrawler crawl(fetcher);
            crawl.SetManners(MannersFor(project, entry));
            crawl.CrawlSite(url, true);
            if (RunCancelled()) {
                return false;
            }
            // The start page and its sub-pages are fetched ahead while the report is written.
            FetchAhead ahead(fetcher);
            std::vector<std::string> pages{url};
            const std::vector<int> subPages = SubPageRecords(crawl, url);
            for (const int n : subPages) {
                pages.emplace_back(crawl.RecordAt(n).link);
            }
            FetchReadinessAhead(ahead, pages);
            const std::string file = folder + "/" + entry.GetNestedReadinessFile();
            StartReadinessFile(file);
            PageReadiness* siteResult = NextSiteResult();
            return WriteReadinessHeader(file, url, true) &&
                   WriteAnalyzedPage(ahead, file, url, url, &entry, siteResult) &&
                   WriteFollowingPages(ahead, folder, file, entry, crawl, subPages, written,
                                       siteResult);
        });
    return done && FinishReports(project, true);
}

}  // namespace sg
