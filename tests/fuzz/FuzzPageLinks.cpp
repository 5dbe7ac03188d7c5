// The links of a page: any bytes parse without a crash, each list holds distinct, non-empty,
// followed addresses, and every address found parses again to itself. The first line of the
// input is the page's address, the rest the page.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "html/PageLinks.h"
#include "html/Url.h"

namespace {

constexpr std::size_t kMaxUrl = 256;

void CheckList(const std::vector<std::string>& list) {
    std::set<std::string> seen;
    for (const std::string& link : list) {
        SG_FUZZ_CHECK(!link.empty());
        SG_FUZZ_CHECK(seen.insert(link).second);
        const std::optional<sg::Url> again = sg::Url::Parse(link);
        SG_FUZZ_CHECK(again.has_value());
        SG_FUZZ_CHECK(again->Text() == link);
        SG_FUZZ_CHECK(again->IsFollowed());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.substr(0, kMaxUrl).find('\n');
    const bool hasUrl = lineEnd != std::string_view::npos;
    const std::string url(hasUrl ? input.substr(0, lineEnd) : std::string_view("host/dir/p.html"));
    const std::string page(hasUrl ? input.substr(lineEnd + 1) : input);
    std::vector<std::string> frames, links, resources;
    sg::ExtractPageLinks(page, url, frames, links, resources);
    CheckList(frames);
    CheckList(links);
    CheckList(resources);
    return 0;
}
