#pragma once
// Link authority in the demo: a small Common Crawl domain ranks file (the published format,
// gzip-compressed) and the engine emulator's Open PageRank stand-in, both ranking the two demo
// sites under made-up domains, so that the "Link authority today" table and its history show
// offline.

#include <array>
#include <string>
#include <string_view>

#include "demo/DemoEngines.h"
#include "model/LinkAuthoritySettings.h"

namespace sg {

class EngineEmulator;

// The domains the demo sites are looked up by, own site first.
inline constexpr std::array<std::string_view, kDemoSiteCount> kDemoDomains = {
    "roastery-demo.com", "rival-beans-demo.com"};
inline constexpr const char* kDemoOprKey = "demo-key";

// Writes the ranks file at `ranksPath`, gives the emulator's stand-in the demo key and scores,
// and fills `settings` to use both for the sites at `siteUrls`. False when the file could not
// be written or `ranksPath` is empty (the settings then name no ranks file).
bool ConfigureDemoAuthority(EngineEmulator& emulator,
                            const std::array<std::string, kDemoSiteCount>& siteUrls,
                            const std::string& ranksPath, LinkAuthoritySettings& settings);

}  // namespace sg
