#pragma once
// The links of a page as a browser reads them: the page is parsed with libxml2's HTML parser
// (events, no tree), so tags inside comments, scripts and styles are no links, attribute values
// are entity-decoded and trimmed, and every link resolves against the page's address or its
// first <base href> by RFC 3986 (Url.h). Only http and https addresses are kept.
//
// Pages: <a href>, <area href>, <iframe src>, <meta http-equiv=refresh content="N; url=...">
// (links), and <frame src> (frames). Resources, judged by their answer and never visited:
// <img src> and each srcset candidate, <link href> of rel stylesheet, icon, preload, manifest,
// canonical, alternate, prev or next, <script src>, <source src|srcset>, <video src|poster>,
// <audio src>, <track src>, <object data>, <embed src>, <input type=image src>, and each url()
// and @import of a <style> element (of type text/css or none) and of a style attribute
// (CssReferences.h).
//
// The page is decoded as a browser decodes it (PageEncoding.h); each link's path is UTF-8 and
// its query is in the page's encoding (QueryEncoder.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// The most of one page's links, frames and resources read (distinct, after resolution), and
// the longest address asked for: browsers and servers refuse far shorter ones.
inline constexpr std::size_t kDefaultLinksPerPage = 10000;
inline constexpr std::size_t kMaxAddressBytes = 8192;
// What is kept of an address too long to ask for: its first and last bytes around "...".
inline constexpr std::size_t kTooLongShown = 1024;

// A reference of a page that is not asked for: one no visitor can load from the web (a file:
// address or a path on a disk, "C:\site\x.html", as the page writes it, trimmed, at most
// kMaxAddressBytes of it), or an address longer than kMaxAddressBytes once resolved (kTooLongShown
// bytes of it).
struct UnaskedReference {
    enum class Why : std::uint8_t { NotOnTheWeb, TooLong };
    std::string value;
    bool resource = false;
    Why why = Why::NotOnTheWeb;
};

// A page's distinct links in the text form of Url (fragment kept), in the order found.
struct PageLinkLists {
    // Pages: frame sources (always visited) and links (visited on the site).
    std::vector<std::string> frames;
    std::vector<std::string> links;
    // Images, style sheets, scripts and the like (judged, never visited).
    std::vector<std::string> resources;
    // What is not asked for (see UnaskedReference), distinct, in document order.
    std::vector<UnaskedReference> unasked;
    // The distinct addresses past `maxLinks` that would have been read (not one read already):
    // counted, not kept.
    std::size_t beyondLimit = 0;

    bool Empty() const {
        return frames.empty() && links.empty() && resources.empty() && unasked.empty();
    }
};

// The links of `page`, served with `contentTypeLine` ("Content-Type: text/html; charset=...",
// or empty when there is none), resolved; at most `maxLinks` of them are read (the unasked ones
// included), the rest counted. Linear in the page's size and bounded in memory by
// maxLinks x kMaxAddressBytes whatever the page holds; a page that is not HTML at all gives none.
PageLinkLists ReadPageLinks(std::string_view page, std::string_view pageUrl,
                            std::string_view contentTypeLine = {},
                            std::size_t maxLinks = kDefaultLinksPerPage);

// ReadPageLinks' three lists, emptied first.
void ExtractPageLinks(std::string_view page, std::string_view pageUrl,
                      std::vector<std::string>& frames, std::vector<std::string>& links,
                      std::vector<std::string>& resources, std::string_view contentTypeLine = {});

}  // namespace sg
