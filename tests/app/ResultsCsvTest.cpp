#include <gtest/gtest.h>

#include "app/ResultsCsv.h"
#include "html/Utf8Text.h"

namespace sg {
namespace {

TEST(ResultsTextTest, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        std::string_view in;
        std::string_view out;
    } rows[] = {
        {"plain text", "plain text"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {"Дом;é", "Дом;é"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CsvField(row.in), row.out) << row.in;
    }
}

TEST(ResultsTextTest, PageTextBecomesValidUtf8) {
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
