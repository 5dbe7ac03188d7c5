#include "engines/PositionReport.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cstdlib>

#include "engines/EngineCatalogue.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

std::string Expected(const std::string& name) {
    std::string data;
    EXPECT_TRUE(
        ReadWholeFile(std::string(SITEGAUGE_TEST_DATA_DIR) + "/engines/expected/" + name, data))
        << name;
    return data;
}

std::vector<SitePosition> Positions(const std::vector<std::string>& sites) {
    std::vector<SitePosition> list;
    for (const std::string& site : sites) {
        list.emplace_back(site);
    }
    return list;
}

void Found(SitePosition& site, int position, std::string link) {
    site.position = position;
    site.link = std::move(link);
}

constexpr const char* kDate = "Tue Dec  8 03:58:05 2026";

// The written file is the text plus the one line end of the report line.
std::string Written(const PositionReport& report) {
    test::TempDir dir;
    const std::string path = dir / "report.html";
    WriteWholeFile(path, "an older report of the same name, longer than nothing");
    report.WriteTo(path);
    std::string data;
    ReadWholeFile(path, data);
    return data;
}

TEST(PositionReport, ThreeEnginesWithValuesThatCannotAddMarkup) {
    const std::vector<std::string> sites = {"www.alpha.com", "beta.org/shop", "x.com/'a b\"<c>"};
    std::vector<SitePosition> google = Positions(sites);
    std::vector<SitePosition> msn = Positions(sites);
    std::vector<SitePosition> aol = Positions(sites);
    Found(google[0], 7, "http://g.test/search?q=fish%20%26%20%3Cchips%3E");
    Found(google[2], 12, "http://g.test/search?q=x&start=10 \"q\">");
    Found(aol[1], 1, "http://aol.test/aolcom/search?query=fish&page=1");
    // A live engine's column is marked, and a failed cell says why instead of "x".
    std::vector<SitePosition> live = Positions(sites);
    Found(live[0], 4, "http://127.0.0.1:8888/search?q=fish&engines=loop%20back&pageno=1");
    live[1].error = "Suspended: <HTTP> error";
    live[2].error = "timeout";
    const std::array<PositionReport::Column, 4> columns = {{
        {EngineNames(EngineId::Google).reportHeader, &google},
        {EngineNames(EngineId::MSN).reportHeader, &msn},
        {EngineNames(EngineId::AOL).reportHeader, &aol},
        {"loop back", &live, true},
    }};

    PositionReport report;
    report.AppendHead("Sitegauge Version 6.0", kDate);
    report.AppendKeywordTable("fish & <chips>", sites, columns);
    report.AppendLegend(100);
    report.AppendFoot();
    EXPECT_EQ(Written(report), Expected("position-report-three.html"));
}

TEST(PositionReport, AllElevenEnginesInCatalogueOrder) {
    const std::vector<std::string> sites = {"www.one.com", "two.org"};
    std::array<std::vector<SitePosition>, kEngineCount> lists;
    std::vector<PositionReport::Column> columns;
    for (EngineId id : kAllEngines) {
        const int i = EngineIndex(id);
        lists[i] = Positions(sites);
        Found(lists[i][0], i + 1, "http://e" + std::to_string(i) + ".test/page");
        columns.push_back({EngineNames(id).reportHeader, &lists[i]});
    }
    PositionReport report;
    report.AppendHead("Sitegauge Version 6.0", kDate);
    report.AppendKeywordTable("shoes", sites, columns);
    // Designed engines alone: the legend explains the "x" only.
    report.AppendLegend(0);
    report.AppendFoot();
    EXPECT_EQ(report.Text() + "\n", Expected("position-report-eleven.html"));
}

TEST(PositionReport, TablesFollowEachOtherAndAShortListShowsNotFound) {
    const std::vector<std::string> sites = {"a.com", "b.com"};
    std::vector<SitePosition> shortList = Positions({"a.com"});
    Found(shortList[0], 3, "http://l");
    const std::array<PositionReport::Column, 1> one = {{{"Google", &shortList}}};
    PositionReport report;
    report.AppendKeywordTable("k1", sites, one);
    report.AppendKeywordTable("k2", sites, {});
    const std::string& text = report.Text();
    const std::string found = "<td align = 'center'><a href = \"http://l\"><u> 3 </u></a></td>\n";
    const std::string notFound =
        "<td align = 'center'><font color = #AA0000><b>x</b></font></td>\n";
    EXPECT_NE(text.find("width=130>\n"), std::string::npos);
    EXPECT_NE(text.find("width=70>\n"), std::string::npos);
    EXPECT_NE(text.find("b.com</a></font></td>\n" + notFound + "</tr>\n"), std::string::npos);
    EXPECT_NE(text.find("a.com</a></font></td>\n" + found), std::string::npos);
    // The second table has no engine column: each row is the site cell alone.
    EXPECT_NE(text.find("b.com</a></font></td>\n</tr>\n</table><p></p>\n"), std::string::npos);
    EXPECT_LT(text.find("k1"), text.find("k2"));
}

TEST(PositionReport, PathAndDate) {
    EXPECT_EQ(
        PositionReport::PathFor("/w/Reports/Position Analyzer", "Shop", "_12_07_2026[03-58-05]"),
        "/w/Reports/Position Analyzer/Shop_12_07_2026[03-58-05].html");
    EXPECT_EQ(PositionReport::PathFor("/w", "", "_01_02_2027[00-00-00]"),
              "/w/AnalyzePos_01_02_2027[00-00-00].html");
    EXPECT_EQ(PositionReport::PathFor("/w", "../../x/", "_1"), "/w/.._.._x__1.html");
    // In a French locale too, as the desktop program runs under one: its month names would be
    // UTF-8 in an iso-8859-1 page. The locale is compiled into the test's own folder.
    test::TempDir dir;
    const std::string build =
        "localedef -i fr_FR -f UTF-8 '" + dir.path() + "/fr_FR.UTF-8' >/dev/null 2>&1";
    ASSERT_EQ(std::system(build.c_str()), 0) << "localedef (Debian's locales package)";
    test::ScopedEnv path("LOCPATH", dir.path().c_str());
    std::string date;
    std::string plain;
    {
        test::ScopedEnv tz("TZ", "UTC0");
        ::tzset();
        plain = PositionReport::DateText(1796702285);
        ASSERT_NE(std::setlocale(LC_ALL, "fr_FR.UTF-8"), nullptr);
        date = PositionReport::DateText(1796702285);
        std::setlocale(LC_ALL, "C");
    }
    ::tzset();
    EXPECT_EQ(plain, "Tue Dec  8 03:58:05 2026");
    EXPECT_EQ(date, "Tue Dec  8 03:58:05 2026");
}

}  // namespace
}  // namespace sg
