#pragma once
// The search of one live engine for one keyword: the instance's JSON result pages are read
// one after the other, with a pause between them, from the first result down to the depth, and
// every site's first position is noted by the designed matching rule (MatchResult).

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "engines/PositionRunStatus.h"
#include "engines/SitePosition.h"

namespace sg {

// Pages asked at most for one keyword and engine, so that an instance that never runs dry
// cannot hold a run without a depth for ever.
inline constexpr int kMaxLivePages = 100;

// The pause before every page after the first (1 s unless set); any thread.
void SetLivePagePause(std::chrono::milliseconds pause);
std::chrono::milliseconds LivePagePause();

// instance + "/search?q=" + encodedKeyword + "&format=json&engines=" + the encoded name +
// "&pageno=" + page; without the format part when json is false (the page a person reads).
std::string LiveSearchAddress(std::string_view instance, std::string_view engine,
                              std::string_view encodedKeyword, int page, bool json);

// kLiveOk (LiveFetch.h) with the "url" of every result in order (a result without one counts
// as an empty address) and the "number_of_results" (0 when absent, negative or out of range);
// kLiveNotJson when the text is not JSON or has no "results" list.
int ParseLiveResults(std::string_view pageJson, std::vector<std::string>& urls,
                     std::int64_t& total);

// Searches one live engine for one keyword (already percent-encoded as UTF-8), updating
// `sites` in place; depth 0 means no limit (kMaxLivePages still holds). Ends at the depth, at a
// page without results, at a failed page (one error line), or at a confirmed skip or stop
// request. Returns the position at which the last site was found, or 0 for every other end.
int SearchLiveEngine(const std::string& instance, const std::string& engine,
                     std::string_view encodedKeyword, std::vector<SitePosition>& sites, int depth,
                     PositionRunStatus& status);

}  // namespace sg
