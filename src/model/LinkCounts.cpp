#include "model/LinkCounts.h"

namespace sg {

std::string LinkCountsText(const LinkCounts& counts) {
    return std::to_string(counts.pagesVisited) + " pages visited, " +
           std::to_string(counts.linksJudged) + " links judged, " + std::to_string(counts.broken) +
           " broken, " + std::to_string(counts.unreachable) + " unreachable";
}

}  // namespace sg
