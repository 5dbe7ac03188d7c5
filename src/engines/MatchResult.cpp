#include "engines/MatchResult.h"

#include <string>

#include "html/IdnHost.h"
#include "html/PageCharset.h"

namespace sg {
namespace {

// An internationalised host may be written in its ASCII or its Unicode form on either side;
// both sides are compared in the ASCII form. Site texts are the project's 8-bit text, result
// addresses UTF-8 or the page's bytes; both are read as UTF-8 first.
bool MatchesInternationalHost(std::string_view resultAddress, const std::string& site) {
    if (!HasInternationalHost(site) && !HasInternationalHost(resultAddress)) {
        return false;
    }
    const std::string siteForm = AsciiHostForm(Utf8Text(site, PageCharset::Utf8));
    return AsciiHostForm(Utf8Text(resultAddress, PageCharset::Utf8)).find(siteForm) !=
           std::string::npos;
}

}  // namespace

bool MatchResult(std::string_view resultAddress, std::vector<SitePosition>& sites,
                 std::int32_t position, std::string_view pageLink, std::string_view engineName,
                 PositionRunStatus& status) {
    std::size_t found = 0;
    for (SitePosition& site : sites) {
        if (site.position != 0) {
            ++found;
            continue;
        }
        if (resultAddress.find(site.site) == std::string_view::npos &&
            !MatchesInternationalHost(resultAddress, site.site)) {
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
