#include "html/UrlText.h"

#include <array>

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
constexpr char kHex[] = "0123456789ABCDEF";

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
    if (url.find("http:") != kNone || url.starts_with("https://")) {
        return std::string(url);
    }
    std::string out;
    out.reserve(kHttp.size() + url.size());
    out.append(kHttp);
    out.append(url);
    return out;
}

std::string PercentEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (kKept[b]) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0x0F]);
        }
    }
    return out;
}

}  // namespace sg
