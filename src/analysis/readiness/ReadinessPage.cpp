#include "analysis/readiness/ReadinessPage.h"

#include <filesystem>
#include <system_error>

#include "analysis/readiness/ReadinessAnalyzer.h"
#include "model/AppState.h"
#include "platform/RunControl.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {

bool WriteReadinessHeader(const std::string& path, const std::string& siteUrl, bool withTitle) {
    const std::string title = ReportText(App().appTitle);
    if (!AppendLineOrStop(path,
                          "<html><head><meta http-equiv=Content-Type content=text/html; "
                          "charset=iso-8859-1>")) {
        return false;
    }
    if (withTitle &&
        !AppendLineOrStop(
            path, "<title>" + title + " Report for Search Engine Rediness</title></head>")) {
        return false;
    }
    return AppendLinesOrStop(
        path,
        {"<body bgcolor=#FFFFFF link=#738EA2 vlink=#245885>",
         "<table width = '100%' height = '100%'>", "<tr><td align='center' valign='top' colspan=2>",
         "<table border=0 cellpadding=0 cellspacing=0 width=550><tr><td width=22></td>",
         "<td width=258><br><img src='../../toplogo.gif' alt=toplogo.gif (2621 bytes)></td>",
         "<td width=325><b><font face=Verdana,Arial,Helvetica size=2 color=#245885><br><br>" +
             title +
             " Report for Search Engine Rediness for</font><font face=Verdana,Arial,Helvetica "
             "size=2><br>",
         "<a href='http://" + ReportAttr(siteUrl) + "'>" + ReportText(siteUrl) +
             "</a></font></b></td></tr></table>"});
}

bool WriteReadinessCaption(const std::string& path) {
    return AppendLinesOrStop(
        path, {"<table border=0 cellpadding=0 cellspacing=0 width=550 height=25><tr><td "
               "width=100%><font face=Verdana, Arial, Helvetica size=2>",
               "<strong>Search Engine Preparedeness</strong></font>",
               "<font color=#FFFFFF>a<br><img border=0 src='../clear.gif' width=27 "
               "height=9></font></td></tr></table>"});
}

bool WriteAnalyzedPage(Fetcher& fetcher, const std::string& path, const std::string& shownUrl,
                       const std::string& pageUrl, UrlEntry* densitySink, PageReadiness* result) {
    if (!AppendLinesOrStop(
            path,
            {"<table border=0 width=675 cellspacing=0><tr><td width=20% valign=top>",
             "<table border=1 borderColor=#1c5584 cellPadding=2 cellSpacing=1 height=104 "
             "width=100%><tbody>",
             "<tr><td height=16 vAlign=top width=100%><font face=Verdana,Arial,Helvetica "
             "size=2><strong>URL</strong></font></td></tr>",
             "<tr><td height=80 vAlign=top width=100%><font face=Verdana,Arial,Helvetica size=2>" +
                 ReportText(shownUrl) + "</font></td></tr></tbody></table></td>"})) {
        return false;
    }
    AnalyzePageReadiness(fetcher, path, pageUrl, densitySink, result);
    return AppendLineOrStop(path, "<p>&nbsp;</p><p>&nbsp;</td></tr></table></div>");
}

bool WriteReadinessFooter(const std::string& path) {
    return AppendLinesOrStop(
        path, {"</td></tr>",
               "<tr><td valign = 'bottom' align = 'left'><a href = "
               "'../../../tutorial/index.html'>Tutorial</a></td>",
               "<td valign = 'bottom' align = 'right'><a href = '../../../tutorial/help.html'>Tips "
               "and tricks</td>",
               "</tr></table>", "</body></html>"});
}

void StartReadinessFile(const std::string& path) {
    if (RunCancelled()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace sg
