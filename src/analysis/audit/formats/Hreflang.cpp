#include "analysis/audit/formats/Hreflang.h"

#include <algorithm>
#include <string>

#include "analysis/audit/formats/IsoCodes.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

bool IsLetters(std::string_view text, std::size_t size) {
    return text.size() == size && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

bool InTable(std::string_view code, const char* const* begin, const char* const* end) {
    return std::any_of(begin, end, [code](const char* entry) { return EqualsNoCase(code, entry); });
}

}  // namespace

bool IsValidHreflang(std::string_view code) {
    if (EqualsNoCase(code, "x-default")) {
        return true;
    }
    // language[-Script][-REGION]: at most three parts.
    std::string_view parts[3];
    std::size_t count = 0;
    for (;;) {
        const std::size_t dash = code.find('-');
        if (count == 3) {
            return false;
        }
        parts[count++] = code.substr(0, dash);
        if (dash == std::string_view::npos) {
            break;
        }
        code.remove_prefix(dash + 1);
    }
    if (!IsLetters(parts[0], 2) ||
        !InTable(parts[0], std::begin(kIsoLanguages), std::end(kIsoLanguages))) {
        return false;
    }
    std::size_t next = 1;
    if (next < count && IsLetters(parts[next], 4)) {
        ++next;
    }
    if (next < count) {
        if (!IsLetters(parts[next], 2) ||
            !InTable(parts[next], std::begin(kIsoRegions), std::end(kIsoRegions))) {
            return false;
        }
        ++next;
    }
    return next == count;
}

}  // namespace sg
