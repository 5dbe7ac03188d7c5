#pragma once
// The "link:" counts of one site on the nine engines that report them.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engines/EngineId.h"

namespace sg {

// The engines of a link count list, in its order (the catalogue order does not apply here).
inline constexpr std::array<EngineId, 9> kLinkCountEngines = {
    EngineId::AltaVista, EngineId::Google, EngineId::AllTheWeb,
    EngineId::MSN,       EngineId::HotBot, EngineId::Yahoo,
    EngineId::Excite,    EngineId::AOL,    EngineId::Euroseek,
};

// Queries the nine engines one after the other for `site` (the site's URL as stored, put in
// unencoded) and appends, per engine, the shown count and then the request address: entry 2k
// is the count of engine k of kLinkCountEngines, entry 2k + 1 its address. The count is
// FormatCount of the page's count text; a failed request, a page without the marker and a real
// zero all give "0".
void LinkCountsForSite(std::string_view site, std::vector<std::string>& list);

}  // namespace sg
