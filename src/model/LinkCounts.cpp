#include "model/LinkCounts.h"

namespace sg {

std::string LinkCountsText(const LinkCounts& counts) {
    return std::to_string(counts.pagesVisited) + " pages visited, " +
           std::to_string(counts.linksJudged) + " links judged, " + std::to_string(counts.broken) +
           " broken, " + std::to_string(counts.unreachable) + " unreachable" +
           (counts.blocked > 0 ? ", " + std::to_string(counts.blocked) + " blocked by robots.txt"
                               : std::string()) +
           (counts.linksNotRead > 0 ? ", " + std::to_string(counts.linksNotRead) +
                                          " links past the per-page limit not read"
                                    : std::string()) +
           (counts.limitReached
                ? ", stopped at the page limit (" + std::to_string(counts.pageLimit) + ")"
                : std::string());
}

}  // namespace sg
