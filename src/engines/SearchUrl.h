#pragma once
// The request address of one result page of a keyword search.

#include <string>
#include <string_view>

#include "engines/EngineHosts.h"
#include "engines/EngineId.h"

namespace sg {

// `encodedKeyword` is the keyword after PercentEncode; `start` the number of result items
// already passed (0 for the first page); `next` the next-page address read from the previous
// page, which MSN, Yahoo, Overture and Excite request as it stands on every later page (empty
// text then gives an empty address); `language` the request language code or empty text.
std::string SearchUrl(EngineId id, std::string_view encodedKeyword, int start,
                      std::string_view next, std::string_view language);
// The same on the given hosts instead of the ones in force.
std::string SearchUrl(const EngineHosts& hosts, EngineId id, std::string_view encodedKeyword,
                      int start, std::string_view next, std::string_view language);

}  // namespace sg
