#include "model/ShortName.h"

namespace sg {
namespace {

// Appends `text` with every non-overlapping occurrence of `pattern` left out, scanning left to
// right once (what the removal leaves behind is not scanned again).
void AppendWithout(std::string_view text, std::string_view pattern, std::string& out) {
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = text.find(pattern, pos);
        if (hit == std::string_view::npos) {
            out.append(text.substr(pos));
            return;
        }
        out.append(text.substr(pos, hit - pos));
        pos = hit + pattern.size();
    }
}

}  // namespace

std::string ShortName(std::string_view text) {
    std::string noSecure;
    noSecure.reserve(text.size());
    AppendWithout(text, "https://", noSecure);
    std::string noScheme;
    noScheme.reserve(text.size());
    AppendWithout(noSecure, "http://", noScheme);

    std::string noWww;
    noWww.reserve(noScheme.size());
    AppendWithout(noScheme, "www.", noWww);

    std::string_view stem(noWww);
    stem = stem.substr(0, stem.find('.'));

    std::string out;
    out.reserve(stem.size());
    for (char c : stem) {
        if (c != ':' && c != '/') {
            out += c;
        }
    }
    return out;
}

}  // namespace sg
