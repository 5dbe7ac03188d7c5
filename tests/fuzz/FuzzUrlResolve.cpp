// RFC 3986 resolution: a base (the first line) and a reference (the rest) of any bytes resolve
// without a crash, and every address resolved parses again to itself, with the same keys.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "html/Url.h"
#include "platform/Ansi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string base(lineEnd == std::string_view::npos ? std::string_view("host/a/b.html")
                                                             : input.substr(0, lineEnd));
    const std::string reference(lineEnd == std::string_view::npos ? input
                                                                  : input.substr(lineEnd + 1));
    const std::optional<sg::Url> resolved = sg::UrlResolver(base).Resolve(reference);
    if (!resolved) {
        return 0;
    }
    const std::optional<sg::Url> again = sg::Url::Parse(resolved->Text());
    if (resolved->IsFollowed()) {
        SG_FUZZ_CHECK(again.has_value());
        SG_FUZZ_CHECK(again->Text() == resolved->Text());
        SG_FUZZ_CHECK(again->CompareKey() == resolved->CompareKey());
        SG_FUZZ_CHECK(again->IsFollowed());
        // Resolving the address against anything gives the address itself.
        // The program's own form ("host/x", whose path may hold "://") gets its scheme back.
        const std::string& text = resolved->Text();
        const std::string scheme(resolved->Scheme());
        const bool ownForm = !sg::StartsWithNoCase(text, scheme + "://");
        const std::optional<sg::Url> absolute =
            sg::UrlResolver("other/x").Resolve(ownForm ? "http://" + text : text);
        SG_FUZZ_CHECK(absolute.has_value());
        SG_FUZZ_CHECK(absolute->CompareKey() == resolved->CompareKey());
    }
    return 0;
}
