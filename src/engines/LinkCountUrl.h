#pragma once
// The request address of the "link:" count for one site.

#include <string>
#include <string_view>

#include "engines/EngineHosts.h"
#include "engines/EngineId.h"

namespace sg {

// `site` is the site's URL as stored, put in unencoded. Empty for Overture and AskJeeves, which
// have no count. AltaVista's address carries no "http://".
std::string LinkCountUrl(EngineId id, std::string_view site);
std::string LinkCountUrl(const EngineHosts& hosts, EngineId id, std::string_view site);

}  // namespace sg
