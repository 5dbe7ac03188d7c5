#pragma once
// The search of one live engine for one keyword: the instance's JSON result pages are read
// one after the other, with a pause between them, from the first result down to the depth, and
// every site's first position is noted by the designed matching rule (MatchResult).
//
// A position is the engine's own rank, not the place in the instance's list: the instance
// merges results whose addresses differ only in scheme and regroups them by score and kind,
// while each result's "positions" keeps its ranks on the engine's page. The absolute position
// is that rank plus the highest rank of each earlier page. A page the engine failed (listed in
// "unresponsive_engines", or one the instance could not serve) fails the sites not found yet,
// with the reason; it never counts as "not found".

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engines/PositionRunStatus.h"
#include "engines/SitePosition.h"

namespace sg {

// Pages asked at most for one keyword and engine, so that an instance that never runs dry
// cannot hold a run without a depth for ever.
inline constexpr int kMaxLivePages = 100;
// A rank above this on one page is no rank: the page is read as if the result had none.
inline constexpr std::int32_t kMaxLiveRank = 10000;

// The pause before every page after the first (1 s unless set), which is also how long a
// suspended engine is waited for before it is asked once more; any thread.
void SetLivePagePause(std::chrono::milliseconds pause);
std::chrono::milliseconds LivePagePause();

// instance + "/search?q=" + encodedKeyword + "&format=json&engines=" + the encoded name +
// "&pageno=" + page; without the format part when json is false (the page a person reads).
std::string LiveSearchAddress(std::string_view instance, std::string_view engine,
                              std::string_view encodedKeyword, int page, bool json);

// One result page of the instance, as it concerns one engine.
struct LivePage {
    struct Rank {
        std::int32_t rank = 0;
        std::string url;
    };
    // The engine's results on the page by rank, one entry per rank (a merged result holds
    // several), in rank order. A result without "positions" takes its place in the list.
    std::vector<Rank> ranks;
    // The highest rank of the engine on the page; 0 when it has none.
    std::int32_t highestRank = 0;
    // "number_of_results" when present, a number and within 0..9e18; else 0.
    std::int64_t total = 0;
    // The reason "unresponsive_engines" gives for the engine ("HTTP error", "timeout",
    // "Suspended: HTTP error"); empty when it is not listed.
    std::string failure;
    // Results that name engines, none of them this one (the instance asked another engine).
    bool otherEngines = false;
    // The query the instance searched ("query"), when the answer has one.
    bool hasQuery = false;
    std::string query;
};

// kLiveOk (LiveFetch.h) with the page read for `engine`; kLiveNotJson when the text is not
// JSON or has no "results" list. Results without an address count as an empty address.
int ParseLivePage(std::string_view pageJson, std::string_view engine, LivePage& page);

// The keyword (UTF-8) with its blanks collapsed, as the instance echoes it in "query".
std::string CollapsedKeyword(std::string_view keyword);

// Searches one live engine for one keyword (UTF-8, unencoded), updating `sites` in place;
// depth 0 means no limit (kMaxLivePages still holds). Ends at the depth, at a page without the
// engine's results, at a failed page (one error line; the sites not found get the reason in
// their `error`), or at a confirmed skip or stop request. A page on which the instance reports
// the engine suspended is asked once more after LivePagePause. A keyword the instance reads as
// its own query syntax (a "!bang", ":language" or "<timeout" word, which would change the engine
// or the query) fails the engine. Returns the position at which the last site was found, or 0
// for every other end.
int SearchLiveEngine(const std::string& instance, const std::string& engine,
                     std::string_view keyword, std::vector<SitePosition>& sites, int depth,
                     PositionRunStatus& status);

}  // namespace sg
