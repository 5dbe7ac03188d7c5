#include "engines/PositionReport.h"

#include "model/PositionHistoryFiles.h"
#include "model/ReportFileName.h"
#include "platform/FileSystem.h"
#include "platform/LocalDateText.h"
#include "platform/RunControl.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

constexpr std::string_view kEngineCellStart =
    "<td align = 'center' bgColor=#245885><b><font face='Times New Roman',Verdana,Arial,"
    "Helvetica size=2 color=#FDF5E6>";

}  // namespace

std::string PositionReport::PathFor(std::string_view dir, std::string_view projectName,
                                    std::string_view stamp) {
    std::string path(dir);
    path += '/';
    // A profile's name must not lead the report out of its folder.
    path += projectName.empty() ? std::string("AnalyzePos") : ReportFileName(projectName);
    path += stamp;
    path += ".html";
    return path;
}

std::string PositionReport::DateText(std::time_t when) {
    return LocalDateText(when);
}

void PositionReport::AppendHead(std::string_view appTitle, std::string_view date) {
    text_ += "<html><head><meta http-equiv=Content-Type content=text/html; charset=iso-8859-1>\n";
    text_ += "<title>";
    text_ += ReportText(appTitle);
    text_ += "Report for Position Analyzer</title>\n";
    text_ += "</head><body bgcolor=#FFFFFF link=#739BB9 vlink=#739BB9>\n";
    text_ += "<table width = '100%' height = '100%'>\n";
    text_ += "<tr><td align='center' valign='top' colspan=2>\n";
    text_ +=
        "<div align=left><table border=0 cellpadding=0 cellspacing=0 width=550><tr><td "
        "width=22></td><td width=249><br>\n";
    text_ += "<img src='../toplogo.gif' ></td>\n";
    text_ +=
        "<td width=325><b><font face=Verdana,Arial,Helvetica size=2 color=#245885><br><p "
        "align='left'>Position Analyzer for web engines<br>created on ";
    text_ += "<font color = '#5b9AD2'>";
    text_ += ReportText(date);
    text_ += "</font>";
    text_ += "</p>\n</td></tr></table></div><br>";
    // The history page lies beside every run report.
    text_ += "<a href = '";
    text_ += ReportAttr(kPositionHistoryPageName);
    text_ += "'>Position history</a><br>\n";
}

void PositionReport::AppendKeywordTable(std::string_view keyword,
                                        std::span<const std::string> sites,
                                        std::span<const Column> columns) {
    const std::size_t width = columns.size() * 60 + 70;
    text_ +=
        "<table align = 'center' border=1 cellpadding=1 borderColor='#1c5584' cellspacing=1 "
        "width=";
    text_ += ReportText(std::to_string(width));
    text_ += ">\n";
    text_ +=
        "<caption align = 'left'><font face=Verdana,Arial,Helvetica size=2 "
        "color=#245885>Searching key :<font color = '#1c5584'><b>";
    text_ += ReportText(keyword);
    text_ += "</b></font></font></b></caption>\n";

    text_ += "<tr>";
    text_ += kEngineCellStart;
    text_ += "Sites</font><b></td>\n";
    for (const Column& column : columns) {
        text_ += kEngineCellStart;
        text_ += ReportText(column.header);
        if (column.live) {
            // As the dialog lists them, so that "google (live)" is not read as "Google".
            text_ += " (live)";
            anyLive_ = true;
        }
        text_ += "</font></b></td>\n";
    }
    text_ += "</tr>\n";

    for (std::size_t row = 0; row < sites.size(); ++row) {
        text_ += "<tr><td><font color = #739BB9><a href = 'http://";
        text_ += ReportAttr(sites[row]);
        text_ += "'>";
        text_ += ReportText(sites[row]);
        text_ += "</a></font></td>\n";
        for (const Column& column : columns) {
            const SitePosition* found = nullptr;
            const SitePosition* failed = nullptr;
            if (column.positions != nullptr && row < column.positions->size()) {
                const SitePosition& record = (*column.positions)[row];
                if (record.position != 0) {
                    found = &record;
                } else if (!record.error.empty()) {
                    failed = &record;
                }
            }
            if (failed != nullptr) {
                // Not an "x": nobody knows whether the site was there.
                text_ += "<td align = 'center'><font color = #B05F00><b>failed</b></font><br>";
                text_ += "<font face=Verdana,Arial,Helvetica size=1>";
                text_ += ReportText(failed->error);
                text_ += "</font></td>\n";
                anyFailed_ = true;
            } else if (found != nullptr) {
                text_ += "<td align = 'center'><a href = \"";
                text_ += ReportAttr(found->link);
                text_ += "\"><u> ";
                text_ += ReportText(std::to_string(found->position));
                text_ += " </u></a></td>\n";
            } else {
                text_ += "<td align = 'center'><font color = #AA0000><b>x</b></font></td>\n";
            }
        }
        text_ += "</tr>\n";
    }
    text_ += "</table><p></p>\n";
}

void PositionReport::AppendLegend(int depth) {
    text_ +=
        "<p><font face=Verdana,Arial,Helvetica size=1 color=#245885><font color = #AA0000>"
        "<b>x</b></font>: not found ";
    if (depth != 0) {
        text_ += "down to position ";
        text_ += ReportText(std::to_string(depth));
    } else {
        text_ += "on any of the engine's result pages";
    }
    text_ += " (or the engine was skipped or could not be reached).";
    if (anyLive_) {
        text_ +=
            "<br>(live): an engine asked through your metasearch instance; its position is "
            "the engine's own rank.";
    }
    if (anyFailed_) {
        text_ +=
            "<br><font color = #B05F00><b>failed</b></font>: the live engine gave no "
            "results for that page, for the reason shown, so the site may or may not rank "
            "there.";
    }
    text_ += "</font></p>\n";
}

void PositionReport::AppendFoot() {
    text_ += "</td></tr>";
    text_ +=
        "<tr><td valign = 'bottom' align = 'left'><a href = "
        "'../../tutorial/index.html'>Tutorial</a></td>";
    text_ += "<td valign = 'bottom' align = 'right'><a href = '../../tutorial/help.html'>Help</td>";
    text_ += "</tr></table>";
    text_ += "</body></html>";
}

void PositionReport::WriteTo(const std::string& path) const {
    // A cancelled run leaves no file, not even an empty one.
    if (RunCancelled() || !WriteWholeFile(path, std::string_view())) {
        return;
    }
    AppendReportLine(path, text_);
}

}  // namespace sg
