#pragma once
// The result page scraper: for one keyword and one engine, the engine's result pages are read
// from the first result down to the depth, and every site's first position is noted. All eleven
// engines share this one procedure; what differs between them is the catalogue's data and the
// few rules of ScraperRules.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engines/EngineId.h"
#include "engines/EngineSearch.h"
#include "engines/PositionRunStatus.h"
#include "engines/SitePosition.h"

namespace sg {

// A page result that asks for the next page; every other value ends the engine.
inline constexpr int kNextResultPage = -1;
// A page result: a skip or stop request ended the page's fetch before it came. The search
// asks about the request and fetches the page again when the answer is No.
inline constexpr int kInterruptedPage = -2;

// Searches one engine for one keyword (already percent-encoded), updating `sites` in place;
// depth 0 means no limit. Returns the result of the last page: the position at which the last
// site was found, or 0 for every other end.
int SearchEngine(EngineId id, std::string_view encodedKeyword, std::vector<SitePosition>& sites,
                 int depth, PositionRunStatus& status);

// Reads the result page that starts at `start`: kNextResultPage when the next page is wanted,
// else 0, or the position at which the last site was found. `search` carries the total and the
// next-page address from page to page.
int ScanResultPage(EngineId id, std::string_view encodedKeyword, std::vector<SitePosition>& sites,
                   int start, int depth, EngineSearch& search, PositionRunStatus& status);

}  // namespace sg
