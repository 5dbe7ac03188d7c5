#include "model/NumberSetting.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

#include "support/TempDir.h"

namespace sg {
namespace {

TEST(NumberSetting, LoadReadsOneNumberWithinItsBounds) {
    test::TempDir dir;
    const std::string path = dir / "n.txt";
    const NumberSetting setting(8, 32);
    EXPECT_EQ(setting.Load(path), 0);  // no file
    const std::pair<const char*, int> cases[] = {
        {"5\n", 5},  {" \t12 \r\n", 12},   {"32", 32},  {"1", 1},     {"33\n", 0}, {"0\n", 0},
        {"-3\n", 0}, {"+5\n", 0},          {"5x\n", 0}, {"5 6\n", 0}, {"", 0},     {" \n", 0},
        {"x5\n", 0}, {"99999999999\n", 0},
    };
    for (const auto& [text, expected] : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        EXPECT_EQ(setting.Load(path), expected) << '"' << text << '"';
    }
}

TEST(NumberSetting, SavedAppliedClampedAndOverridden) {
    test::TempDir dir;
    const std::string path = dir / "sub/n.txt";
    NumberSetting setting(8, 32);
    EXPECT_EQ(setting.Value(), 8);
    setting.ApplyStored(path);  // nothing stored: the default
    EXPECT_EQ(setting.Value(), 8);
    ASSERT_TRUE(NumberSetting::Save(path, 5));
    setting.ApplyStored(path);
    EXPECT_EQ(setting.Value(), 5);
    setting.Set(40);
    EXPECT_EQ(setting.Value(), 32);
    setting.Set(0);
    EXPECT_EQ(setting.Value(), 1);
    setting.Override(3);
    setting.ApplyStored(path);  // the override stays
    EXPECT_EQ(setting.Value(), 3);
}

}  // namespace
}  // namespace sg
