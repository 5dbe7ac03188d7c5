#include "demo/DemoAuthority.h"

#include <zlib.h>

#include "demo/EngineEmulator.h"

namespace sg {
namespace {

// Two sites among a few others, out of rank order as they are in no real file's first lines.
constexpr std::string_view kRanksText =
    "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n"
    "1\t3.2294018E7\t3\t0.0051727\tcom.facebook-demo\t14452\n"
    "2\t3.1005432E7\t1\t0.0071320\tcom.search-demo\t9921\n"
    "48213\t1.7421230E7\t61877\t1.2034E-7\tcom.rival-beans-demo\t3\n"
    "182604\t1.5983311E7\t240155\t3.1207E-8\tcom.roastery-demo\t2\n"
    "182605\t1.5983302E7\t90311\t5.0112E-8\tcom.other-roaster-demo\t1\n";

bool WriteRanksFile(const std::string& path) {
    gzFile file = gzopen(path.c_str(), "wb6");
    if (file == nullptr) {
        return false;
    }
    const bool written =
        gzwrite(file, kRanksText.data(), static_cast<unsigned>(kRanksText.size())) ==
        static_cast<int>(kRanksText.size());
    return gzclose(file) == Z_OK && written;
}

}  // namespace

bool ConfigureDemoAuthority(EngineEmulator& emulator,
                            const std::array<std::string, kDemoSiteCount>& siteUrls,
                            const std::string& ranksPath, LinkAuthoritySettings& settings) {
    OpenPageRankEmulator& service = emulator.OpenPageRank();
    service.SetKey(kDemoOprKey);
    service.SetScore(std::string(kDemoDomains[0]), 3.62, 1893420);
    service.SetScore(std::string(kDemoDomains[1]), 4.17, 702311);
    settings.oprKey = kDemoOprKey;
    settings.oprUrl = emulator.OpenPageRankAddress();
    settings.domainOf.clear();
    for (int site = 0; site < kDemoSiteCount; ++site) {
        settings.domainOf[siteUrls[site]] = std::string(kDemoDomains[site]);
    }
    const bool written = !ranksPath.empty() && WriteRanksFile(ranksPath);
    settings.ranksFile = written ? ranksPath : std::string();
    return written;
}

}  // namespace sg
