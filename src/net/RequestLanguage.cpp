#include "net/RequestLanguage.h"

#include <algorithm>
#include <array>

#include "platform/UserLanguage.h"

namespace sg {
namespace {

struct LanguageEntry {
    std::uint16_t id;
    const char* code;
};

// Sorted by identifier for the binary search.
constexpr std::array<LanguageEntry, 134> kLanguages = {{
    {0x0401, "ar"}, {0x0402, "bg"}, {0x0403, "ca"}, {0x0404, "zh"}, {0x0405, "cs"}, {0x0406, "da"},
    {0x0407, "de"}, {0x0408, "el"}, {0x0409, "en"}, {0x040a, "es"}, {0x040b, "fi"}, {0x040c, "fr"},
    {0x040d, "he"}, {0x040e, "hu"}, {0x040f, "is"}, {0x0410, "it"}, {0x0411, "ja"}, {0x0412, "ko"},
    {0x0413, "nl"}, {0x0414, "no"}, {0x0415, "pl"}, {0x0416, "pt"}, {0x0418, "ro"}, {0x0419, "ru"},
    {0x041a, "hr"}, {0x041b, "sk"}, {0x041c, "sq"}, {0x041d, "sv"}, {0x041e, "th"}, {0x041f, "tr"},
    {0x0420, "ur"}, {0x0421, "id"}, {0x0422, "uk"}, {0x0423, "be"}, {0x0424, "sl"}, {0x0425, "et"},
    {0x0426, "lv"}, {0x0427, "lt"}, {0x042a, "vi"}, {0x042c, "az"}, {0x042d, "eu"}, {0x042f, "mk"},
    {0x0436, "af"}, {0x0437, "ka"}, {0x0438, "fo"}, {0x0439, "hi"}, {0x043e, "ms"}, {0x0440, "ky"},
    {0x0441, "sw"}, {0x0443, "uz"}, {0x0444, "tt"}, {0x0446, "pa"}, {0x0447, "gu"}, {0x0449, "ta"},
    {0x044a, "te"}, {0x044b, "kn"}, {0x044e, "mr"}, {0x044f, "sa"}, {0x0450, "mn"}, {0x0455, "my"},
    {0x0456, "gl"}, {0x0465, "dv"}, {0x0801, "ar"}, {0x0804, "zh"}, {0x0807, "de"}, {0x0809, "en"},
    {0x080a, "es"}, {0x080c, "fr"}, {0x0810, "it"}, {0x0812, "ko"}, {0x0813, "nl"}, {0x0814, "no"},
    {0x0816, "pt"}, {0x081a, "sr"}, {0x081d, "sv"}, {0x0820, "ur"}, {0x0827, "lt"}, {0x082c, "az"},
    {0x083e, "ms"}, {0x0843, "uz"}, {0x0c01, "ar"}, {0x0c04, "zh"}, {0x0c07, "de"}, {0x0c09, "en"},
    {0x0c0a, "es"}, {0x0c0c, "fr"}, {0x0c1a, "sr"}, {0x1001, "ar"}, {0x1004, "zh"}, {0x1007, "de"},
    {0x1009, "en"}, {0x100a, "es"}, {0x100c, "fr"}, {0x1401, "ar"}, {0x1404, "zh"}, {0x1407, "de"},
    {0x1409, "en"}, {0x140a, "es"}, {0x140c, "fr"}, {0x1801, "ar"}, {0x1809, "en"}, {0x180a, "es"},
    {0x180c, "fr"}, {0x1c01, "ar"}, {0x1c09, "en"}, {0x1c0a, "es"}, {0x2001, "ar"}, {0x2009, "en"},
    {0x200a, "es"}, {0x2401, "ar"}, {0x2409, "en"}, {0x240a, "es"}, {0x2801, "ar"}, {0x2809, "en"},
    {0x280a, "es"}, {0x2c01, "ar"}, {0x2c09, "en"}, {0x2c0a, "es"}, {0x3001, "ar"}, {0x3009, "en"},
    {0x300a, "es"}, {0x3401, "ar"}, {0x3409, "en"}, {0x340a, "es"}, {0x3801, "ar"}, {0x380a, "es"},
    {0x3c01, "ar"}, {0x3c0a, "es"}, {0x4001, "ar"}, {0x400a, "es"}, {0x440a, "es"}, {0x480a, "es"},
    {0x4c0a, "es"}, {0x500a, "es"},
}};
static_assert(std::is_sorted(kLanguages.begin(), kLanguages.end(),
                             [](const LanguageEntry& a, const LanguageEntry& b) {
                                 return a.id < b.id;
                             }));

}  // namespace

std::string_view LanguageCodeForId(std::uint16_t id) {
    const auto* found = std::lower_bound(
        kLanguages.begin(), kLanguages.end(), id,
        [](const LanguageEntry& entry, std::uint16_t key) { return entry.id < key; });
    if (found == kLanguages.end() || found->id != id) {
        return {};
    }
    return found->code;
}

std::string RequestLanguageCode() {
    return std::string(LanguageCodeForId(UserDefaultLangId()));
}

}  // namespace sg
