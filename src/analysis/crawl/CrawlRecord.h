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
    // A broken record of an address no visitor can load from the web (file:, a disk path).
    bool local = false;
};

}  // namespace sg
