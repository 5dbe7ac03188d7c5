#include "html/UrlText.h"

#include <array>

#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kHttp = "http://";

constexpr std::array<bool, 256> MakeKeptTable() {
    std::array<bool, 256> kept{};
    for (int b = 33; b <= 122; ++b) {
        kept[b] = true;
    }
    for (char c : std::string_view("\"<>%\\^[]`+$,@:;/!#?=&")) {
        kept[static_cast<unsigned char>(c)] = false;
    }
    return kept;
}

constexpr std::array<bool, 256> kKept = MakeKeptTable();

}  // namespace

std::string StripFragment(std::string_view url) {
    return std::string(url.substr(0, url.find('#')));
}

std::string StripPort(std::string_view url) {
    for (std::size_t colon = url.find(':'); colon != kNone; colon = url.find(':', colon + 1)) {
        if (colon + 1 >= url.size()) {
            break;
        }
        const char next = url[colon + 1];
        if (next >= '0' && next <= '9') {
            const std::size_t slash = url.find('/', colon);
            std::string out(url.substr(0, colon));
            if (slash != kNone) {
                out.append(url.substr(slash));
            }
            return out;
        }
    }
    return std::string(url);
}

std::string StripHttpPrefix(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    std::size_t from = 0;
    for (std::size_t at = url.find(kHttp); at != kNone; at = url.find(kHttp, from)) {
        out.append(url.substr(from, at - from));
        from = at + kHttp.size();
    }
    out.append(url.substr(from));
    return out;
}

std::string EnsureHttpPrefix(std::string_view url) {
    if (url.find("http:") != kNone || EqualsNoCase(url.substr(0, 8), "https://")) {
        return std::string(url);
    }
    std::string out;
    out.reserve(kHttp.size() + url.size());
    out.append(kHttp);
    out.append(url);
    return out;
}

namespace {

std::string_view HostPart(std::string_view url) {
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (StartsWithNoCase(url, scheme)) {
            url.remove_prefix(scheme.size());
            break;
        }
    }
    // An address in the crawl's text form has its authority end at the first of these.
    return url.substr(0, url.find_first_of("/?#"));
}

}  // namespace

bool SameHost(std::string_view a, std::string_view b) {
    return EqualsNoCase(HostPart(a), HostPart(b));
}

std::string PercentEncode(std::string_view text) {
    return PercentEncodeWhere(
        text, [](std::size_t, char c) { return !kKept[static_cast<unsigned char>(c)]; });
}

}  // namespace sg
