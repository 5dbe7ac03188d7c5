// The page charset: where a page declares it, how UTF-8 text is counted and cut, and how it is
// written into a Windows-1252 report.

#include <gtest/gtest.h>

#include <string>

#include "html/PageCharset.h"

namespace sg {
namespace {

constexpr PageCharset kUtf8 = PageCharset::Utf8;
constexpr PageCharset kAnsi = PageCharset::Windows1252;

// A page is measured in characters when a browser reads it as UTF-8: the header's charset, else
// a meta in the first 1024 bytes, else bytes that are well-formed UTF-8.
TEST(PageCharset, PagesReadAsUtf8AreTheOnesABrowserReadsSo) {
    const std::string cafe = "<p>caf\xC3\xA9</p>";
    const std::string ansi = "<p>caf\xE9</p>";
    struct Row {
        const char* header;
        std::string page;
        PageCharset expected;
    };
    const Row rows[] = {
        {"Content-Type: text/html; charset=UTF-8", ansi, kUtf8},
        {"content-type: text/html;charset=\"utf8\"", cafe, kUtf8},
        {"Content-Type: text/html; charset=iso-8859-1", "<meta charset=utf-8>" + cafe, kAnsi},
        {"Content-Type: text/html", "<META CHARSET = 'Utf-8'>" + ansi, kUtf8},
        {"", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + ansi,
         kUtf8},
        {"", "<meta charset=windows-1251><meta charset=utf-8>" + cafe, kAnsi},
        // No declaration: the bytes decide.
        {"", cafe, kUtf8},
        {"", ansi, kAnsi},
        // A declaration past the first 1024 bytes is no declaration.
        {"", std::string(1100, ' ') + "<meta charset=utf-8>" + ansi, kAnsi},
        {"", "\xEF\xBB\xBF" + ansi, kUtf8},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DeclaredCharset(row.header, row.page), row.expected)
            << row.header << " | " << row.page;
    }
}

TEST(PageCharset, Utf8IsCountedCutAndShownByCharacter) {
    struct Row {
        std::string text;
        std::size_t characters;
        std::string shown;  // as a Windows-1252 report writes it
    };
    const Row rows[] = {
        {"plain", 5, "plain"},
        // Latin-1 letters and the euro sign have Windows-1252 bytes.
        {"caf\xC3\xA9 \xE2\x82\xAC", 6, "caf\xE9 \x80"},
        // Cyrillic, and a character of four bytes, have none.
        {"\xD0\x9F\xD1\x80", 2, "&#1055;&#1088;"},
        {"\xF0\x9F\x98\x80!", 2, "&#128512;!"},
        // Malformed: a lone continuation byte, a cut sequence, an overlong form, a surrogate.
        // Each of their bytes counts and is kept.
        {"a\x80z", 3, "a\x80z"},
        {"\xE2\x82", 2, "\xE2\x82"},
        {"\xC0\xAF", 2, "\xC0\xAF"},
        {"\xED\xA0\x80", 3, "\xED\xA0\x80"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CharacterCount(row.text, kUtf8), row.characters) << row.text;
        EXPECT_EQ(ReportCharsetText(row.text, kUtf8), row.shown) << row.text;
        EXPECT_EQ(CharacterPrefix(row.text, row.characters, kUtf8), row.text) << row.text;
        // Windows-1252 text is bytes, shown as it is.
        EXPECT_EQ(CharacterCount(row.text, kAnsi), row.text.size());
        EXPECT_EQ(ReportCharsetText(row.text, kAnsi), row.text);
    }
    // A cut never splits a character.
    const std::string mixed = "a\xD0\x9F\xF0\x9F\x98\x80z";
    EXPECT_EQ(CharacterPrefix(mixed, 2, kUtf8), "a\xD0\x9F");
    EXPECT_EQ(CharacterPrefix(mixed, 3, kUtf8), "a\xD0\x9F\xF0\x9F\x98\x80");
    EXPECT_EQ(CharacterPrefix(mixed, 2, kAnsi), "a\xD0");
}

TEST(PageCharset, PageTextAsDataIsValidUtf8) {
    const struct {
        std::string_view in;
        PageCharset charset;
        std::string_view out;
    } rows[] = {
        {"caf\xE9 \x80 \x93x\x94", PageCharset::Windows1252, "café € “x”"},
        // The bytes Windows-1252 leaves undefined keep their number as a C1 control.
        {"\x81\x9D", PageCharset::Windows1252, "\xC2\x81\xC2\x9D"},
        {"Дом ✓ 😀", PageCharset::Utf8, "Дом ✓ 😀"},
        // A stray byte, an overlong form and a cut sequence on a UTF-8 page read as 1252.
        {"a\xE9z", PageCharset::Utf8, "aéz"},
        {"\xC0\xAF", PageCharset::Utf8, "\xC3\x80\xC2\xAF"},
        {"end\xD0", PageCharset::Utf8, "end\xC3\x90"},
        // UTF-8 bytes on a page that does not declare UTF-8 are its Windows-1252 characters.
        {"\xD0\x94", PageCharset::Windows1252, "\xC3\x90\xE2\x80\x9D"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Utf8Text(row.in, row.charset), row.out) << row.in;
    }
}

}  // namespace
}  // namespace sg
