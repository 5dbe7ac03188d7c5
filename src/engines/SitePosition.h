#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace sg {

// Where one site stands on one engine for one keyword: not found until a result address holds
// the site's text, then the first position at which it did and the result page it was on; or
// failed, when the engine could not be asked before the site was found.
struct SitePosition {
    explicit SitePosition(std::string siteText) : site(std::move(siteText)) {}

    // The site address as the site position dialog lists it.
    std::string site;
    // 0 while not found, else the 1-based result position.
    std::int32_t position = 0;
    // The request address of the result page that held the site; empty while not found.
    std::string link;
    // Why the engine could not be searched for the site (a live engine's failed page, with the
    // reason the instance gave); empty unless it failed before the site was found. A failed
    // site is not "not found": nobody knows whether it was there.
    std::string error;
};

}  // namespace sg
