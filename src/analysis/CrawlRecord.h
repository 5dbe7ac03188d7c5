#pragma once
// One judged URL occurrence of a crawl: where it was found, the URL as found, and its status.

#include <string>

#include "analysis/LinkStatus.h"

namespace sg {

struct CrawlRecord {
    // The page the link was found on; for the start page, the start URL itself.
    std::string fromPage;
    // The URL as resolved from the page, fragment and port still in it.
    std::string link;
    LinkStatus status = LinkStatus::Available;
};

}  // namespace sg
