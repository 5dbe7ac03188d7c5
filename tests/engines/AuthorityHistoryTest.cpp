// The link authority history: the table read back as written, and its chart page with a line
// per site and measure, gaps where a run had no figure, every text escaped.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "engines/AuthorityHistory.h"
#include "engines/AuthorityHistoryPage.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

TEST(AuthorityHistory, RunsReadBackAndDrawnWithGapsAndEscapedTexts) {
    test::TempDir dir;
    const std::string csv = dir / "history.csv";
    SiteAuthority full{"example.com", 17, 2, 4.5, 321, ""};
    SiteAuthority rival{"rival.co.uk", 4200,         9876,
                        std::nullopt,  std::nullopt, "Open PageRank: key refused (HTTP 401)"};
    const std::vector<AuthorityHistoryRow> first = {
        {"2026-12-01T10:00:00", "www.example.com", true, full},
        {"2026-12-01T10:00:00", "<b>rival</b>", false, rival}};
    full.ccHarmonicRank = 15;
    const std::vector<AuthorityHistoryRow> second = {
        {"2026-12-08T10:00:00", "www.example.com", true, full}};
    ASSERT_EQ(AppendAuthorityHistory(csv, first), kAuthorityHistoryAppended);
    ASSERT_EQ(AppendAuthorityHistory(csv, second), kAuthorityHistoryAppended);
    std::string table;
    ASSERT_TRUE(ReadWholeFile(csv, table));
    EXPECT_TRUE(table.starts_with(kAuthorityHistoryHeader));
    // A record of another shape or with a figure that is not one is left out.
    table += "2026-12-09T10:00:00,x,,x.com,seven,,,,\r\nshort,row\r\n";

    const std::vector<AuthorityHistoryRow> rows = ParseAuthorityHistory(table);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].own);
    EXPECT_EQ(rows[0].authority.oprScore, 4.5);
    EXPECT_EQ(rows[1].site, "<b>rival</b>");
    EXPECT_FALSE(rows[1].authority.oprRank.has_value());
    EXPECT_EQ(rows[1].authority.error, "Open PageRank: key refused (HTTP 401)");
    EXPECT_EQ(rows[2].authority.ccHarmonicRank, 15);

    const std::string page = AuthorityHistoryPageText(rows);
    // In the figures' JSON a "</" would end the script element; elsewhere it is escaped.
    EXPECT_EQ(page.find("rival</b>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;rival&lt;/b&gt;"), std::string::npos);
    const std::string open =
        "<script type='application/json' id='" + std::string(kAuthorityDataId) + "'>";
    const std::size_t at = page.find(open);
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = page.find("</script>", at);
    const nlohmann::json charts =
        nlohmann::json::parse(page.substr(at + open.size(), end - at - open.size()));
    ASSERT_EQ(charts.size(), 4u);
    const nlohmann::json& harmonic = charts[0];
    EXPECT_EQ(harmonic["dates"].size(), 2u);
    EXPECT_EQ(harmonic["series"][0]["label"], "www.example.com (own site)");
    EXPECT_EQ(harmonic["series"][0]["values"], nlohmann::json({17, 15}));
    EXPECT_EQ(harmonic["series"][1]["values"], nlohmann::json({4200, nullptr}));
    EXPECT_TRUE(harmonic["reverse"].get<bool>());
    const nlohmann::json& score = charts[2];
    EXPECT_FALSE(score["reverse"].get<bool>());
    EXPECT_EQ(score["series"][1]["values"], nlohmann::json({nullptr, nullptr}));
    EXPECT_NE(page.find("<td class='failed'>Open PageRank: key refused (HTTP 401)</td>"),
              std::string::npos);
}

}  // namespace
}  // namespace sg
