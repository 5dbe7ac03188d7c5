#include "platform/Ansi.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(Ansi, LowerCaseChangesOnlyAsciiLettersAndKeepsLength) {
    EXPECT_EQ(ToLowerAnsi("AbC-Z\xC9"), "abc-z\xC9");
    EXPECT_TRUE(EqualsNoCase("Host.COM", "host.com"));
    EXPECT_FALSE(EqualsNoCase("host", "hosts"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));  // '[' + 32 is '{': only letters fold
}

TEST(Ansi, Utf16ConvertsToWindows1252WithQuestionMarks) {
    EXPECT_EQ(Utf16ToAnsi(u"caf\u00e9 \u20ac\u2122"), "caf\xE9 \x80\x99");
    EXPECT_EQ(Utf16ToAnsi(u"\u4e2d!"), "?!");
    // A surrogate pair is one character; a lone surrogate is one "?".
    EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b");
    std::u16string lone = u"x";
    lone += static_cast<char16_t>(0xD800);
    EXPECT_EQ(Utf16ToAnsi(lone), "x?");
}

TEST(Ansi, Utf8RoundTripOfEveryDefinedByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?");
    EXPECT_EQ(Utf8ToAnsi("ok\xC3"), "ok?");  // truncated sequence
    EXPECT_EQ(Utf8ToAnsi("\xC3(x"), "?(x");  // bad continuation byte
}

}  // namespace
}  // namespace sg
