#include "analysis/readiness/MetaTagAnalyzer.h"

#include <algorithm>

#include "html/TextUtil.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

constexpr std::string_view kTagLower = "<meta name=";
constexpr std::string_view kTagUpper = "<META NAME=";

constexpr std::string_view kBlue = "#0000FF";
constexpr std::string_view kRed = "#FF0000";
constexpr std::string_view kColourTail = " face=Verdana,Arial,Helvetica size=2>";
constexpr std::string_view kCountTail = "</font><br>";

// The content part's length without the characters a browser does not show as text.
std::size_t CountedLength(std::string_view content, std::size_t characters) {
    const auto quotes = std::count(content.begin(), content.end(), '"');
    const auto closes = std::count(content.begin(), content.end(), '>');
    return characters - static_cast<std::size_t>(quotes + closes);
}

bool WriteDescriptionBox(const std::string& path, std::size_t raw, std::size_t counted) {
    const bool fits = counted <= kDescriptionLimit;
    const std::string count =
        std::string(fits ? "<tr><td height=80 vAlign=top width=100%><font "
                           "face=Verdana,Arial,Helvetica size=2>No of Characters:<font color="
                         : "<tr><td height=80 vAlign=top width=100%><font "
                           "face=Verdana,Arial,Helvetica size=2>No of Character:<font color=") +
        std::string(fits ? kBlue : kRed) + std::string(kColourTail) +
        ReportText(std::to_string(raw)) + std::string(kCountTail);
    return AppendLinesOrStop(
        path,
        {"<td width=20% vAlign=top><table border=1 borderColor=#1C5584 cellPadding=2 "
         "cellSpacing=1 height=104 width=100%><tbody>",
         "<tr><td height=16 vAlign=top width=100%><font face=Verdana,Arial,Helvetica "
         "size=2><strong>Description</strong></font></td></tr>",
         count,
         fits ? "Comment: Your Description Tag looks okay.</font></td></tr></tbody></table></td>"
              : "Comment: Your Description Tag is too long. It should be less than 200 "
                "characters long.</font></td></tr></tbody></table></td>"});
}

bool WriteKeywordsBox(const std::string& path, std::size_t raw, std::size_t counted) {
    const bool fits = counted <= kKeywordsLimit;
    const std::string count =
        "<tr><td height=79 vAlign=top width=100%><font face=Verdana,Arial,Helvetica size=2>No "
        "of Characters:<font color=" +
        std::string(fits ? kBlue : kRed) + std::string(kColourTail) +
        ReportText(std::to_string(raw)) + std::string(kCountTail);
    return AppendLinesOrStop(
        path, {"<td vAlign=top width=20%><table border=1 borderColor=#1C5584 cellPadding=2 "
               "cellSpacing=1 height=103 width=100%><tbody>",
               "<tr><td height=16 vAlign=top width=100%><font face=Verdana,Arial,Helvetica "
               "size=2><strong>Keywords</strong></font></td></tr>",
               count,
               fits ? "Comment: Your Keyword Tag looks Good.</font></td></tr></tbody></table></td>"
                    : "Comment: Your Keyword tag is too long. It should be no more than 250 "
                      "characters long total.</font></td></tr></tbody></table></td>"});
}

// One tag: the text after its "=" up to, not including, its ">". False when cancelled.
bool AnalyzeTag(const std::string& path, std::string_view rest, MetaTagTexts& texts,
                PageCharset charset) {
    const std::size_t equals = rest.find('=');
    if (equals == std::string_view::npos) {
        // No name part: nothing to judge.
        return true;
    }
    const std::string_view name = rest.substr(0, equals);
    const std::string_view content = rest.substr(equals + 1);
    const std::size_t raw = CharacterCount(content, charset);
    const std::size_t counted = CountedLength(content, raw);
    if (FindNoCase(name, "escription") >= 0) {
        texts.description.assign(content);
        texts.descriptionFound = true;
        texts.descriptionLength = raw;
        texts.descriptionFits = counted <= kDescriptionLimit;
        if (!WriteDescriptionBox(path, raw, counted)) {
            return false;
        }
    }
    // "eyword" also covers "eywords".
    if (FindNoCase(name, "eyword") >= 0) {
        texts.keywords.assign(content);
        texts.keywordsFound = true;
        texts.keywordsLength = raw;
        texts.keywordsFits = counted <= kKeywordsLimit;
        if (!WriteKeywordsBox(path, raw, counted)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void AnalyzeMetaTags(const std::string& reportPath, std::string_view text, MetaTagTexts& texts,
                     PageCharset charset) {
    const std::size_t n = text.size();
    std::size_t k = 0;
    std::size_t p = 0;
    while (p < n) {
        const char c = text[p++];
        if (c != kTagLower[k] && c != kTagUpper[k]) {
            // The byte that broke a partial match is not tried as a first byte again.
            k = 0;
            continue;
        }
        if (++k < kTagLower.size()) {
            continue;
        }
        k = 0;
        const std::size_t close = text.find('>', p);
        const std::size_t end = close == std::string_view::npos ? n : close;
        if (!AnalyzeTag(reportPath, text.substr(p, end - p), texts, charset)) {
            return;
        }
        p = close == std::string_view::npos ? n : close + 1;
    }
}

}  // namespace sg
