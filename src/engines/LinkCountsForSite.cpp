#include "engines/LinkCountsForSite.h"

#include "engines/EngineHosts.h"
#include "engines/EngineRequest.h"
#include "engines/FormatCount.h"
#include "engines/LinkCountRules.h"
#include "engines/LinkCountUrl.h"
#include "net/CWebClient.h"

namespace sg {

void LinkCountsForSite(std::string_view site, std::vector<std::string>& list) {
    // Every address is made before the first query, on one view of the hosts.
    const EngineHosts hosts = CurrentEngineHosts();
    std::array<std::string, kLinkCountEngines.size()> addresses;
    for (std::size_t k = 0; k < kLinkCountEngines.size(); ++k) {
        addresses[k] = LinkCountUrl(hosts, kLinkCountEngines[k], site);
    }
    list.reserve(list.size() + 2 * kLinkCountEngines.size());
    std::string page;
    for (std::size_t k = 0; k < kLinkCountEngines.size(); ++k) {
        const EngineId id = kLinkCountEngines[k];
        std::string count;
        if (FetchEnginePage(id, EnginePurpose::LinkCount, addresses[k], page) ==
            CWebClient::kFetchOk) {
            count = FormatCount(LinkCountText(id, page));
        }
        list.push_back(count.empty() ? "0" : count);
        list.push_back(addresses[k]);
    }
}

}  // namespace sg
