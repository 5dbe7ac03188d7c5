#include "engines/FormatCount.h"

#include "html/TextUtil.h"

namespace sg {

std::string FormatCount(std::string_view text) {
    const std::string_view trimmed = TrimBlanksView(text);
    std::size_t kept = 0;
    for (char c : trimmed) {
        kept += (c != ',' && c != '.') ? 1 : 0;
    }
    std::string out;
    out.reserve(kept + kept / 3);
    std::size_t left = kept;
    for (char c : trimmed) {
        if (c == ',' || c == '.') {
            continue;
        }
        // A separator goes before every group of three counted from the right, but never
        // in front of the first character.
        if (left != kept && left % 3 == 0) {
            out += ',';
        }
        out += c;
        --left;
    }
    return out;
}

}  // namespace sg
