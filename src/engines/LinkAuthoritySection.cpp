#include "engines/LinkAuthoritySection.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "engines/AuthorityHistory.h"
#include "engines/AuthorityHistoryPage.h"
#include "engines/FormatCount.h"
#include "engines/LinkAuthority.h"
#include "html/PageCharset.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "platform/LocalDateText.h"
#include "platform/RunControl.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

constexpr std::string_view kFont = "<font face=Verdana,Arial,Helvetica size=2>";
constexpr std::string_view kHeadCell =
    "<td bgColor=#bac7d1 width=165><font face=Verdana,Arial,Helvetica size=2>";
constexpr std::string_view kCell =
    "<td width=117 align=center><font face=Verdana,Arial,Helvetica size=2>";
constexpr std::string_view kCellEnd = "</font></td>";

std::string Rank(std::int64_t rank) {
    return FormatCount(std::to_string(rank));
}

std::string Cell(const std::optional<std::int64_t>& rank, const std::string& why) {
    return std::string(kCell) + (rank ? Rank(*rank) : ReportText(why)) + std::string(kCellEnd);
}

std::string ScoreCell(const std::optional<double>& score, const std::string& why) {
    if (!score) {
        return std::string(kCell) + ReportText(why) + std::string(kCellEnd);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *score);
    return std::string(kCell) + text + std::string(kCellEnd);
}

void WriteTable(const std::string& page, const Project& project,
                const std::vector<AuthorityLookup>& lookups) {
    AppendReportLine(page, "<br><strong><font face=Verdana,Arial,Helvetica size=3>" +
                               std::string(kAuthorityHeading) + "<br><br></font></strong>");
    AppendReportLine(page,
                     "<table border=1 borderColor=#bac7d1 cellPadding=2 cellSpacing=3><TBODY>");
    std::string head = "<tr>" + std::string(kHeadCell) + "Site" + std::string(kCellEnd);
    for (const char* column :
         {"Common Crawl harmonic-centrality rank", "Common Crawl PageRank rank",
          "Open PageRank score", "Open PageRank rank"}) {
        head += "<td bgColor=#bac7d1 width=117 align=center>" + std::string(kFont) + column +
                std::string(kCellEnd);
    }
    AppendReportLine(page, head + "</tr>");
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        const std::string& site = project.GetUrl(static_cast<int>(i))->GetUrl();
        const SiteAuthority& a = lookups[i].data;
        std::string row = "<tr><td width=165>" + std::string(kFont);
        const std::string link =
            "<a href='http://" + ReportAttr(site) + "'>" + ReportText(site) + "</a>";
        row += i == 0 ? "<strong>" + link + " (own site)</strong>" : link;
        row += "<br>" + ReportText(a.domain) + std::string(kCellEnd);
        const std::string& cc = lookups[i].ccWhy;
        const std::string& opr = lookups[i].oprWhy;
        row += Cell(a.ccHarmonicRank, cc) + Cell(a.ccPageRankRank, cc) +
               ScoreCell(a.oprScore, opr) + Cell(a.oprRank, opr);
        AppendReportLine(page, row + "</tr>");
    }
    AppendReportLine(page, "</TBODY></table>");
    AppendReportLine(
        page,
        "<br><font face=Verdana, Arial, Helvetica size=2>Ranks: 1 is the best. The Open PageRank "
        "score goes from 0 to 10. A site is looked up by its registrable domain. "
        "<a href='../history.html'>Link authority history</a></font>");
}

}  // namespace

bool LinkAuthoritySection(Project& project) {
    std::vector<std::string> sites;
    for (int i = 0; i < project.UrlCount(); ++i) {
        sites.push_back(project.GetUrl(i)->GetUrl());
    }
    const std::vector<AuthorityLookup> lookups =
        LookUpLinkAuthority(App().authority, App().paths.configDir, sites);
    if (RunCancelled()) {
        return false;
    }
    WriteTable(project.GetPageToOpen(), project, lookups);

    if (RunResults* results = App().results; results != nullptr) {
        for (std::size_t i = 0; i < lookups.size() && i < results->popularity.size(); ++i) {
            results->popularity[i].authority = lookups[i].data;
        }
    }
    const std::string date = LocalIsoDateTime(std::time(nullptr));
    std::vector<AuthorityHistoryRow> history;
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        history.push_back({date, Utf8Text(sites[i], PageCharset::Utf8), i == 0, lookups[i].data});
    }
    if (AppendAuthorityHistory(AuthorityHistoryCsvPath(App().paths), history) ==
        kAuthorityHistoryAppended) {
        WriteAuthorityHistoryPage(AuthorityHistoryCsvPath(App().paths),
                                  AuthorityHistoryPagePath(App().paths));
    }
    return true;
}

}  // namespace sg
