#include "engines/MatchResult.h"

#include <string>

namespace sg {

bool MatchResult(std::string_view resultAddress, std::vector<SitePosition>& sites,
                 std::int32_t position, std::string_view pageLink, std::string_view engineName,
                 PositionRunStatus& status) {
    std::size_t found = 0;
    for (SitePosition& site : sites) {
        if (site.position != 0) {
            ++found;
            continue;
        }
        if (resultAddress.find(site.site) == std::string_view::npos) {
            continue;
        }
        site.position = position;
        site.link.assign(pageLink);
        ++found;
        std::string line(engineName);
        line += " found ";
        line += site.site;
        line += " on position ";
        line += std::to_string(position);
        status.LogInfo(line);
    }
    return found == sites.size();
}

}  // namespace sg
