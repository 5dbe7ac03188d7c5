#include "net/RequestLanguage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/TempDir.h"

namespace sg {
namespace {

TEST(RequestLanguage, ExactlyTheListedIdentifiersHaveACode) {
    int withCode = 0;
    std::set<std::string> codes;
    for (unsigned id = 0; id <= 0xffff; ++id) {
        const std::string_view code = LanguageCodeForId(static_cast<std::uint16_t>(id));
        if (!code.empty()) {
            ++withCode;
            codes.emplace(code);
            EXPECT_EQ(code.size(), 2u) << std::hex << id;
        }
    }
    EXPECT_EQ(withCode, 134);
    EXPECT_EQ(codes.size(), 63u);
}

TEST(RequestLanguage, EveryRowOfTheTableMaps) {
    const std::pair<std::uint16_t, const char*> samples[] = {
        // Many variants of one language.
        {0x0401, "ar"},
        {0x2001, "ar"},
        {0x4001, "ar"},
        {0x0409, "en"},
        {0x1c09, "en"},
        {0x3409, "en"},
        {0x040a, "es"},
        {0x2c0a, "es"},
        {0x500a, "es"},
        {0x040c, "fr"},
        {0x100c, "fr"},
        {0x180c, "fr"},
        {0x0407, "de"},
        {0x0c07, "de"},
        {0x1407, "de"},
        {0x0404, "zh"},
        {0x0804, "zh"},
        {0x1404, "zh"},
        {0x081a, "sr"},
        {0x0c1a, "sr"},
        // Two variants each, in the order of their codes.
        {0x043e, "ms"},
        {0x083e, "ms"},
        {0x0843, "uz"},
        {0x042c, "az"},
        {0x0820, "ur"},
        {0x081d, "sv"},
        {0x0416, "pt"},
        {0x0816, "pt"},
        {0x0814, "no"},
        {0x0427, "lt"},
        {0x0812, "ko"},
        {0x0810, "it"},
        {0x0413, "nl"},
        {0x0813, "nl"},
        {0x041a, "hr"},
        // One identifier each: the first, some in the middle, the last.
        {0x0465, "dv"},
        {0x042a, "vi"},
        {0x044f, "sa"},
        {0x0440, "ky"},
        {0x0455, "my"},
        {0x0423, "be"},
        {0x0419, "ru"},
        {0x0411, "ja"},
        {0x040d, "he"},
        {0x0402, "bg"},
        {0x0403, "ca"},
    };
    for (const auto& [id, code] : samples) {
        EXPECT_EQ(LanguageCodeForId(id), code) << std::hex << id;
    }
    // Neighbours that are not listed.
    for (std::uint16_t id : {0x0000, 0x0429, 0x3c09, 0x540a, 0x1c0c, 0x101a, 0x0c3e, 0x0466}) {
        EXPECT_EQ(LanguageCodeForId(id), "") << std::hex << id;
    }
}

TEST(RequestLanguage, FollowsTheUsersLocale) {
    test::ScopedEnv messages("LC_MESSAGES", nullptr);
    test::ScopedEnv lang("LANG", nullptr);
    {
        test::ScopedEnv all("LC_ALL", "fr_CA.UTF-8");
        EXPECT_EQ(RequestLanguageCode(), "fr");
    }
    {
        test::ScopedEnv all("LC_ALL", "C");
        EXPECT_EQ(RequestLanguageCode(), "en");
    }
    {
        // Persian is not in the table: no Accept-Language line.
        test::ScopedEnv all("LC_ALL", "fa_IR.UTF-8");
        EXPECT_EQ(RequestLanguageCode(), "");
    }
}

}  // namespace
}  // namespace sg
