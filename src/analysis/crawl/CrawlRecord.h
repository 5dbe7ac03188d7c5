#pragma once
// One judged URL occurrence of a crawl: where it was found, the URL as found, its status, the
// HTTP status code of the answer that decided it, and whether it names a page or a resource.

#include <cstdint>
#include <string>

#include "analysis/crawl/LinkStatus.h"

namespace sg {

// Pages are fetched and, on the crawl's own site, visited; resources (images, stylesheets,
// scripts, ...) are judged by their answer and never visited.
enum class LinkKind : std::uint8_t { Page, Resource };

// Why a record is broken when no answer said so.
enum class BrokenBecause : std::uint8_t {
    Answer,
    // A file: address or a path on a disk: no visitor can load it from the web.
    NotOnTheWeb,
    // Longer than any browser or server takes (the record keeps its beginning and end).
    AddressTooLong,
};

// The words the data give for it; empty for Answer.
const char* BrokenBecauseText(BrokenBecause because);

struct CrawlRecord {
    // The page the link was found on; for the start page, the start URL itself.
    std::string fromPage;
    // The URL as resolved from the page, fragment and port still in it.
    std::string link;
    LinkStatus status = LinkStatus::Available;
    // The status code of the final answer (after redirects); 0 when unreachable or when the
    // answer had no status line.
    int httpStatus = 0;
    LinkKind kind = LinkKind::Page;
    BrokenBecause because = BrokenBecause::Answer;
};

}  // namespace sg
