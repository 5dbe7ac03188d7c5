#include "analysis/audit/formats/RobotsDirectives.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

constexpr std::time_t kJune25of2030 = 1908576000;  // 2030-06-25T00:00:00Z

TEST(RobotsDirectives, MetaAndHeaderValuesForGooglebot) {
    struct Row {
        bool header;
        const char* value;
        bool noindex;
        bool nofollow;
    };
    const Row rows[] = {
        {false, "noindex", true, false},
        {false, " NoIndex , NOFOLLOW ", true, true},
        {false, "none", true, true},
        {false, "index, follow, max-snippet:50", false, false},
        {false, "noindexed", false, false},
        {true, "noindex", true, false},
        {true, "googlebot: nofollow", false, true},
        {true, "GoogleBot: none", true, true},
        {true, "otherbot: noindex, nofollow", false, false},
        {true, "otherbot: noindex, googlebot: nofollow", false, true},
        {true, "max-image-preview: large, noindex", true, false},
    };
    for (const Row& row : rows) {
        RobotsDirectives d;
        if (row.header) {
            AddXRobotsTag(row.value, d);
        } else {
            AddMetaRobots(row.value, d);
        }
        EXPECT_EQ(d.noindex, row.noindex) << row.value;
        EXPECT_EQ(d.nofollow, row.nofollow) << row.value;
        EXPECT_FALSE(d.unavailableAfter) << row.value;
    }
}

TEST(RobotsDirectives, XRobotsTagLinesInAnyLetterCase) {
    struct Row {
        std::vector<std::string> lines;
        bool noindex;
        bool nofollow;
    };
    const Row rows[] = {
        {{"HTTP/1.1 200 OK", "X-Robots-Tag: noindex"}, true, false},
        {{"x-robots-tag: noindex"}, true, false},
        {{"X-ROBOTS-TAG:nofollow"}, false, true},
        {{"x-robots-tag: googlebot: noindex", "x-robots-tag: otherbot: nofollow"}, true, false},
        {{"x-robots-tags: noindex", "x-robots: noindex", "link: noindex"}, false, false},
    };
    for (const Row& row : rows) {
        RobotsDirectives d;
        AddXRobotsTagLines(row.lines, d);
        EXPECT_EQ(d.noindex, row.noindex) << row.lines.back();
        EXPECT_EQ(d.nofollow, row.nofollow) << row.lines.back();
    }
}

TEST(RobotsDirectives, UnavailableAfterDates) {
    struct Row {
        const char* text;
        std::time_t when;
    };
    const Row rows[] = {
        {"2030-06-25", kJune25of2030},
        {"2030-06-25T15:00:00Z", kJune25of2030 + 15 * 3600},
        {"25 Jun 2030 15:00:00 PST", kJune25of2030 + 15 * 3600},
        {"Tue, 25 Jun 2030 00:00:01 GMT", kJune25of2030 + 1},
        {"Tuesday, 25-Jun-30 00:00:00 GMT", kJune25of2030},
        {"some day", -1},
        {"2030-13-01", -1},
        {"", -1},
    };
    for (const Row& row : rows) {
        const std::optional<std::time_t> date = ParseRobotsDate(row.text);
        EXPECT_EQ(date.value_or(-1), row.when) << row.text;
    }
    // The date's own comma does not end the directive; the earliest date holds; a past date
    // keeps the page out of the index from then on.
    RobotsDirectives d;
    AddMetaRobots("unavailable_after: Tuesday, 25-Jun-30 00:00:00 GMT, nofollow", d);
    AddXRobotsTag("googlebot: unavailable_after: 2031-01-01", d);
    ASSERT_TRUE(d.unavailableAfter);
    EXPECT_EQ(*d.unavailableAfter, kJune25of2030);
    EXPECT_TRUE(d.nofollow);
    EXPECT_FALSE(d.KeepsOutOfIndex(kJune25of2030 - 1));
    EXPECT_TRUE(d.KeepsOutOfIndex(kJune25of2030 + 1));
}

}  // namespace
}  // namespace sg
