#include "engines/LinkPopularitySection.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engines/EngineCatalogue.h"
#include "engines/LinkCountsForSite.h"
#include "html/PageCharset.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "model/RunResults.h"
#include "platform/Ansi.h"
#include "platform/RunControl.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

constexpr int kSitesPerTable = 5;
constexpr std::string_view kCaption = "Link Popularity in progress... ";
constexpr std::string_view kHeading =
    "<br><strong><font face=Verdana,Arial,Helvetica size=3>Link Popularity<br><br></font></strong>";
constexpr std::string_view kTableOpen =
    "<table border=1 borderColor=#bac7d1 cellPadding=2 cellSpacing=3><TBODY>";
constexpr std::string_view kCornerCell =
    "<tr><td bgColor=#bac7d1 width=165><font face=Verdana,Arial,Helvetica size=2>Search "
    "Engines</font></td>";
constexpr std::string_view kSiteCellOpen =
    "<td bgColor=#bac7d1 width=60><font face=Verdana,Arial,Helvetica size=2><a href='http://";
constexpr std::string_view kCountCellOpen =
    "<td width=117 align=center><font face=Verdana,Arial,Helvetica size=2><a href=";
constexpr std::string_view kNotAvailableCell =
    "<td width=117 align=center><font face=Verdana,Arial,Helvetica size=2>N/A</font></td>";
constexpr std::string_view kTableClose = "</TBODY></table>";
constexpr std::string_view kNote =
    "<br><br><font face=Verdana, Arial, Helvetica size=2>Note: If you get inconsistent link "
    "popularity results, it could be due to a temporary inability to connect with a particular "
    "search engine.  If this is the case, please try analyzing again later.</font>";

// The row's engine word is the engine's name in log lines.
std::string RowOpener(EngineId id) {
    return "<tr><td width=165><font face=Verdana,Arial,Helvetica size=2>" +
           std::string(EngineNames(id).logName) + "</font></td>";
}

void WriteTable(const std::string& page, const Project& project,
                const std::vector<std::vector<std::string>>& lists, int first, int end) {
    AppendReportLine(page, kTableOpen);
    AppendReportLine(page, kCornerCell);
    for (int i = first; i < end; ++i) {
        const std::string& site = project.GetUrl(i)->GetUrl();
        AppendReportLine(page, std::string(kSiteCellOpen) + ReportAttr(site) + "'>" +
                                   ReportText(site) + "</a></font></td>");
    }
    AppendReportLine(page, "</tr>");
    for (std::size_t k = 0; k < kLinkCountEngines.size(); ++k) {
        const EngineId id = kLinkCountEngines[k];
        AppendReportLine(page, RowOpener(id));
        for (int i = first; i < end; ++i) {
            const std::string& count = lists[i][2 * k];
            const std::string& address = lists[i][2 * k + 1];
            // AltaVista's address is the only one without a scheme (unless its host is an
            // https one); the cell supplies it.
            const bool bare = id == EngineId::AltaVista &&
                              !EqualsNoCase(std::string_view(address).substr(0, 8), "https://");
            const std::string_view scheme = bare ? "http://" : "";
            AppendReportLine(page, std::string(kCountCellOpen) + std::string(scheme) +
                                       ReportAttr(address) + ">" + ReportText(count) +
                                       "</a></font></td>");
        }
        AppendReportLine(page, "</tr>");
    }
    for (EngineId id : {EngineId::Overture, EngineId::AskJeeves}) {
        AppendReportLine(page, RowOpener(id));
        for (int i = first; i < end; ++i) {
            AppendReportLine(page, kNotAvailableCell);
        }
        AppendReportLine(page, "</tr>");
    }
    AppendReportLine(page, kTableClose);
    AppendReportLine(page, kNote);
}

// The number a shown count ("1,234") stands for: its digits; none gives 0.
std::int64_t CountValue(std::string_view shown) {
    std::int64_t value = 0;
    for (char c : shown) {
        if (c >= '0' && c <= '9' && value < INT64_MAX / 10 - 9) {
            value = value * 10 + (c - '0');
        }
    }
    return value;
}

void KeepCounts(const Project& project, const std::vector<std::vector<std::string>>& lists) {
    RunResults* results = App().results;
    if (results == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < lists.size(); ++i) {
        SitePopularity& site = results->popularity.emplace_back();
        site.url = Utf8Text(project.GetUrl(static_cast<int>(i))->GetUrl(), PageCharset::Utf8);
        for (std::size_t k = 0; k < kLinkCountEngines.size(); ++k) {
            site.counts.push_back({std::string(EngineNames(kLinkCountEngines[k]).logName),
                                   CountValue(lists[i][2 * k])});
        }
    }
}

}  // namespace

bool LinkPopularitySection(Project& project) {
    const int sites = project.UrlCount();
    // A run always counts this analysis; a direct call without a selection gets the whole bar.
    const int share = 100 / std::max(project.selectedCount, 1);
    std::vector<std::vector<std::string>> lists;
    lists.reserve(static_cast<std::size_t>(sites));
    for (int i = 0; i < sites; ++i) {
        const std::string& site = project.GetUrl(i)->GetUrl();
        SetProgressCaption(std::string(kCaption) + site);
        SetProgressPos(GetProgressPos() + share / sites);
        lists.emplace_back();
        LinkCountsForSite(site, lists.back());
    }
    if (RunCancelled()) {
        return false;
    }

    KeepCounts(project, lists);

    const std::string page = project.GetPageToOpen();
    AppendReportLine(page, kHeading);
    for (int first = 0; first < sites; first += kSitesPerTable) {
        WriteTable(page, project, lists, first, std::min(first + kSitesPerTable, sites));
    }
    return true;
}

}  // namespace sg
