#pragma once
// What the engine emulator answers in the demo: for each demo keyword and engine, the result
// list with the two demo sites at their own positions (or absent), and the "link:" counts of
// both sites.

#include <array>
#include <string>
#include <string_view>

#include "engines/EngineId.h"

namespace sg {

class EngineEmulator;

inline constexpr int kDemoSiteCount = 2;
inline constexpr std::array<std::string_view, 3> kDemoKeywords = {
    "coffee beans",
    "espresso",
    "fresh roasted coffee",
};

// The live engines that the emulator's metasearch instance offers in the demo.
inline constexpr std::array<std::string_view, 2> kDemoLiveEngines = {"google", "bing"};

// The 1-based position of demo site `site` (0 or 1) for keyword `keyword` (an index of
// kDemoKeywords) on the engine; 0 when the engine does not list the site.
int DemoPosition(int keyword, EngineId engine, int site);
// The same for live engine `live` (an index of kDemoLiveEngines).
int DemoLivePosition(int keyword, int live, int site);
// The number of pages linking to the site that the engine's "link:" query answers.
int DemoLinkCount(EngineId engine, int site);

// Configures `emulator` for the sites whose project URLs are `siteUrls` (as stored, e.g.
// "127.0.0.1:41234/"): the result lists put each site's start page at its DemoPosition among
// made-up rival addresses, and the "link:" counts are DemoLinkCount; the emulator's
// metasearch instance offers kDemoLiveEngines with the sites at their DemoLivePosition.
void ConfigureDemoEngines(EngineEmulator& emulator,
                          const std::array<std::string, kDemoSiteCount>& siteUrls);

}  // namespace sg
