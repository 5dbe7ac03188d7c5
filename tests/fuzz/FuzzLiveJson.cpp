// The metasearch instance's answers on any bytes: its /config engine list and its JSON result
// pages. Neither parse may throw or crash; a text that is not of the expected shape gives no
// names, no addresses and no total.

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

    std::vector<std::string> urls = {"left over"};
    std::int64_t total = -1;
    const int parsed = sg::ParseLiveResults(text, urls, total);
    SG_FUZZ_CHECK(parsed == sg::kLiveOk || parsed == sg::kLiveNotJson);
    SG_FUZZ_CHECK(total >= 0);
    SG_FUZZ_CHECK(parsed == sg::kLiveOk || (urls.empty() && total == 0));
    return 0;
}
