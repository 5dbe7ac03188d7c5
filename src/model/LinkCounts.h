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
};

// "N pages visited, N links judged, N broken, N unreachable".
std::string LinkCountsText(const LinkCounts& counts);

}  // namespace sg
