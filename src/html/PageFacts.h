#pragma once
// What search engines read from a page besides its links: its titles, meta descriptions, robots
// meta tags, canonical links, h1 headings and visible text. Read with libxml2's HTML parser
// (events, no tree), so markup inside comments and scripts counts for nothing, entities are
// decoded and blanks collapsed as a browser shows the text. All text comes out as UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "html/PageCharset.h"

namespace sg {

struct PageFacts {
    // Each <title> outside inline SVG and MathML, in page order, blanks collapsed and trimmed.
    std::vector<std::string> titles;
    // The content of each <meta name=description>, blanks collapsed and trimmed.
    std::vector<std::string> descriptions;
    // The content of each <meta name=robots> and <meta name=googlebot>, as written.
    std::vector<std::string> robots;
    // The href of each <link rel=canonical> in the head, as written (entity-decoded).
    std::vector<std::string> canonicals;
    // The text of each <h1>, blanks collapsed and trimmed.
    std::vector<std::string> h1s;
    // Words of the text a reader sees (outside the head, scripts, styles, noscript and
    // templates): runs of non-blank characters holding a letter or digit.
    std::size_t words = 0;
    // A 64-bit hash of that text with its blanks collapsed, so that two pages' texts can be
    // compared without keeping them.
    std::uint64_t textHash = 0;
};

// The facts of `page`, read in `charset` (what the page declares, PageCharset.h) whatever its
// own meta tags say later. Linear in the page's size; text that is not HTML gives what a
// browser would show of it.
PageFacts ReadPageFacts(std::string_view page, PageCharset charset);

}  // namespace sg
