#include "reports/ReportPage.h"

#include "reports/ReportLine.h"

namespace sg {

std::string ReportBodyTag(std::string_view linkColours) {
    std::string tag = "<body bgcolor=#FFFFFF ";
    tag += linkColours;
    tag += '>';
    return tag;
}

std::string ReportTutorialCell(std::string_view up) {
    std::string cell = "<tr><td valign = 'bottom' align = 'left'><a href = '";
    cell += up;
    cell += "tutorial/index.html'>Tutorial</a></td>";
    return cell;
}

std::string ReportTipsCell(std::string_view up) {
    std::string cell = "<td valign = 'bottom' align = 'right'><a href = '";
    cell += up;
    cell += "tutorial/help.html'>Tips and tricks</td>";
    return cell;
}

void AppendReportFrameStart(std::string_view path) {
    AppendReportLine(path, kReportOuterTable);
    AppendReportLine(path, kReportOuterCell);
}

void AppendReportFooterLinks(std::string_view path, std::string_view up) {
    AppendReportLine(path, ReportTutorialCell(up));
    AppendReportLine(path, ReportTipsCell(up));
    AppendReportLine(path, kReportFrameEnd);
}

}  // namespace sg
