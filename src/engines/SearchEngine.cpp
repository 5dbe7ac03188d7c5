#include "engines/SearchEngine.h"

#include <string>

#include "engines/EndRequests.h"
#include "engines/EngineCatalogue.h"
#include "engines/EngineRequest.h"
#include "engines/FormatCount.h"
#include "engines/MatchResult.h"
#include "engines/ResultMarkers.h"
#include "engines/ScraperRules.h"
#include "engines/SearchUrl.h"
#include "engines/TotalRules.h"
#include "net/CWebClient.h"
#include "net/RequestLanguage.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

std::string WithPosition(std::string text, std::int64_t position) {
    text += " on position ";
    text += std::to_string(position);
    return text;
}

// The first page's total, the found text and the search range.
void TakeTotal(EngineId id, std::string_view page, int depth, EngineSearch& search,
               PositionRunStatus& status) {
    search.total = EngineTotal(id, page);
    status.SetFoundText(HasFixedTotal(id) ? std::string(kNoTotalInfo)
                                          : FormatCount(std::to_string(search.total)));
    status.LogInfo("Connected to " + std::string(EngineNames(id).logName));
    const std::int64_t range = (depth != 0 && depth < search.total) ? depth : search.total;
    status.SetSearchRange(range);
    status.SetProgress(0);
}

}  // namespace

int SearchEngine(EngineId id, std::string_view encodedKeyword, std::vector<SitePosition>& sites,
                 int depth, PositionRunStatus& status) {
    EngineSearch search;
    search.language = RequestLanguageCode();
    int start = 0;
    int result = ScanResultPage(id, encodedKeyword, sites, start, depth, search, status);
    while (result == kNextResultPage || result == kInterruptedPage) {
        if (result == kInterruptedPage) {
            // Asked at once; No fetches the same page again.
            if (ConfirmEndRequest(status, EngineNames(id).logName, search.reached)) {
                return 0;
            }
        } else {
            start += PageStep(id);
        }
        result = ScanResultPage(id, encodedKeyword, sites, start, depth, search, status);
    }
    if (!search.requestConfirmed) {
        SettleEndRequests(status, EngineNames(id).logName, search.reached);
    }
    return result;
}

int ScanResultPage(EngineId id, std::string_view encodedKeyword, std::vector<SitePosition>& sites,
                   int start, int depth, EngineSearch& search, PositionRunStatus& status) {
    const EngineNameSet& names = EngineNames(id);
    const std::string address =
        SearchUrl(search.hosts, id, encodedKeyword, start, search.next, search.language);
    if (start == 0) {
        search.total = 0;
    }

    std::string page;
    std::string problem;
    int fetched;
    {
        PositionRunStatus::FetchWatch watch(status);
        fetched = FetchEnginePage(id, EnginePurpose::KeywordSearch, address, page, &problem);
        if (fetched != CWebClient::kFetchOk && watch.Interrupted()) {
            return kInterruptedPage;
        }
    }
    if (fetched != CWebClient::kFetchOk) {
        // A cancelled run abandons its fetch; that is no connection failure.
        if (!RunCancelled()) {
            std::string line =
                WithPosition("Couldn't connect to " + std::string(names.logName), start);
            if (!problem.empty()) {
                line += " (" + problem + ")";
            }
            status.LogError(line);
        }
        return 0;
    }
    status.SetEngineLabel(std::string(names.statusLabel));
    // Both are read on the whole page before any item is consumed.
    const bool hasNextPage = PageHasNextPage(id, page);
    const std::string nextCandidate =
        HasNextPageAddress(id) ? NextPageAddress(id, page, search.hosts) : std::string();
    if (start == 0) {
        TakeTotal(id, page, depth, search, status);
    }

    const ResultMarkers& markers = EngineResultMarkers(id);
    std::string_view rest(page);
    std::size_t item = rest.find(markers.item);
    if (item == kNone) {
        return 0;
    }
    const std::string pageLink = ResultPageLink(id, address);
    std::int32_t position = start;
    int count = 0;
    for (;;) {
        if (RunCancelled()) {
            return 0;
        }
        if (ConfirmEndRequest(status, names.logName, static_cast<std::int64_t>(start) + count)) {
            search.requestConfirmed = true;
            return 0;
        }

        rest.remove_prefix(item + markers.item.size());
        ++position;
        search.reached = position;
        bool compare = true;
        if (!markers.addressStart.empty()) {
            const std::size_t at = rest.find(markers.addressStart);
            if (at != kNone) {
                rest.remove_prefix(at + markers.addressStart.size());
            } else if (!KeepsItemWithoutAddressStart(id)) {
                compare = false;
            }
        }
        if (compare) {
            const std::size_t end = rest.find(markers.addressEnd);
            if (end != kNone) {
                status.SetPosition(position);
                status.SetProgress(position);
                if (MatchResult(rest.substr(0, end), sites, position, pageLink, names.logName,
                                status)) {
                    return position;
                }
            }
        }
        if (depth != 0 && position == depth) {
            return 0;
        }
        item = rest.find(markers.item);
        ++count;
        if (item == kNone) {
            break;
        }
    }

    // Only the engines with a last-page test can find their page to be the last. Its items
    // are all read first: ending at the first one would miss a site ranked further down the
    // last page.
    if (!hasNextPage) {
        return 0;
    }
    if (WantsNextPage(id, start, count, search.total, nextCandidate)) {
        if (HasNextPageAddress(id)) {
            search.next = nextCandidate;
        }
        return kNextResultPage;
    }
    return 0;
}

}  // namespace sg
