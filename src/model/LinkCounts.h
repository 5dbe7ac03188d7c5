#pragma once
// What the Link Validator's crawl of one site counted, for the summary page and the CLI.

#include <string>

namespace sg {

struct LinkCounts {
    int pagesVisited = 0;
    // Records made: every link of every visited page, once per page.
    int linksJudged = 0;
    int broken = 0;
    int unreachable = 0;
    // Links not asked: robots.txt disallows them.
    int blocked = 0;
    // The page bound stopped the crawl: pages were found that it would have visited.
    bool limitReached = false;
    int pageLimit = 0;
    // Links of pages past the per-page limit, not read.
    std::size_t linksNotRead = 0;
};

// "N pages visited, N links judged, N broken, N unreachable", then ", N blocked by robots.txt"
// when there are any, ", stopped at the page limit (N)" when the bound acted and ", N links past
// the per-page limit not read" when that one did.
std::string LinkCountsText(const LinkCounts& counts);

}  // namespace sg
