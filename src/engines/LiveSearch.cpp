#include "engines/LiveSearch.h"

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

std::string WithPosition(std::string text, std::int64_t position) {
    text += " on position ";
    text += std::to_string(position);
    return text;
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

// SearchLiveEngine's pages; `position` counts the results read, `confirmed` tells a request
// confirmed on the way.
int SearchPages(const std::string& instance, const std::string& engine,
                std::string_view encodedKeyword, std::vector<SitePosition>& sites, int depth,
                PositionRunStatus& status, std::int32_t& position, bool& confirmed) {
    for (int page = 1; page <= kMaxLivePages; ++page) {
        if (page > 1) {
            PauseBetweenPages(status);
            if (ConfirmEndRequest(status, engine, position)) {
                confirmed = true;
                return 0;
            }
        }
        if (RunCancelled()) {
            return 0;
        }
        std::string body;
        std::string detail;
        int result;
        bool interrupted;
        {
            PositionRunStatus::FetchWatch watch(status);
            result = FetchLiveJson(LiveSearchAddress(instance, engine, encodedKeyword, page, true),
                                   body, detail);
            interrupted = result != kLiveOk && watch.Interrupted();
        }
        if (interrupted) {
            // Asked at once; No asks for the same page again.
            if (ConfirmEndRequest(status, engine, position)) {
                confirmed = true;
                return 0;
            }
            --page;
            continue;
        }
        std::vector<std::string> urls;
        std::int64_t total = 0;
        if (result == kLiveOk) {
            result = ParseLiveResults(body, urls, total);
        }
        if (result != kLiveOk) {
            // A cancelled run abandons its fetch; that is no connection failure.
            if (!RunCancelled()) {
                status.LogError(WithPosition("Couldn't connect to " + engine, position) + ": " +
                                LiveProblemText(result, instance, detail));
            }
            return 0;
        }
        if (page == 1) {
            status.SetFoundText(total > 0 ? FormatCount(std::to_string(total))
                                          : std::string(kNoTotalInfo));
            status.LogInfo("Connected to " + engine);
            status.SetSearchRange(depth != 0 ? depth : total);
            status.SetProgress(0);
        }
        if (urls.empty()) {
            return 0;
        }
        const std::string pageLink =
            LiveSearchAddress(instance, engine, encodedKeyword, page, false);
        for (const std::string& url : urls) {
            if (RunCancelled()) {
                return 0;
            }
            if (ConfirmEndRequest(status, engine, position)) {
                confirmed = true;
                return 0;
            }
            ++position;
            status.SetPosition(position);
            status.SetProgress(position);
            if (!url.empty() && MatchResult(url, sites, position, pageLink, engine, status)) {
                return position;
            }
            if (depth != 0 && position == depth) {
                return 0;
            }
        }
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
        address += "&format=json";
    }
    address += "&engines=";
    address += PercentEncode(engine);
    address += "&pageno=";
    address += std::to_string(page);
    return address;
}

int ParseLiveResults(std::string_view pageJson, std::vector<std::string>& urls,
                     std::int64_t& total) {
    urls.clear();
    total = 0;
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
            total = static_cast<std::int64_t>(value);
        }
    }
    for (const nlohmann::json& result : *results) {
        std::string url;
        if (result.is_object()) {
            const auto found = result.find("url");
            if (found != result.end() && found->is_string()) {
                url = found->get<std::string>();
            }
        }
        urls.push_back(std::move(url));
    }
    return kLiveOk;
}

int SearchLiveEngine(const std::string& instance, const std::string& engine,
                     std::string_view encodedKeyword, std::vector<SitePosition>& sites, int depth,
                     PositionRunStatus& status) {
    std::int32_t position = 0;
    bool confirmed = false;
    const int found =
        SearchPages(instance, engine, encodedKeyword, sites, depth, status, position, confirmed);
    if (!confirmed) {
        SettleEndRequests(status, engine, position);
    }
    return found;
}

}  // namespace sg
