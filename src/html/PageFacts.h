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

namespace sg {

// Alt texts longer than this are too long; absolute http links and http resources kept per
// page.
inline constexpr std::size_t kAltMax = 100;
inline constexpr std::size_t kPlainLinksKept = 50;

// What is kept of a page, whatever it holds, so that a site's facts grow with its pages and not
// with their size: each text (title, description, h1, robots content, canonical and hreflang
// href, hreflang code, image source, link href) to its first kPageTextKept characters, never
// cut inside a UTF-8 sequence; each list of texts to its first kPageTextsKept, alternates to
// their first kAlternatesKept. Counts, and the lengths the checks judge, are taken whole.
inline constexpr std::size_t kPageTextKept = 1000;
inline constexpr std::size_t kPageTextsKept = 20;
inline constexpr std::size_t kAlternatesKept = 1000;

// Some of a page's items of one kind: how many there are, and the first few, each once (as
// kept: cut to kPageTextKept characters).
struct PageFactList {
    static constexpr std::size_t kKept = 5;
    std::size_t count = 0;
    std::vector<std::string> first;
    void Add(std::string_view item);
};

// Of a page's texts of one kind (its titles, say): how many it has, and the whole length in
// characters of each one kept, in order.
struct PageTextSizes {
    std::size_t count = 0;
    std::vector<std::size_t> characters;
};

// A resource a page loads (image, script, stylesheet, frame, audio or video) whose address is
// written with "http:", so that an https page loads it unencrypted.
struct PagePlainResource {
    enum class Kind { Image, Media, Script, Stylesheet, Frame };
    Kind kind;
    std::string href;
};

// A <link rel=alternate hreflang=...> in the head, as written (entity-decoded, trimmed).
struct PageAlternate {
    std::string hreflang;
    std::string href;
};

// The lists of texts below are kept as kPageTextsKept says, the texts as kPageTextKept says.
struct PageFacts {
    // Each <title> outside inline SVG and MathML, in page order, blanks collapsed and trimmed.
    std::vector<std::string> titles;
    PageTextSizes titleSizes;
    // The content of each <meta name=description>, blanks collapsed and trimmed.
    std::vector<std::string> descriptions;
    PageTextSizes descriptionSizes;
    // The content of each <meta name=robots> and <meta name=googlebot>, as written, and its
    // name ("robots" or "googlebot", lower case) at the same place.
    std::vector<std::string> robots;
    std::vector<std::string> robotsNames;
    // The href of each <link rel=canonical> in the head, as written (entity-decoded).
    std::vector<std::string> canonicals;
    // The text of each <h1>, blanks collapsed and trimmed.
    std::vector<std::string> h1s;
    PageTextSizes h1Sizes;
    // Words of the text a reader sees (outside the head, scripts, styles, noscript and
    // templates): runs of non-blank characters holding a letter or digit.
    std::size_t words = 0;
    // A 64-bit hash of that text with its blanks collapsed, so that two pages' texts can be
    // compared without keeping them.
    std::uint64_t textHash = 0;

    // <html> has a lang attribute that is not blank; its value, trimmed and kept.
    bool lang = false;
    std::string langValue;
    // A <meta name=viewport>; the content of the first one, as kept.
    bool viewport = false;
    std::string viewportContent;
    // The page begins with a <!DOCTYPE> (after a byte-order mark, blanks and comments); facts
    // made by hand have one unless they say otherwise.
    bool doctype = true;
    // A <meta> declares the charset, but not within the first kCharsetPrescanBytes bytes,
    // where browsers look for it.
    bool charsetLate = false;
    // A <meta charset> or a <meta http-equiv=content-type> whose content names a charset.
    bool metaCharset = false;
    // Images (by src) without an alt attribute; with an alt over kAltMax characters; without
    // both width and height.
    PageFactList imagesWithoutAlt;
    PageFactList imagesWithLongAlt;
    PageFactList imagesWithoutSize;
    // Links (by href) whose whole text is a generic phrase ("click here", "more", ...) outside
    // <code>, <kbd>, <samp> and <var> (a name in code is no phrase), and <a> elements a
    // crawler cannot follow: a javascript: href, or none at all but an onclick (an empty href
    // or "#" is the page itself, which is fine).
    PageFactList genericLinks;
    PageFactList uncrawlableAnchors;
    // The hrefs of <a> elements written as absolute "http://" addresses (the first
    // kPlainLinksKept, each once).
    std::vector<std::string> plainLinks;
    // The resources written with "http:" (the first kPlainLinksKept).
    std::vector<PagePlainResource> plainResources;
    // The first kAlternatesKept, and how many the head names.
    std::vector<PageAlternate> alternates;
    std::size_t alternateCount = 0;
    // Why each <script type=application/ld+json> that cannot be used cannot: it does not parse
    // as JSON, or an object in it lacks @context or @type (an object holding @graph needs no
    // @type). The first kPageTextsKept, and how many there are.
    std::vector<std::string> structuredDataProblems;
    std::size_t structuredDataProblemCount = 0;
};

// How many texts of a kind a page has, and the whole length in characters of the kept text
// `i` (i < texts.size()): from `sizes` as ReadPageFacts fills them, else (facts made by hand)
// from the texts as they are.
std::size_t TextCount(const std::vector<std::string>& texts, const PageTextSizes& sizes);
std::size_t TextCharacters(const std::vector<std::string>& texts, const PageTextSizes& sizes,
                           std::size_t i);

// Whether a link's whole text (blanks collapsed, compared without regard to case) is one of
// the generic phrases that tell a reader and a search engine nothing about its target.
bool IsGenericLinkText(std::string_view text);

// Why a structured data block cannot be used (see structuredDataProblems); empty when it can.
std::string StructuredDataProblem(std::string_view json);

// The facts of `page`, served with `contentTypeLine` ("Content-Type: text/html; charset=...",
// or empty), read in the encoding a browser picks (PageEncoding.h) whatever the page's meta
// tags say later. Linear in the page's size; text that is not HTML gives what a browser would
// show of it. Kept within the bounds above, whatever the page's size.
PageFacts ReadPageFacts(std::string_view page, std::string_view contentTypeLine);

}  // namespace sg
