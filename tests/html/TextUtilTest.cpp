#include "html/TextUtil.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(TextUtil, FindNoCase) {
    EXPECT_EQ(FindNoCase("xxHeLLo hello", "hELLO"), 2);
    EXPECT_EQ(FindNoCase("abab", "AB", 1), 2);
    EXPECT_EQ(FindNoCase("<A\tHREF", "<a "), -1);
    EXPECT_EQ(FindNoCase("abc", "abcd"), -1);
    EXPECT_EQ(FindNoCase("abc", "c", 3), -1);
    EXPECT_EQ(FindNoCase("abc", ""), 0);
    EXPECT_EQ(FindNoCase("", ""), 0);
    // Only A..Z fold: accented capitals stay distinct.
    EXPECT_EQ(FindNoCase("caf\xC9", "caf\xE9"), -1);
    EXPECT_EQ(FindNoCase("aaaaab", "AAB"), 3);
}

TEST(TextUtil, TrimBlanks) {
    EXPECT_EQ(TrimBlanks(" \t\r\n\v\fa \t b\f\v\n\r\t "), "a \t b");
    EXPECT_EQ(TrimBlanks(" \n "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0");
}

}  // namespace
}  // namespace sg
