#include "platform/UserLanguage.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace sg {
namespace {

TEST(UserLanguage, LocaleNamesMapToIdentifiers) {
    EXPECT_EQ(LangIdFromLocale("fr_FR.UTF-8"), 0x040c);
    EXPECT_EQ(LangIdFromLocale("de_AT@euro"), 0x0c07);
    EXPECT_EQ(LangIdFromLocale("en_GB"), 0x0809);
    EXPECT_EQ(LangIdFromLocale("pt"), 0x0416);
    EXPECT_EQ(LangIdFromLocale("pt_PT.ISO-8859-1"), 0x0816);
    EXPECT_EQ(LangIdFromLocale("fr_XX"), 0x040c);  // unknown country: the language's default
    EXPECT_EQ(LangIdFromLocale("xx_YY"), 0x0409);
    EXPECT_EQ(LangIdFromLocale("C"), 0x0409);
    EXPECT_EQ(LangIdFromLocale("C.UTF-8"), 0x0409);
    EXPECT_EQ(LangIdFromLocale("POSIX"), 0x0409);
    EXPECT_EQ(LangIdFromLocale(""), 0x0409);
}

TEST(UserLanguage, EnvironmentPrecedence) {
    test::ScopedEnv all("LC_ALL", nullptr);
    test::ScopedEnv messages("LC_MESSAGES", nullptr);
    test::ScopedEnv lang("LANG", nullptr);
    EXPECT_EQ(UserDefaultLangId(), 0x0409);
    {
        test::ScopedEnv l("LANG", "ja_JP.UTF-8");
        EXPECT_EQ(UserDefaultLangId(), 0x0411);
        test::ScopedEnv m("LC_MESSAGES", "it_IT");
        EXPECT_EQ(UserDefaultLangId(), 0x0410);
        test::ScopedEnv a("LC_ALL", "sv_SE");
        EXPECT_EQ(UserDefaultLangId(), 0x041d);
        test::ScopedEnv empty("LC_ALL", "");  // an empty value counts as unset
        EXPECT_EQ(UserDefaultLangId(), 0x0410);
    }
}

}  // namespace
}  // namespace sg
