#include "html/DecodedPage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "html/PageCharset.h"

namespace sg {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Well-formed sequences kept, each byte that starts none replaced.
std::string RepairedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    while (!text.empty()) {
        const std::size_t valid = Utf8PrefixLength(text);
        out.append(text.substr(0, valid));
        if (valid < text.size()) {
            out.append(kReplacement);
            text.remove_prefix(valid + 1);
        } else {
            text = {};
        }
    }
    return out;
}

// Any other encoding through iconv; on a byte it cannot read, U+FFFD and on past one unit.
std::string IconvDecoded(const std::string& encoding, std::string_view text) {
    const iconv_t decoder = iconv_open("UTF-8", encoding.c_str());
    if (decoder == reinterpret_cast<iconv_t>(-1)) {
        return Utf8Text(text, PageCharset::Windows1252);
    }
    const std::size_t unit = encoding.starts_with("UTF-16") ? 2 : 1;
    std::string out(text.size() * 2 + 16, '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    for (;;) {
        if (out.size() - used < 16) {
            out.resize(out.size() * 2);
        }
        char* outAt = out.data() + used;
        std::size_t outLeft = out.size() - used;
        // With the input read, one more call returns a stateful encoding to its first state.
        const bool flushing = inLeft == 0;
        const std::size_t done = flushing ? iconv(decoder, nullptr, nullptr, &outAt, &outLeft)
                                          : iconv(decoder, &in, &inLeft, &outAt, &outLeft);
        used = static_cast<std::size_t>(outAt - out.data());
        if (done != static_cast<std::size_t>(-1) || (flushing && errno != E2BIG)) {
            if (flushing) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (out.size() - used < kReplacement.size()) {
            out.resize(out.size() * 2);
        }
        out.replace(used, kReplacement.size(), kReplacement);
        used += kReplacement.size();
        const std::size_t skip = std::min(unit, inLeft);
        in += skip;
        inLeft -= skip;
    }
    iconv_close(decoder);
    out.resize(used);
    return out;
}

}  // namespace

DecodedPage::DecodedPage(std::string_view page, std::string_view contentTypeLine)
    : encoding_(DecidePageEncoding(contentTypeLine, page)) {
    page.remove_prefix(encoding_.bomLength);
    if (encoding_.name == "UTF-8") {
        if (Utf8PrefixLength(page) == page.size()) {
            text_ = page;
            return;
        }
        decoded_ = RepairedUtf8(page);
    } else if (encoding_.name == "WINDOWS-1252") {
        decoded_ = Utf8Text(page, PageCharset::Windows1252);
    } else {
        decoded_ = IconvDecoded(encoding_.name, page);
    }
    text_ = decoded_;
}

}  // namespace sg
