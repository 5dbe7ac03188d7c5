// The metasearch instance's answers on any bytes: its /config engine list and its JSON result
// pages. Neither parse may throw or crash; a text that is not of the expected shape gives no
// names, no ranks, no total and no failure; ranks are always in order and within bounds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "engines/LiveEngineList.h"
#include "engines/LiveFetch.h"
#include "engines/LiveSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> names = {"left over"};
    const int listed = sg::ParseLiveEngineList(text, names);
    SG_FUZZ_CHECK(listed == sg::kLiveOk || listed == sg::kLiveNotJson);
    SG_FUZZ_CHECK(listed == sg::kLiveOk || names.empty());
    for (const std::string& name : names) {
        SG_FUZZ_CHECK(!name.empty());
    }

    sg::LivePage page;
    page.total = -1;
    page.failure = "left over";
    const int parsed = sg::ParseLivePage(text, "google", page);
    SG_FUZZ_CHECK(parsed == sg::kLiveOk || parsed == sg::kLiveNotJson);
    SG_FUZZ_CHECK(page.total >= 0);
    SG_FUZZ_CHECK(parsed == sg::kLiveOk ||
                  (page.ranks.empty() && page.total == 0 && page.failure.empty()));
    // Every rank is a real one, in order, and the highest is the last.
    std::int32_t previous = 0;
    for (const sg::LivePage::Rank& rank : page.ranks) {
        SG_FUZZ_CHECK(rank.rank >= 1 && rank.rank <= sg::kMaxLiveRank && rank.rank >= previous);
        previous = rank.rank;
    }
    SG_FUZZ_CHECK(page.highestRank == previous);
    return 0;
}
