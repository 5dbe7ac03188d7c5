#pragma once
// The number of results an engine reports on the first page of a keyword search.

#include <cstdint>
#include <string>
#include <string_view>

#include "engines/EngineId.h"

namespace sg {

// Overture and AskJeeves report no total: theirs is fixed, and shown as "No info".
inline constexpr std::int64_t kFixedTotal = 1000;
inline constexpr std::string_view kNoTotalInfo = "No info";
bool HasFixedTotal(EngineId id);

// A count as engines write it: every "," and "." left out, leading blanks skipped, the digits
// up to the first other character; 0 without digits. Saturates instead of overflowing.
std::int64_t ReadCount(std::string_view text);

// The piece of the page that the engine's total rule reads, "," and "." still in it; empty
// when a marker of the rule is missing, and for the engines with a fixed total. AltaVista's
// piece has every "results:" and "result:" removed; a page with its "found no document"
// sentence gives an empty piece.
std::string TotalRuleText(EngineId id, std::string_view page);

// The engine's total: ReadCount of its piece (AOL's counts pages of ten, so it is multiplied by
// 10); an AltaVista page without its sentence is read as a number as a whole; kFixedTotal for
// Overture and AskJeeves.
std::int64_t EngineTotal(EngineId id, std::string_view page);

}  // namespace sg
