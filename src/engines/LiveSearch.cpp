#include "engines/LiveSearch.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include <nlohmann/json.hpp>

#include "engines/EndRequests.h"
#include "engines/FormatCount.h"
#include "engines/LiveFetch.h"
#include "engines/MatchResult.h"
#include "engines/TotalRules.h"
#include "html/UrlText.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

std::atomic<std::int64_t> pagePauseMs{1000};

// The instance's own word for an engine it has set aside after errors.
constexpr std::string_view kSuspendedPrefix = "Suspended";

std::string WithPosition(std::string text, std::int64_t position) {
    text += " on position ";
    text += std::to_string(position);
    return text;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The pause between pages, in slices, so that a cancelled run or a skip or stop request does
// not wait it out.
void PauseBetweenPages(PositionRunStatus& status) {
    using std::chrono::milliseconds;
    const auto end = std::chrono::steady_clock::now() + LivePagePause();
    while (!RunCancelled() && !status.SkipRequested() && !status.StopRequested()) {
        const auto left =
            std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
        if (left <= milliseconds(0)) {
            return;
        }
        std::this_thread::sleep_for(std::min(left, milliseconds(RunControl::kWaitSliceMs)));
    }
}

// A word the instance would take as an external bang ("!!g") or its "!!" jump to the first
// result: either answers with a redirect to another site instead of results, so such a keyword
// is never sent. Empty when there is none.
std::string ExternalBangWord(std::string_view collapsed) {
    while (!collapsed.empty()) {
        const std::size_t blank = collapsed.find(' ');
        const std::string_view word = collapsed.substr(0, blank);
        if (word.starts_with("!!")) {
            return std::string(word);
        }
        if (blank == std::string_view::npos) {
            break;
        }
        collapsed.remove_prefix(blank + 1);
    }
    return {};
}

void FailSites(std::vector<SitePosition>& sites, const std::string& reason) {
    for (SitePosition& site : sites) {
        if (site.position == 0 && site.error.empty()) {
            site.error = reason;
        }
    }
}

// One error line, and the sites not found yet failed with the reason.
void Fail(PositionRunStatus& status, const std::string& engine, std::int64_t position,
          std::vector<SitePosition>& sites, const std::string& reason) {
    status.LogError(WithPosition(engine + " failed", position) + ": " + reason);
    FailSites(sites, reason);
}

std::int32_t RankOf(const nlohmann::json& value) {
    if (!value.is_number_integer()) {
        return 0;
    }
    const std::int64_t rank = value.get<std::int64_t>();
    return rank >= 1 && rank <= kMaxLiveRank ? static_cast<std::int32_t>(rank) : 0;
}

// Whether a result is the engine's: by its "engines" list, else its "engine"; a result that
// names none is taken as the engine's, since only that engine was asked.
bool IsEnginesResult(const nlohmann::json& result, std::string_view engine, bool& named) {
    named = false;
    const auto engines = result.find("engines");
    if (engines != result.end() && engines->is_array()) {
        for (const nlohmann::json& name : *engines) {
            if (name.is_string()) {
                named = true;
                if (name.get_ref<const std::string&>() == engine) {
                    return true;
                }
            }
        }
        return !named;
    }
    const auto single = result.find("engine");
    if (single != result.end() && single->is_string()) {
        named = true;
        return single->get_ref<const std::string&>() == engine;
    }
    return true;
}

// SearchLiveEngine's pages; `position` is the last absolute position looked at, `confirmed`
// tells a request confirmed on the way.
int SearchPages(const std::string& instance, const std::string& engine, std::string_view keyword,
                std::vector<SitePosition>& sites, int depth, PositionRunStatus& status,
                std::int32_t& position, bool& confirmed) {
    const std::string encoded = PercentEncode(keyword);
    const std::string asked = CollapsedKeyword(keyword);
    if (const std::string bang = ExternalBangWord(asked); !bang.empty()) {
        Fail(status, engine, 0, sites,
             "the instance would read \"" + bang + "\" as its bang syntax and leave the engine");
        return 0;
    }
    // The ranks of the earlier pages: each page's highest rank, added up.
    std::int64_t offset = 0;
    bool askedAgain = false;
    bool pauseFirst = false;
    int page = 1;
    while (page <= kMaxLivePages) {
        if (pauseFirst) {
            PauseBetweenPages(status);
            if (ConfirmEndRequest(status, engine, position)) {
                confirmed = true;
                return 0;
            }
        }
        pauseFirst = true;
        if (RunCancelled()) {
            return 0;
        }
        std::string body;
        std::string detail;
        int result;
        bool interrupted;
        {
            PositionRunStatus::FetchWatch watch(status);
            result = FetchLiveJson(LiveSearchAddress(instance, engine, encoded, page, true), body,
                                   detail);
            interrupted = result != kLiveOk && watch.Interrupted();
        }
        if (interrupted) {
            // Asked at once; No asks for the same page again.
            if (ConfirmEndRequest(status, engine, position)) {
                confirmed = true;
                return 0;
            }
            pauseFirst = page > 1;
            continue;
        }
        LivePage live;
        if (result == kLiveOk) {
            result = ParseLivePage(body, engine, live);
        }
        if (result != kLiveOk) {
            // A cancelled run abandons its fetch; that is no connection failure.
            if (!RunCancelled()) {
                status.LogError(WithPosition("Couldn't connect to " + engine, offset) + ": " +
                                LiveProblemText(result, instance, detail));
                FailSites(sites, LiveFailureReason(result, detail));
            }
            return 0;
        }
        if (!live.failure.empty()) {
            if (!askedAgain && live.failure.starts_with(kSuspendedPrefix)) {
                // The instance sets an engine aside for a while after an error; it is waited for
                // once, as long as the pause between pages, and asked again.
                askedAgain = true;
                status.LogInfo(engine + " is suspended by the instance (" + live.failure +
                               "): asking again in " + std::to_string(LivePagePause().count()) +
                               " ms");
                continue;
            }
            Fail(status, engine, offset, sites, live.failure);
            return 0;
        }
        if (live.hasQuery && CollapsedKeyword(live.query) != asked) {
            Fail(status, engine, offset, sites,
                 "the instance read the keyword as its query syntax and searched \"" + live.query +
                     "\"");
            return 0;
        }
        if (live.ranks.empty() && live.otherEngines) {
            Fail(status, engine, offset, sites, "the instance asked other engines than " + engine);
            return 0;
        }
        if (page == 1) {
            status.SetFoundText(live.total > 0 ? FormatCount(std::to_string(live.total))
                                               : std::string(kNoTotalInfo));
            status.LogInfo("Connected to " + engine);
            status.SetSearchRange(depth != 0 ? depth : live.total);
            status.SetProgress(0);
        }
        if (live.ranks.empty()) {
            return 0;
        }
        const std::string pageLink = LiveSearchAddress(instance, engine, encoded, page, false);
        for (const LivePage::Rank& item : live.ranks) {
            if (RunCancelled()) {
                return 0;
            }
            if (ConfirmEndRequest(status, engine, position)) {
                confirmed = true;
                return 0;
            }
            const std::int64_t absolute = offset + item.rank;
            if ((depth != 0 && absolute > depth) || absolute > INT32_MAX) {
                return 0;
            }
            position = static_cast<std::int32_t>(absolute);
            status.SetPosition(position);
            status.SetProgress(position);
            if (!item.url.empty() &&
                MatchResult(item.url, sites, position, pageLink, engine, status)) {
                return position;
            }
            if (depth != 0 && position == depth) {
                return 0;
            }
        }
        offset += live.highestRank;
        ++page;
    }
    return 0;
}

}  // namespace

void SetLivePagePause(std::chrono::milliseconds pause) {
    pagePauseMs.store(std::max<std::int64_t>(0, pause.count()));
}

std::chrono::milliseconds LivePagePause() {
    return std::chrono::milliseconds(pagePauseMs.load());
}

std::string LiveSearchAddress(std::string_view instance, std::string_view engine,
                              std::string_view encodedKeyword, int page, bool json) {
    std::string address(instance);
    address += "/search?q=";
    address += encodedKeyword;
    if (json) {
        // The reasons in "unresponsive_engines" are translated into the answer's locale; the
        // English ones are read.
        address += "&format=json&locale=en";
    }
    address += "&engines=";
    address += PercentEncode(engine);
    address += "&pageno=";
    address += std::to_string(page);
    return address;
}

std::string CollapsedKeyword(std::string_view keyword) {
    std::string collapsed;
    std::size_t i = 0;
    while (i < keyword.size()) {
        while (i < keyword.size() && IsBlank(keyword[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < keyword.size() && !IsBlank(keyword[i])) {
            ++i;
        }
        if (i > start) {
            if (!collapsed.empty()) {
                collapsed += ' ';
            }
            collapsed += keyword.substr(start, i - start);
        }
    }
    return collapsed;
}

int ParseLivePage(std::string_view pageJson, std::string_view engine, LivePage& live) {
    live = LivePage();
    // No exception leaves the parse: a malformed text is simply not JSON.
    const nlohmann::json page = nlohmann::json::parse(pageJson, nullptr, false);
    if (!page.is_object()) {
        return kLiveNotJson;
    }
    const auto results = page.find("results");
    if (results == page.end() || !results->is_array()) {
        return kLiveNotJson;
    }
    const auto count = page.find("number_of_results");
    if (count != page.end() && count->is_number()) {
        // Any number may stand there; one that is negative or too large for a count is none.
        const double value = count->get<double>();
        if (value >= 0 && value < 9.0e18) {
            live.total = static_cast<std::int64_t>(value);
        }
    }
    const auto query = page.find("query");
    if (query != page.end() && query->is_string()) {
        live.hasQuery = true;
        live.query = query->get<std::string>();
    }
    const auto unresponsive = page.find("unresponsive_engines");
    if (unresponsive != page.end() && unresponsive->is_array()) {
        for (const nlohmann::json& entry : *unresponsive) {
            if (entry.is_array() && !entry.empty() && entry[0].is_string() &&
                entry[0].get_ref<const std::string&>() == engine) {
                if (entry.size() > 1 && entry[1].is_string()) {
                    live.failure = entry[1].get<std::string>();
                }
                if (live.failure.empty()) {
                    live.failure = "no answer";
                }
            }
        }
    }
    std::int32_t listed = 0;
    for (const nlohmann::json& result : *results) {
        ++listed;
        std::string url;
        std::vector<std::int32_t> ranks;
        if (result.is_object()) {
            bool named = false;
            if (!IsEnginesResult(result, engine, named)) {
                live.otherEngines = live.otherEngines || named;
                continue;
            }
            const auto found = result.find("url");
            if (found != result.end() && found->is_string()) {
                url = found->get<std::string>();
            }
            const auto positions = result.find("positions");
            if (positions != result.end() && positions->is_array()) {
                for (const nlohmann::json& value : *positions) {
                    if (const std::int32_t rank = RankOf(value); rank != 0) {
                        ranks.push_back(rank);
                    }
                }
            }
        }
        if (ranks.empty()) {
            ranks.push_back(std::min(listed, kMaxLiveRank));
        }
        for (const std::int32_t rank : ranks) {
            live.ranks.push_back({rank, url});
            live.highestRank = std::max(live.highestRank, rank);
        }
    }
    std::stable_sort(
        live.ranks.begin(), live.ranks.end(),
        [](const LivePage::Rank& a, const LivePage::Rank& b) { return a.rank < b.rank; });
    return kLiveOk;
}

int SearchLiveEngine(const std::string& instance, const std::string& engine,
                     std::string_view keyword, std::vector<SitePosition>& sites, int depth,
                     PositionRunStatus& status) {
    std::int32_t position = 0;
    bool confirmed = false;
    const int found =
        SearchPages(instance, engine, keyword, sites, depth, status, position, confirmed);
    if (!confirmed) {
        SettleEndRequests(status, engine, position);
    }
    return found;
}

}  // namespace sg
