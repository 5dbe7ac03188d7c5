#pragma once
// The count an engine's answer to a "link:" query reports.

#include <string>
#include <string_view>

#include "engines/EngineId.h"

namespace sg {

// The count text as the page writes it (before FormatCount), or empty when the engine's marker
// is missing. Yahoo, Excite and AOL use their total rules, the number written back as decimal
// text. Empty for Overture and AskJeeves.
std::string LinkCountText(EngineId id, std::string_view page);

}  // namespace sg
