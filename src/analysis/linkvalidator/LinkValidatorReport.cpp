#include "analysis/linkvalidator/LinkValidatorReport.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/crawl/CrawlManners.h"
#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/LinkCrawler.h"
#include "html/PageCharset.h"
#include "html/UrlText.h"
#include "model/AppState.h"
#include "model/EachSite.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "model/RunResults.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

struct LinkTable {
    LinkStatus status;
    std::string_view caption;
    // The broken table writes "href=", the other two "href =".
    std::string_view linkCell;
    std::string_view pageCell;
};

// Each table only when it has rows: a crawl that robots.txt did not stop writes the three of old.
constexpr std::array<LinkTable, 4> kTables = {{
    {LinkStatus::Broken,
     "<caption align = 'left'><b><font color = '#1c5584'>Broken links</font></b></caption>",
     "<tr><td><a href=", "<td><a href="},
    {LinkStatus::Available,
     "<caption align = 'left'><b><font color = '#1c5584'>Available links</font></b></caption>",
     "<tr><td><a href =", "<td><a href ="},
    {LinkStatus::Unreachable,
     "<caption align = 'left'><b><font color = '#1c5584'>The applications can not connect to "
     "the following sites</font></b></caption>",
     "<tr><td><a href =", "<td><a href ="},
    {LinkStatus::Blocked,
     "<caption align = 'left'><b><font color = '#1c5584'>Not checked: the site's robots.txt "
     "keeps crawlers from these links</font></b></caption>",
     "<tr><td><a href =", "<td><a href ="},
}};

constexpr std::string_view kTableOpen =
    "<table border=1 cellspacing=1 cellpadding=1 borderColor='#1c5584' width=550 align = "
    "'center'>";
constexpr std::string_view kHeaderRow =
    "<tr><td width=530 bgColor=#245885><font face=Verdana,Arial,Helvetica size=2 "
    "color=#FDF5E6><strong>Link</strong></font></td><td bgColor=#245885><font "
    "face=Verdana,Arial,Helvetica size=2 color=#FDF5E6><strong>From File</strong></font></td></tr>";

// "<a href=" + address + ">" + text: the address made absolute, an http or https one whatever
// the page wrote, and kept inside its unquoted attribute; the text kept as text.
std::string Anchor(std::string_view opening, std::string_view url) {
    std::string line(opening);
    line += ReportLinkHref(url);
    line += '>';
    line += ReportText(url);
    line += "</a></td>";
    return line;
}

std::string PagesCell(int pages) {
    return "<td>" + std::to_string(pages) + (pages == 1 ? " page" : " pages") + "</td></tr>";
}

// The Available table of a large crawl: each link once, in the order first met, with the
// number of records (pages) of it.
bool WriteGroupedRows(const std::string& path, const CrawlRecordList& records,
                      const LinkTable& table) {
    std::vector<int> firsts;
    std::unordered_map<int, int> pages;
    for (int n = 0; n < records.Count(); ++n) {
        const CrawlRecord record = records.At(n);
        if (record.status != table.status) {
            continue;
        }
        // The first record of the link may have another status (a page visited after its
        // head was judged); the first available one stands for the link here.
        int first = records.FindIndex(record.link);
        if (records.At(first).status != table.status) {
            first = n;
        }
        auto [counted, added] = pages.try_emplace(first, 0);
        if (added) {
            firsts.push_back(first);
        }
        ++counted->second;
    }
    for (int first : firsts) {
        if (!AppendLineOrStop(path, Anchor(table.linkCell, records.At(first).link)) ||
            !AppendLineOrStop(path, PagesCell(pages[first]))) {
            return false;
        }
    }
    return true;
}

bool WriteTable(const std::string& path, const CrawlRecordList& records, const LinkTable& table) {
    if (!AppendLineOrStop(path, kTableOpen) || !AppendLineOrStop(path, table.caption) ||
        !AppendLineOrStop(path, kHeaderRow)) {
        return false;
    }
    if (table.status == LinkStatus::Available && records.Count() > kGroupedAvailableAbove) {
        return WriteGroupedRows(path, records, table) && AppendLineOrStop(path, "</table><br>");
    }
    for (int n = 0; n < records.Count(); ++n) {
        const CrawlRecord record = records.At(n);
        if (record.status != table.status) {
            continue;
        }
        if (!AppendLineOrStop(path, Anchor(table.linkCell, record.link)) ||
            !AppendLineOrStop(path, Anchor(table.pageCell, record.fromPage) + "</tr>")) {
            return false;
        }
    }
    return AppendLineOrStop(path, "</table><br>");
}

bool WriteHeader(const std::string& path, const std::string& url) {
    const std::string title = ReportText(App().appTitle);
    const std::string lines[] = {
        "<html><head><meta http-equiv=Content-Type content=text/html; "
        "charset=iso-8859-1><title>" +
            title + " Report for Broken Links</title></head>",
        "<body bgcolor=#FFFFFF link=#739BB9 vlink=#245885>",
        "<table width = '100%' height = '100%'>",
        "<tr><td align='center' valign='top' colspan=2>",
        "<div align=left><table border=0 cellpadding=0 cellspacing=0 width=550><tr><td "
        "width=22></td><td width=249><br>",
        "<img src='../../toplogo.gif' alt=sidelogo2.gif (2319 bytes)></td>",
        "<td width=325><b><font face=Verdana,Arial,Helvetica size=2 color=#245885><br><br>" +
            title +
            " Report for Broken Links for</font><font face=Verdana,Arial,Helvetica size=2><br>",
        "<a href='http://" + ReportAttr(url) + "'>" + ReportText(url) +
            "</a></font></b></td></tr></table></div><div align=left>",
    };
    for (const std::string& line : lines) {
        if (!AppendLineOrStop(path, line)) {
            return false;
        }
    }
    return true;
}

bool WriteFooter(const std::string& path) {
    static constexpr std::string_view kLines[] = {
        "</td></tr>",
        "<tr><td valign = 'bottom' align = 'left'><a href = "
        "'../../../tutorial/index.html'>Tutorial</a></td>",
        "<td valign = 'bottom' align = 'right'><a href = '../../../tutorial/help.html'>Tips and "
        "tricks</td>",
        "</tr></table>",
        "</body></html>",
    };
    for (std::string_view line : kLines) {
        if (!AppendLineOrStop(path, line)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void WriteLinkTables(const CrawlRecordList& records, const std::string& reportPath) {
    std::array<int, kTables.size()> counts{};
    for (int n = 0; n < records.Count(); ++n) {
        const auto status = static_cast<std::size_t>(records.At(n).status);
        if (status < counts.size()) {
            ++counts[status];
        }
    }
    if (records.Count() > 0 && !AppendLineOrStop(reportPath, "<br>")) {
        return;
    }
    for (const LinkTable& table : kTables) {
        if (counts[static_cast<std::size_t>(table.status)] > 0 &&
            !WriteTable(reportPath, records, table)) {
            return;
        }
    }
}

namespace {

// The crawl's records of the site just crawled, moved to the run's results (not copied).
void KeepCrawlResults(const std::string& url, LinkCrawler& crawl, const LinkCounts& counts) {
    RunResults* results = App().results;
    if (results == nullptr) {
        return;
    }
    SiteLinks& site = results->links.emplace_back();
    site.url = Utf8Text(url, PageCharset::Utf8);
    site.pagesVisited = crawl.PagesVisited();
    site.limitReached = crawl.LimitReached();
    site.linksNotRead = counts.linksNotRead;
    site.records = crawl.TakeRecords();
}

}  // namespace

bool WriteLinkValidatorReport(Project& project, Fetcher& fetcher, bool followSite) {
    const std::string folder = App().paths.linkValidatorDir + "/" + project.GetReportName();
    CreateFolder(folder);
    return ForEachSite(project, "Link Validator in progress... ", [&](UrlEntry& entry) {
        entry.SetLinkCounts(std::nullopt);
        const std::string& url = entry.GetUrl();
        const std::string file = folder + "/" + entry.GetLinkValidatorFile();
        if (!WriteHeader(file, url)) {
            return false;
        }
        LinkCrawler crawl(fetcher);
        crawl.SetManners(MannersFor(project, entry));
        crawl.CrawlSite(url, followSite);
        if (!RunCancelled()) {
            WriteLinkTables(crawl.Records(), file);
            // Counted once: each count walks every record.
            const LinkCounts counts = crawl.Counts();
            entry.SetLinkCounts(counts);
            KeepCrawlResults(url, crawl, counts);
        }
        return WriteFooter(file);
    });
}

}  // namespace sg
