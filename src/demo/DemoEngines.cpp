#include "demo/DemoEngines.h"

#include <algorithm>
#include <vector>

#include "demo/EngineEmulator.h"
#include "engines/LinkCountsForSite.h"

namespace sg {
namespace {

// [keyword][engine] = {own site, rival site}. Chosen so that the report shows a bit of
// everything: first places, positions on later result pages, and engines that list only one
// of the two sites.
constexpr int kPositions[kDemoKeywords.size()][kEngineCount][kDemoSiteCount] = {
    // coffee beans
    {{3, 8}, {5, 2}, {12, 0}, {1, 4}, {7, 15}, {0, 6}, {9, 3}, {2, 0}, {14, 11}, {6, 22}, {4, 9}},
    // espresso
    {{11, 5}, {18, 7}, {0, 3}, {9, 1}, {25, 0}, {4, 13}, {0, 0}, {6, 2}, {31, 12}, {0, 8}, {16, 5}},
    // fresh roasted coffee
    {{1, 0}, {2, 9}, {3, 0}, {1, 17}, {4, 0}, {2, 21}, {1, 0}, {5, 0}, {3, 30}, {2, 0}, {1, 14}},
};

// [keyword][live engine] = {own site, rival site}; one keyword finds the own site on the second
// result page only.
constexpr int kLivePositions[kDemoKeywords.size()][kDemoLiveEngines.size()][kDemoSiteCount] = {
    {{2, 6}, {4, 1}},
    {{13, 3}, {0, 5}},
    {{1, 9}, {3, 0}},
};

// [engine][site]; Overture and AskJeeves have no "link:" count.
constexpr int kLinkCounts[kEngineCount][kDemoSiteCount] = {
    {1240, 860},  {2310, 1975}, {815, 902}, {1104, 640}, {377, 512},  {95, 48},
    {1630, 1208}, {0, 0},       {288, 301}, {0, 0},      {1470, 990},
};

// Made-up rival sites that fill the result lists around the demo sites (the ".example" names
// can never belong to anyone).
constexpr std::string_view kRivals[] = {
    "http://www.coffeereview.example/",      "http://www.beanhunters.example/",
    "http://www.roastmasters.example/shop/", "http://www.espressoparts.example/",
    "http://www.morningcup.example/",        "http://www.greenbeans.example/buy/",
    "http://www.baristaguide.example/",      "http://www.cafelist.example/beans.html",
    "http://www.homeroaster.example/",       "http://www.brewbetter.example/guides/",
    "http://www.worldofcoffee.example/",     "http://www.coffeeforum.example/topics/",
    "http://www.cuppingnotes.example/",      "http://www.crema.example/",
    "http://www.singleorigin.example/",      "http://www.thegrind.example/",
};

std::string Rival(int index) {
    constexpr int kCount = static_cast<int>(std::size(kRivals));
    std::string address(kRivals[index % kCount]);
    if (index >= kCount) {
        address += "page" + std::to_string(index / kCount) + ".html";
    }
    return address;
}

// Rivals from `mix` on, a few after the last demo site, with each demo site at its position.
std::vector<std::string> ResultList(const int (&positions)[kDemoSiteCount], int mix,
                                    const std::array<std::string, kDemoSiteCount>& siteUrls) {
    const int deepest = *std::max_element(std::begin(positions), std::end(positions));
    const int count = std::max(20, deepest + 6);
    std::vector<std::string> results;
    results.reserve(count);
    for (int i = 0; i < count; ++i) {
        results.push_back(Rival(i + mix));
    }
    for (int site = 0; site < kDemoSiteCount; ++site) {
        if (positions[site] > 0) {
            results[positions[site] - 1] = "http://" + siteUrls[site];
        }
    }
    return results;
}

}  // namespace

int DemoPosition(int keyword, EngineId engine, int site) {
    return kPositions[keyword][EngineIndex(engine)][site];
}

int DemoLivePosition(int keyword, int live, int site) {
    return kLivePositions[keyword][live][site];
}

int DemoLinkCount(EngineId engine, int site) {
    return kLinkCounts[EngineIndex(engine)][site];
}

void ConfigureDemoEngines(EngineEmulator& emulator,
                          const std::array<std::string, kDemoSiteCount>& siteUrls) {
    for (int keyword = 0; keyword < static_cast<int>(kDemoKeywords.size()); ++keyword) {
        for (EngineId engine : kAllEngines) {
            const int positions[kDemoSiteCount] = {DemoPosition(keyword, engine, 0),
                                                   DemoPosition(keyword, engine, 1)};
            emulator.SetResults(
                engine, kDemoKeywords[keyword],
                ResultList(positions, EngineIndex(engine) * 3 + keyword * 5, siteUrls));
            // Engines that read their "Next" mark stop after the first item of a page without
            // one, so the last page of a list keeps it too: every position in the list counts.
            emulator.SetNextMark(engine, kDemoKeywords[keyword], NextMark::Always);
        }
        for (int live = 0; live < static_cast<int>(kDemoLiveEngines.size()); ++live) {
            const int positions[kDemoSiteCount] = {DemoLivePosition(keyword, live, 0),
                                                   DemoLivePosition(keyword, live, 1)};
            emulator.Metasearch().SetResults(
                std::string(kDemoLiveEngines[live]), kDemoKeywords[keyword],
                ResultList(positions, live * 7 + keyword * 5 + 2, siteUrls));
        }
    }
    // As a real instance does, results with a picture are listed after the others: the first
    // live engine's first ranks carry one, so its list order is not its rank order.
    emulator.Metasearch().SetThumbnailRanks(std::string(kDemoLiveEngines[0]), {1, 2, 11});
    for (EngineId engine : kLinkCountEngines) {
        for (int site = 0; site < kDemoSiteCount; ++site) {
            int count = DemoLinkCount(engine, site);
            // AOL states pages of ten results, which the program multiplies by ten.
            if (engine == EngineId::AOL) {
                count /= 10;
            }
            emulator.SetLinkCount(engine, siteUrls[site], std::to_string(count));
        }
    }
}

}  // namespace sg
