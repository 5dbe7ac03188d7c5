#include "analysis/readiness/ReadinessBoxes.h"

#include <unordered_map>

#include "html/KeywordDensity.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "model/RunResults.h"
#include "model/UrlEntry.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

std::string Count(std::size_t n) {
    return ReportText(std::to_string(n));
}

}  // namespace

bool WriteTitleBox(const std::string& path, std::size_t titleLength) {
    const bool fits = titleLength <= kTitleLimit;
    const std::string count =
        "<tr><td height=80 vAlign=top width=100%><font face=Verdana,Arial,Helvetica size=2>No "
        "of Characters:<font color=" +
        std::string(fits ? "#0000FF" : "#FF0000") + " face=Verdana,Arial,Helvetica size=2>" +
        Count(titleLength) + "</font><br>";
    return AppendLinesOrStop(
        path,
        {"<td vAlign=top width=20%><div align=left><table border=1 borderColor=#1C5584 "
         "cellPadding=2 cellSpacing=1 height=103 width=100%><tbody>",
         "<tr><td height=16 vAlign=top width=100%><font face=Verdana,Arial,Helvetica "
         "size=2><strong>Title</strong></font></td></tr>",
         count,
         fits
             ? "Comment: Your Title Tag looks Good.</font></td></tr></tbody></table></div><p>&nbsp;"
               "</td>"
             : "Comment: Your Title Tag is too long. It should be less than 80 characters "
               "long.</font></td></tr></tbody></table></div><p>&nbsp;</td>"});
}

bool WriteAltTextBox(const std::string& path, std::size_t imageCount, std::size_t altCount) {
    const std::string verdict =
        altCount >= imageCount
            ? std::string(
                  "<tr><td align=left height=53 vAlign=top width=100%><font "
                  "face=Verdana,Arial, Helvetica size=2>All image tags have matching "
                  "&quot;Alt Text&quot; tags included. </font></td></tr></table><p>&nbsp;"
                  "</td></tr></table>")
            : "<tr><td align=left height=53 vAlign=top width=100%><font face=Verdana,Arial, "
              "Helvetica size=2>" +
                  Count(imageCount - altCount) + "/" + Count(imageCount) +
                  " Image Tags do not have the &quot;Alt Text&quot; tags included. "
                  "</font></td></tr></table><p>&nbsp;</td></tr></table>";
    return AppendLinesOrStop(
        path, {"<td vAlign=top width=20%><table border=1 borderColor=#1C5584><tr>",
               "<td height=16 vAlign=top width=100%><font face=Verdana,Arial,Helvetica "
               "size=2><strong>Alt Text</strong></font></td></tr>",
               verdict});
}

bool WriteSnapshot(const std::string& path, std::string_view pageUrl, std::string_view title,
                   std::string_view visibleText, std::string_view description) {
    if (!AppendLinesOrStop(
            path,
            {"<table border=0 cellspacing=0 width=675><tr><td>&nbsp;",
             "<table border=1 borderColor=#245885 cellPadding=3 width=500><tbody>",
             "<tr><td rowSpan=2><font face=Verdana,Arial,Helvetica "
             "size=2><strong>Initial<br>Text<br>View</strong></font></td>",
             "<td><font face=Verdana,Arial,Helvetica size=2><strong>Search Engine Snapshot - "
             "1</strong></font></td><td><font face=Verdana,Arial,Helvetica size=2><strong>Search "
             "Engine Snapshot - 2</strong></font></td>"})) {
        return false;
    }
    // Page URLs are kept without a scheme; a link without one would be taken as a file beside
    // the report.
    const std::string href = ReportLinkHref(pageUrl);
    // The title, text and description are the page's own HTML; the address is a plain value.
    const std::string label = title.empty() ? ReportText(pageUrl) : ReportPageText(title);
    const std::string visible = ReportPageText(visibleText);
    const std::string closing =
        ReportPageText(description) + "</font></td></tr></tbody></table><p>&nbsp;</p>";
    const std::string firstAnchor =
        "</tr><tr><td><font face=Verdana,Arial,Helvetica size=2><a href =" + href + ">" + label;
    if (!title.empty()) {
        return AppendLinesOrStop(
            path, {firstAnchor, "</a><br><br>" + visible,
                   "</font></td><td><font face=Verdana,Arial,Helvetica size=2><a href =" + href +
                       ">" + label,
                   "</a><br><br>", closing});
    }
    return AppendLinesOrStop(path, {firstAnchor, "</a><br><br>" + visible + "</font></td><td>",
                                    "<font face=Verdana,Arial,Helvetica size=2><a href =" + href +
                                        ">" + label + "</a><br><br>",
                                    closing});
}

bool WriteKeywordContentBox(const std::string& path, std::string_view keywords) {
    const std::string content =
        keywords.empty()
            ? std::string(
                  "<tr><td><font face=Verdana,Arial,Helvetica size=2><strong>No Keyword "
                  "Tag was found on this page.</strong></font></td></tr></table></div><p>"
                  "&nbsp;</p><div align=left><table border=1 cellpadding=3 width=500 "
                  "bgcolor=#FFFFFF bordercolor=#1C5584>")
            : "<tr><td><font face=Verdana,Arial,Helvetica size=2><strong>" +
                  ReportPageText(keywords) +
                  "</strong></font></td></tr></table></div><p>&nbsp;</p><div align=left><table "
                  "border=1 cellpadding=3 width=500 bgcolor=#FFFFFF bordercolor=#1C5584>";
    return AppendLinesOrStop(
        path, {"<div align=left><table border=1 cellpadding=3 width=500 "
               "bordercolor=#1C5584><tbody><tr><td><font face=Verdana,Arial,Helvetica "
               "size=2><strong>Keyword Meta Tag Content:</strong></font></td></tr>",
               content});
}

bool WriteKeywordDensityBox(const std::string& path, std::string_view keywords,
                            std::string_view documentText, UrlEntry* sink, PageCharset charset,
                            std::vector<DensityResult>* results) {
    if (!AppendLinesOrStop(
            path, {"<tbody><tr><td colspan=2><font face=Verdana,Arial,Helvetica "
                   "size=2><strong>Keyword Density</strong></font></td></tr><tr><td "
                   "vAlign=top><div align=left>",
                   "<table border=1 width=250 bordercolor=#1C5584><tbody><tr><td "
                   "width=100%><font face=Verdana,Arial,Helvetica "
                   "size=2><strong>Keyword</strong></font></td>",
                   "</tr><tr><td width=100%><font face=Verdana,Arial,Helvetica size=2>"})) {
        return false;
    }
    if (keywords.empty()) {
        return AppendLineOrStop(path,
                                "You need a Keyword Tag on this page in order to conduct Keyword "
                                "Density Analysis.<br><br>");
    }
    std::unordered_map<std::string_view, KeywordDensityResult> densities;
    std::size_t begin = 0;
    while (begin <= keywords.size()) {
        std::size_t end = keywords.find_first_of(",;>", begin);
        if (end == std::string_view::npos) {
            end = keywords.size();
        }
        const std::string_view phrase = TrimBlanksView(keywords.substr(begin, end - begin));
        begin = end + 1;
        if (phrase.empty()) {
            continue;
        }
        // A phrase repeated in the tag costs its pass over the page once.
        auto known = densities.find(phrase);
        if (known == densities.end()) {
            known = densities.emplace(phrase, KeywordDensity(phrase, documentText)).first;
        }
        const KeywordDensityResult& density = known->second;
        const std::string shown = ReportCharsetText(phrase, charset);
        if (!AppendLineOrStop(path, ReportPageText(shown)) ||
            !AppendLineOrStop(path, " - " + ReportText(density.text) + "% <br><br>")) {
            return false;
        }
        if (sink != nullptr) {
            sink->AddWord(shown, density.value);
        }
        if (results != nullptr) {
            results->push_back({Utf8Text(phrase, charset), density.value});
        }
    }
    return true;
}

}  // namespace sg
