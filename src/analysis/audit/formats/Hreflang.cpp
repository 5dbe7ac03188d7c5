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

bool IsDigits(std::string_view text, std::size_t size) {
    return text.size() == size &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// language[-Script][-REGION], the language and region as `wide` allows; `wide` (a page's lang)
// also takes a three-letter language (ISO 639-2 and 639-3) and the further subtags of BCP 47
// (variants, extensions, private use: 1 to 8 letters or digits each).
bool IsLanguageRegion(std::string_view code, bool wide) {
    constexpr std::size_t kMostParts = 8;
    std::string_view parts[kMostParts];
    std::size_t count = 0;
    for (;;) {
        const std::size_t dash = code.find('-');
        if (count == (wide ? kMostParts : 3)) {
            return false;
        }
        parts[count++] = code.substr(0, dash);
        if (dash == std::string_view::npos) {
            break;
        }
        code.remove_prefix(dash + 1);
    }
    const bool two = IsLetters(parts[0], 2) &&
                     InTable(parts[0], std::begin(kIsoLanguages), std::end(kIsoLanguages));
    const bool three = wide && IsLetters(parts[0], 3) &&
                       InTable(parts[0], std::begin(kIsoLanguages3), std::end(kIsoLanguages3));
    if (!two && !three) {
        return false;
    }
    std::size_t next = 1;
    if (next < count && IsLetters(parts[next], 4)) {
        ++next;
    }
    if (next < count && (IsLetters(parts[next], 2) || IsDigits(parts[next], 3))) {
        const bool region = IsLetters(parts[next], 2) &&
                            InTable(parts[next], std::begin(kIsoRegions), std::end(kIsoRegions));
        if (!region && !(wide && IsDigits(parts[next], 3))) {
            return false;
        }
        ++next;
    }
    for (; wide && next < count; ++next) {
        const std::string_view part = parts[next];
        if (part.empty() || part.size() > 8 || !std::all_of(part.begin(), part.end(), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            })) {
            return false;
        }
    }
    return next == count;
}

}  // namespace

bool IsValidHreflang(std::string_view code) {
    return EqualsNoCase(code, "x-default") || IsLanguageRegion(code, false);
}

bool IsValidLanguageTag(std::string_view code) {
    return IsLanguageRegion(code, true);
}

}  // namespace sg
