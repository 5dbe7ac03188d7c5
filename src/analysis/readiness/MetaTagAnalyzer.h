#pragma once
// The meta tag check of the readiness analysis: finds the "<meta name=" tags of a text, writes a
// Description box and/or a Keywords box for each into the report, and keeps the content parts.

#include <cstddef>
#include <string>
#include <string_view>

#include "html/PageCharset.h"

namespace sg {

// The lengths up to which the boxes show a description and a keywords tag as fitting.
inline constexpr std::size_t kDescriptionLimit = 200;
inline constexpr std::size_t kKeywordsLimit = 250;

// The content parts of the last description and the last keywords tag seen; a text without
// such a tag leaves the field as it was.
struct MetaTagTexts {
    std::string description;
    std::string keywords;
    // Of the same last tags: the length the report shows and whether it showed it as fitting.
    bool descriptionFound = false;
    std::size_t descriptionLength = 0;
    bool descriptionFits = false;
    bool keywordsFound = false;
    std::size_t keywordsLength = 0;
    bool keywordsFits = false;
};

// The tag start matches byte by byte, each letter in either case on its own ("<Meta Name="),
// the blanks exactly (so "<meta  name=" is not a tag). The tag rest up to the next ">" splits
// at its first "=" into a name part and a content part. The report shows the content part's raw
// length; the limits (200 for a description, 250 for keywords) apply to that length without
// its double quotes and ">" characters. Lengths are in characters of the page's charset.
// The texts kept are the page's own bytes. Stops when the run is cancelled.
void AnalyzeMetaTags(const std::string& reportPath, std::string_view text, MetaTagTexts& texts,
                     PageCharset charset = PageCharset::Windows1252);

}  // namespace sg
