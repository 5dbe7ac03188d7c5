// A page's lang as browsers and engines take it (BCP 47), against hreflang's stricter form.

#include <gtest/gtest.h>

#include <string>

#include "analysis/audit/formats/Hreflang.h"

namespace sg {
namespace {

TEST(LanguageTag, ALangTakesBcp47TagsAndHreflangOnlyLanguageAndRegion) {
    const struct {
        std::string code;
        bool lang;
        bool hreflang;
    } cases[] = {
        {"en", true, true},           {"en-GB", true, true},
        {"zh-Hant-TW", true, true},   {"es-419", true, false},
        {"fra", true, false},         {"yue", true, false},
        {"cmn-Hans-CN", true, false}, {"de-DE-1996", true, false},
        {"ca-valencia", true, false}, {"en-x-internal", true, false},
        {"english", false, false},    {"en_US", false, false},
        {"xx", false, false},         {"en-XX", false, false},
        {"zzq", false, false},        {"en-averyverylongvariant", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidLanguageTag(c.code), c.lang) << c.code;
        EXPECT_EQ(IsValidHreflang(c.code), c.hreflang) << c.code;
    }
}

}  // namespace
}  // namespace sg
