#pragma once
// The lines of the report page frame that the report pages share byte for byte. Each report
// writes its own head, banner and content around them; the fragments here are the ones that are
// identical wherever they appear as whole lines.

#include <string>
#include <string_view>

namespace sg {

inline constexpr std::string_view kReportCharsetLine =
    "<meta http-equiv=Content-Type content=text/html; charset=iso-8859-1>";
// The link colours of the summary and Link Validator pages.
inline constexpr std::string_view kReportBlueLinks = "link=#739BB9 vlink=#245885";
inline constexpr std::string_view kReportOuterTable = "<table width = '100%' height = '100%'>";
inline constexpr std::string_view kReportOuterCell =
    "<tr><td align='center' valign='top' colspan=2>";
inline constexpr std::string_view kReportBannerSpacer = "<td width=22></td>";
inline constexpr std::string_view kReportFrameEnd = "</tr></table>";
// Where the tutorial lies from a per-run folder (three folders below the working folder) and
// from the Position Analyzer folder (two below).
inline constexpr std::string_view kTutorialFromRunFolder = "../../../";
inline constexpr std::string_view kTutorialFromAnalysisFolder = "../../";

// "<body bgcolor=#FFFFFF " + the report's link colours + ">".
std::string ReportBodyTag(std::string_view linkColours);
// The footer row's two cells: the tutorial index on the left, the help page on the right.
std::string ReportTutorialCell(std::string_view up);
std::string ReportTipsCell(std::string_view up);

// Appends the outer table and its cell (the two lines after the body tag) to `path`.
void AppendReportFrameStart(std::string_view path);
// Appends the footer row with the tutorial links and closes the outer table, for a page whose
// tutorial lies `up` from it. The line that closes the content cell before it, and the end of
// the document after it, differ between reports and are written by each.
void AppendReportFooterLinks(std::string_view path, std::string_view up);

}  // namespace sg
