#include "app/SummaryPage.h"

#include <iomanip>
#include <locale>
#include <sstream>

#include "analysis/readiness/KeywordTable.h"
#include "engines/LinkAuthoritySection.h"
#include "engines/LinkPopularitySection.h"
#include "model/AppState.h"
#include "platform/FileSystem.h"
#include "platform/LocalDateText.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"
#include "reports/ReportPage.h"

namespace sg {
namespace {

// The designed buffer for the date text; a longer text counts as a failed format.
constexpr std::size_t kDateBufferSize = 128;

std::string_view KindLabel(SummaryKind kind) {
    switch (kind) {
        case SummaryKind::LinkPopularity:
            return "<b><font color = '#5b9AD2'>Link Popularity </font></b>";
        case SummaryKind::BrokenLinks:
            return "<b><font color = '#5b9AD2'>Broken Links </font></b>";
        case SummaryKind::NestedReadiness:
            return "<b><font color = '#5b9AD2'>Search Engine Readiness (Nested)</font></b>";
        case SummaryKind::Readiness:
            return "<b><font color = '#5b9AD2'>Search Engine Readiness </font></b>";
        case SummaryKind::None:
            break;
    }
    return {};
}

const std::string* KindFolder(SummaryKind kind) {
    const AppPaths& paths = App().paths;
    switch (kind) {
        case SummaryKind::LinkPopularity:
            return &paths.linkPopularityDir;
        case SummaryKind::BrokenLinks:
            return &paths.linkValidatorDir;
        case SummaryKind::NestedReadiness:
        case SummaryKind::Readiness:
            return &paths.readinessDir;
        case SummaryKind::None:
            break;
    }
    return nullptr;
}

const std::string& SiteReportFile(const UrlEntry& entry, SummaryKind kind) {
    switch (kind) {
        case SummaryKind::BrokenLinks:
            return entry.GetLinkValidatorFile();
        case SummaryKind::NestedReadiness:
            return entry.GetNestedReadinessFile();
        default:
            return entry.GetReadinessFile();
    }
}

void WriteBanner(const std::string& page, const Project& project, SummaryKind kind,
                 std::time_t when) {
    const std::string title = ReportText(App().appTitle);
    const std::string stamp =
        "<font color = '#5b9AD2'>" + ReportText(SummaryDateText(when)) + "</font>";
    AppendReportLine(page, "<html><head><title>" + title + " : " +
                               ReportText(project.GetReportName()) + "</title>");
    AppendReportLine(page, "\n");
    AppendReportLine(page, kReportCharsetLine);
    AppendReportLine(page, "</head>");
    AppendReportLine(page, ReportBodyTag(kReportBlueLinks));
    AppendReportFrameStart(page);
    AppendReportLine(page, "<div align=left>");
    AppendReportLine(page, "<table border=0 cellpadding=0 cellspacing=0 width=687>");
    AppendReportLine(page, "<tr>");
    AppendReportLine(page, kReportBannerSpacer);
    AppendReportLine(
        page, "<td width=277><img src='../../toplogo.gif' alt=toplogo.gif (2621 bytes)></td>");
    AppendReportLine(
        page, "<td width=410><b><font face=Verdana,Arial,Helvetica size=2 color=#245885><br>");
    std::string line = "<br>" + title + "<br>Report for ";
    line += KindLabel(kind);
    line += "<br>for the following sites created on <br>" + stamp + "</font></td>";
    AppendReportLine(page, line);
    AppendReportLine(page, "</tr></table></div><div align=left>");
    AppendReportLine(page, "<br>");
}

void WriteSiteTable(const std::string& page, const Project& project, SummaryKind kind) {
    AppendReportLine(page,
                     "<table border='1' borderColor='#1c5584' cellpadding='1' cellspacing='1' "
                     "align='center'>");
    AppendReportLine(page,
                     "<tr><td bgcolor='#1c5584' align='center' width = '150'><b><font color "
                     "='#FFFFFF'>Sites</font></b></td>");
    AppendReportLine(page,
                     "<td bgcolor='#1c5584' align='center' width = '150'><b><font color "
                     "='#FFFFFF'>Reports</font></b></td></tr>");
    for (int i = 0; i < project.UrlCount(); ++i) {
        const UrlEntry& entry = *project.GetUrl(i);
        const std::string& url = entry.GetUrl();
        const std::string& file = SiteReportFile(entry, kind);
        AppendReportLine(page, "<tr><td>");
        AppendReportLine(page,
                         "<a href = 'http://" + ReportAttr(url) + "'>" + ReportText(url) + "</a>");
        AppendReportLine(page, "</td>");
        AppendReportLine(page, "<td>");
        AppendReportLine(page, "<a href = '" + ReportAttr(file) + "'>" + ReportText(file) + "</a>");
        AppendReportLine(page, "</td></tr>");
    }
    AppendReportLine(page, "</table>");
    if (kind != SummaryKind::BrokenLinks) {
        return;
    }
    // What each crawl counted, under the table (nothing when no crawl ran in this process).
    for (int i = 0; i < project.UrlCount(); ++i) {
        const UrlEntry& entry = *project.GetUrl(i);
        if (const auto& counts = entry.GetLinkCounts()) {
            AppendReportLine(page, "<p align='center'><font face=Verdana,Arial,Helvetica size=2>" +
                                       ReportText(entry.GetUrl()) + ": " +
                                       ReportText(LinkCountsText(*counts)) + "</font></p>");
        }
    }
}

void WriteFooter(const std::string& page) {
    AppendReportLine(page, "</div></td></tr>");
    AppendReportFooterLinks(page, kTutorialFromRunFolder);
    AppendReportLine(page, "</body>");
    AppendReportLine(page, "</html>");
}

}  // namespace

std::string SummaryPagePath(const Project& project, SummaryKind kind) {
    const std::string* folder = KindFolder(kind);
    if (folder == nullptr) {
        return {};
    }
    const std::string& name = project.GetReportName();
    return *folder + "/" + name + "/" + name + ".html";
}

std::string SummaryDateText(std::time_t when) {
    std::string result = LocalDateText(when);
    return result.size() < kDateBufferSize ? result : std::string();
}

void WriteSummaryPage(Project& project, SummaryKind kind) {
    WriteSummaryPage(project, kind, std::time(nullptr));
}

void WriteSummaryPage(Project& project, SummaryKind kind, std::time_t when) {
    const std::string page = SummaryPagePath(project, kind);
    if (page.empty()) {
        return;
    }
    project.SetPageToOpen(page);
    if (kind == SummaryKind::LinkPopularity) {
        CreateFolder(App().paths.linkPopularityDir + "/" + project.GetReportName());
    }
    WriteBanner(page, project, kind, when);
    if (kind == SummaryKind::LinkPopularity) {
        if (LinkPopularitySection(project)) {
            LinkAuthoritySection(project);
        }
    } else {
        WriteSiteTable(page, project, kind);
        if (kind == SummaryKind::NestedReadiness || kind == SummaryKind::Readiness) {
            AppendReportLine(page, "<br>");
            AppendReportLine(page, "<br>");
            WriteKeywordTable(project, nullptr, false);
        }
    }
    WriteFooter(page);
}

}  // namespace sg
