// The --json and --csv results of the analyses and the exit code 3 of --fail-on-broken and
// --fail-on-warnings, through sitegauge-cli against loopback sites and the engine emulator.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "demo/EngineEmulator.h"
#include "engines/FormatCount.h"
#include "engines/LinkCountsForSite.h"
#include "html/KeywordDensity.h"
#include "platform/FileSystem.h"
#include "reports/CsvText.h"
#include "support/FixtureSite.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using Json = nlohmann::json;
using Rows = std::vector<std::vector<std::string>>;

// The CSV read back as the program's own reader reads it.
Rows ReadCsv(const std::string& text) {
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << "the last record has no CR LF";
    return ParseCsv(text);
}

std::string Read(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

Json ParseJson(const std::string& text) {
    Json parsed = Json::parse(text, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << text;
    return parsed;
}

// Every report file of one analysis's folder, one after the other.
std::string ReportsOf(const std::string& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            all += Read(entry.path().string());
        }
    }
    return all;
}

std::string LastLine(const std::string& text) {
    std::string_view rest(text);
    if (!rest.empty() && rest.back() == '\n') {
        rest.remove_suffix(1);
    }
    return std::string(rest.substr(rest.rfind('\n') + 1));
}

std::string CountCell(bool ok, std::size_t n) {
    return std::string(ok ? "#0000FF" : "#FF0000") + " face=Verdana,Arial,Helvetica size=2>" +
           std::to_string(n) + "</font><br>";
}

// A UTF-8 start page whose title needs every kind of CSV quoting, with a description over its
// limit and an image without alt text; a Windows-1252 sub-page; a page without a fault.
const std::string kTitle = "Shoes, \"red\" & blue\r\n\xD0\x94\xD0\xBE\xD0\xBC";
const std::string kHome =
    "<html><head><meta charset=\"utf-8\"><title>" + kTitle +
    "</title>\r\n<meta name=\"description\" content=\"" + std::string(210, 'x') +
    "\">\r\n<meta name=\"keywords\" content=\"shoes, \xD0\x94\xD0\xBE\xD0\xBC\">\r\n</head>"
    "<body>shoes \xD0\x94\xD0\xBE\xD0\xBC text <img src=a.gif alt=\"a\"> <img src=b.gif> "
    "<a href=\"sub.html\">sub</a></body></html>";
const std::string kSub =
    "<html><head><title>Caf\xE9 \x80</title><meta name=\"description\" content=\"fine\">"
    "<meta name=\"keywords\" content=\"caf\xE9\"></head><body>caf\xE9 here</body></html>";
const std::string kClean =
    "<html><head><title>Clean</title><meta name=\"description\" content=\"fine\">"
    "<meta name=\"keywords\" content=\"clean\"></head><body>clean <img src=c.gif alt=c>"
    "</body></html>";

class ResultsDataTest : public ::testing::Test {
  protected:
    test::CliResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--workdir", dir_.path()});
        return test::RunCli(dir_.path(), args);
    }

    test::TempDir dir_;
    test::FixtureSite site_{std::map<std::string, std::string>{
        {"/", test::HtmlPage(kHome)},
        {"/sub.html", test::HtmlPage(kSub)},
        {"/clean.html", test::HtmlPage(kClean)},
        {"/links.html", test::HtmlPage("<html><head></head><body><a href=\"clean.html\">a</a> <a "
                                       "href=\"gone.html\">b</a> <a href=\"http://127.0.0.1:" +
                                       std::to_string(test::LoopbackServer::ClosedPort()) +
                                       "/x.html\">c</a></body></html>")},
        {"/good.html", test::HtmlPage("<html><body><a href=\"clean.html\">a</a></body></html>")},
    }};
};

TEST_F(ResultsDataTest, ReadinessDataHoldsWhatTheNestedReportShows) {
    const std::string json = dir_ / "r.json";
    const std::string csv = dir_ / "r.csv";
    const test::CliResult run = Cli({"readiness", "--nested", "--fail-on-warnings", "--json", json,
                                     "--csv", csv, "--name", "Shop", "--url", site_.Url("/")});
    ASSERT_EQ(run.exitCode, 3) << run.err;
    EXPECT_TRUE(FileExists(LastLine(run.out)));
    const std::string html = ReportsOf(dir_ / "Reports/Search Engine Rediness");

    const Json doc = ParseJson(Read(json));
    EXPECT_EQ(doc["format"], 1);
    EXPECT_EQ(doc["project"], "Shop");
    ASSERT_EQ(doc["sites"].size(), 1u);
    const Json& home = doc["sites"][0];
    EXPECT_EQ(home["url"], site_.Url("/"));
    EXPECT_EQ(home["title"]["text"], kTitle);
    // Each length is the one the report shows, in the colour that "ok" stands for.
    for (const char* tag : {"title", "description", "keywords"}) {
        const Json& t = home[tag];
        EXPECT_NE(html.find(CountCell(t["ok"], t["length"])), std::string::npos) << tag;
    }
    EXPECT_EQ(home["title"]["length"], 24);
    EXPECT_EQ(home["title"]["limit"], 80);
    EXPECT_EQ(home["description"]["text"], std::string(210, 'x'));
    EXPECT_EQ(home["description"]["length"], 212);
    EXPECT_EQ(home["description"]["limit"], 200);
    EXPECT_FALSE(home["description"]["ok"]);
    EXPECT_TRUE(home["keywords"]["ok"]);
    EXPECT_EQ(home["images"], 2);
    EXPECT_EQ(home["imagesWithoutAlt"], 1);
    EXPECT_NE(html.find("1/2 Image Tags do not have"), std::string::npos);
    ASSERT_EQ(home["density"].size(), 2u);
    EXPECT_EQ(home["density"][1]["keyword"], "\xD0\x94\xD0\xBE\xD0\xBC");
    for (const Json& d : home["density"]) {
        EXPECT_NE(html.find(" - " + FormatDensity(d["percent"]) + "% <br><br>"), std::string::npos);
    }
    ASSERT_EQ(home["pages"].size(), 1u);
    const Json& sub = home["pages"][0];
    EXPECT_NE(sub["url"].get<std::string>().find("/sub.html"), std::string::npos);
    EXPECT_EQ(sub["title"]["text"], "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(sub["density"][0]["keyword"], "caf\xC3\xA9");
    EXPECT_TRUE(sub["title"]["ok"] && sub["description"]["ok"] && sub["keywords"]["ok"]);

    const Rows rows = ReadCsv(Read(csv));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "site");
    EXPECT_EQ(rows[0].size(), 14u);
    EXPECT_EQ(rows[1][3], kTitle);
    EXPECT_EQ(rows[1][4], "24");
    EXPECT_EQ(rows[1][8], "false");
    EXPECT_EQ(rows[1][13], "1");
    EXPECT_EQ(rows[2][1], sub["url"]);
    EXPECT_EQ(rows[2][3], sub["title"]["text"]);

    // Without the flag the same findings leave the exit code alone.
    EXPECT_EQ(Cli({"readiness", "--nested", "--name", "Shop", "--url", site_.Url("/")}).exitCode,
              0);
}

TEST_F(ResultsDataTest, ReadinessToStdoutMovesThePathAndACleanPageDoesNotFail) {
    const test::CliResult run = Cli({"readiness", "--fail-on-warnings", "--json", "-", "--name",
                                     "Clean", "--url", site_.Url("/clean.html")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json doc = ParseJson(run.out);
    EXPECT_EQ(doc["sites"][0]["title"]["text"], "Clean");
    EXPECT_TRUE(doc["sites"][0]["pages"].empty());
    EXPECT_TRUE(FileExists(LastLine(run.err))) << run.err;
}

TEST_F(ResultsDataTest, LinkRecordsComeInCrawlOrderAndBrokenOnesFail) {
    const std::string json = dir_ / "l.json";
    const std::string csv = dir_ / "l.csv";
    const test::CliResult run = Cli({"links", "--fail-on-broken", "--json", json, "--csv", csv,
                                     "--name", "L", "--url", site_.Url("/links.html")});
    ASSERT_EQ(run.exitCode, 3) << run.err;
    const Json doc = ParseJson(Read(json));
    EXPECT_EQ(doc["project"], "L");
    ASSERT_EQ(doc["sites"].size(), 1u);
    const Json& records = doc["sites"][0]["records"];

    // The report lists the records by status, each list in record order: link, then from.
    std::vector<std::string> expected;
    for (const char* status : {"broken", "available", "unreachable"}) {
        for (const Json& r : records) {
            if (r["status"] == status) {
                expected.push_back(r["link"]);
                expected.push_back(r["from"]);
            }
        }
    }
    const std::string html = ReportsOf(dir_ / "Reports/Link Validator");
    std::vector<std::string> shown;
    // The link cells; the footer's links have quoted addresses.
    const std::regex anchor("<a href ?=[^'>]*>([^<]*)</a></td>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), anchor);
         it != std::sregex_iterator(); ++it) {
        shown.push_back((*it)[1]);
    }
    EXPECT_EQ(shown, expected);
    std::set<std::string> statuses;
    for (const Json& r : records) {
        statuses.insert(r["status"]);
    }
    EXPECT_EQ(statuses, (std::set<std::string>{"broken", "available", "unreachable"}));

    const Rows rows = ReadCsv(Read(csv));
    ASSERT_EQ(rows.size(), records.size() + 1);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"site", "from", "link", "status", "httpStatus", "kind"}));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Json& code = records[i]["httpStatus"];
        EXPECT_EQ(rows[i + 1],
                  (std::vector<std::string>{site_.Url("/links.html"), records[i]["from"],
                                            records[i]["link"], records[i]["status"],
                                            code.is_null() ? "" : std::to_string(int(code)),
                                            records[i]["kind"]}));
        // The code is the answer's, and none when nothing answered.
        EXPECT_EQ(code.is_null(), records[i]["status"] == "unreachable");
    }

    EXPECT_EQ(Cli({"links", "--name", "L", "--url", site_.Url("/links.html")}).exitCode, 0);
    EXPECT_EQ(Cli({"links", "--fail-on-broken", "--name", "G", "--url", site_.Url("/good.html")})
                  .exitCode,
              0);
}

class EngineResultsTest : public ResultsDataTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(emulator_.Start());
        hosts_.emplace("SITEGAUGE_ENGINE_HOSTS", emulator_.EngineHostsValue().c_str());
    }

    EngineEmulator emulator_;
    std::optional<test::ScopedEnv> hosts_;
};

TEST_F(EngineResultsTest, PopularityAndPositionsGiveNumbers) {
    for (EngineId id : kLinkCountEngines) {
        emulator_.SetLinkCount(id, "a.test", "1,234");
    }
    const std::string csv = dir_ / "p.csv";
    const test::CliResult popularity =
        Cli({"popularity", "--json", "-", "--csv", csv, "--name", "P", "--url", "a.test"});
    ASSERT_EQ(popularity.exitCode, 0) << popularity.err;
    const Json counts = ParseJson(popularity.out)["sites"][0]["counts"];
    EXPECT_EQ(counts.size(), kLinkCountEngines.size());
    EXPECT_EQ(counts["Google"], 1234);
    // Each number is the count a cell of the page shows.
    const std::string html = Read(LastLine(popularity.err));
    for (const auto& [engine, count] : counts.items()) {
        EXPECT_NE(html.find(">" + FormatCount(std::to_string(count.get<std::int64_t>())) +
                            "</a></font></td>"),
                  std::string::npos)
            << engine;
    }
    const Rows rows = ReadCsv(Read(csv));
    ASSERT_EQ(rows.size(), kLinkCountEngines.size() + 1);
    EXPECT_EQ(rows[1][0], "a.test");
    EXPECT_EQ(rows[1][2], "1234");
    EXPECT_EQ(counts[rows[1][1]], 1234);

    std::vector<std::string> google;
    for (int i = 1; i <= 10; ++i) {
        google.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    google[2] = "http://a.test/";
    emulator_.SetResults(EngineId::Google, "red shoes", google);
    const std::string pcsv = dir_ / "pos.csv";
    const test::CliResult positions =
        Cli({"positions", "--engines", "1,3", "--json", "-", "--csv", pcsv, "--name", "S", "--url",
             "a.test", "--keyword", "red shoes"});
    ASSERT_EQ(positions.exitCode, 0) << positions.err;
    EXPECT_TRUE(FileExists(LastLine(positions.err)));
    const Json doc = ParseJson(positions.out);
    EXPECT_EQ(doc["depth"], 100);
    ASSERT_EQ(doc["results"].size(), 2u);
    EXPECT_EQ(doc["results"][0]["position"], 3);
    EXPECT_TRUE(doc["results"][1]["position"].is_null());
    const Rows posRows = ReadCsv(Read(pcsv));
    ASSERT_EQ(posRows.size(), 3u);
    // The error column is empty: the designed engines were searched.
    EXPECT_EQ(posRows[0],
              (std::vector<std::string>{"keyword", "site", "engine", "position", "error"}));
    EXPECT_EQ(posRows[1], (std::vector<std::string>{"red shoes", "a.test",
                                                    doc["results"][0]["engine"], "3", ""}));
    EXPECT_EQ(posRows[2][3], "");
    EXPECT_FALSE(doc["results"][1].contains("error"));
}

}  // namespace
}  // namespace sg
