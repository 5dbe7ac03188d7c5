#include "engines/LinkCountsForSite.h"

#include <array>
#include <map>
#include <thread>
#include <vector>

#include "engines/EngineHosts.h"
#include "engines/EngineRequest.h"
#include "engines/FormatCount.h"
#include "engines/LinkCountRules.h"
#include "engines/LinkCountUrl.h"
#include "model/ProgressSink.h"
#include "net/CWebClient.h"
#include "net/FetchAhead.h"
#include "net/WebSession.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

constexpr std::size_t kEngines = kLinkCountEngines.size();

struct CountPage {
    int result = 0;
    std::string page;
    // A TLS failure's line, logged on the run's own thread.
    std::string problem;
};

// Every engine's page for the site. With more than one connection allowed, the engine hosts are
// asked at once, each host one query at a time (the demo and the tests give several engines one
// host); the answers are those of one query after the other.
std::array<CountPage, kEngines> FetchCountPages(
    const std::array<std::string, kEngines>& addresses) {
    std::array<CountPage, kEngines> pages;
    auto fetch = [&](std::size_t k) {
        CountPage& page = pages[k];
        page.result = FetchEnginePage(kLinkCountEngines[k], EnginePurpose::LinkCount, addresses[k],
                                      page.page, &page.problem);
    };
    if (ConnectionsPerHost() <= 1) {
        for (std::size_t k = 0; k < kEngines; ++k) {
            fetch(k);
        }
    } else {
        std::map<std::string, std::vector<std::size_t>> byHost;
        for (std::size_t k = 0; k < kEngines; ++k) {
            byHost[FetchAhead::HostKey(addresses[k])].push_back(k);
        }
        RunControl& control = RunControl::Current();
        const std::shared_ptr<WebSession> session = WebSession::Current();
        std::vector<std::thread> hosts;
        for (const auto& entry : byHost) {
            // A named reference, as clang 14 cannot capture a structured binding.
            const std::vector<std::size_t>& engines = entry.second;
            hosts.emplace_back([&control, &session, &fetch, &engines] {
                RunControl::Scope scope(control);
                const WebSession::Scope connections(session);
                for (std::size_t k : engines) {
                    fetch(k);
                }
            });
        }
        for (std::thread& thread : hosts) {
            thread.join();
        }
    }
    for (const CountPage& page : pages) {
        if (!page.problem.empty()) {
            LogProgressLine(page.problem);
        }
    }
    return pages;
}

}  // namespace

void LinkCountsForSite(std::string_view site, std::vector<std::string>& list) {
    // Every address is made before the first query, on one view of the hosts.
    const EngineHosts hosts = CurrentEngineHosts();
    std::array<std::string, kLinkCountEngines.size()> addresses;
    for (std::size_t k = 0; k < kLinkCountEngines.size(); ++k) {
        addresses[k] = LinkCountUrl(hosts, kLinkCountEngines[k], site);
    }
    list.reserve(list.size() + 2 * kLinkCountEngines.size());
    const std::array<CountPage, kEngines> pages = FetchCountPages(addresses);
    for (std::size_t k = 0; k < kLinkCountEngines.size(); ++k) {
        const EngineId id = kLinkCountEngines[k];
        std::string count;
        if (pages[k].result == CWebClient::kFetchOk) {
            count = FormatCount(LinkCountText(id, pages[k].page));
        }
        list.push_back(count.empty() ? "0" : count);
        list.push_back(addresses[k]);
    }
}

}  // namespace sg
