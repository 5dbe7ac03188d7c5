// "sitegauge-cli demo" end to end: every analysis runs on the demo sites with no connection
// beyond loopback, and each report holds what the demo is there to show.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "demo/DemoEngines.h"
#include "model/ProfileFile.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::HasSubstr;

std::string Read(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

// Every file of the folder that holds `page`, joined.
std::string RunFolderText(const std::string& page) {
    std::string text;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(page).parent_path())) {
        text += Read(entry.path().string());
    }
    return text;
}

// The site report beside the summary page `page` whose header names the site `url`.
std::string SiteReport(const std::string& page, const std::string& url) {
    const std::string header = "<font face=Verdana,Arial,Helvetica size=2><br>\n<a href='http://" +
                               url + "'>" + url + "</a>";
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(page).parent_path())) {
        // Sub-pages of a nested report carry their site's header too.
        if (entry.path().string().ends_with("-nest.html")) {
            continue;
        }
        const std::string text = Read(entry.path().string());
        if (text.find(header) != std::string::npos) {
            return text;
        }
    }
    ADD_FAILURE() << "no report for " << url << " beside " << page;
    return {};
}

// The part of `text` from `from` to the next `to` after it; empty when `from` is absent.
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const std::size_t start = text.find(from);
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find(to, start) - start);
}

// The positions or "x" cells of one row of a Position Analyzer table, in column order.
std::vector<std::string> RowCells(const std::string& row) {
    std::vector<std::string> cells;
    for (std::size_t at = row.find("<td align = 'center'>"); at != std::string::npos;
         at = row.find("<td align = 'center'>", at + 1)) {
        const std::size_t open = row.find("<u> ", at);
        const std::size_t end = row.find("</td>", at);
        cells.push_back(open < end ? row.substr(open + 4, row.find(" </u>", open) - open - 4)
                                   : "x");
    }
    return cells;
}

class DemoCommandTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        work_ = new test::TempDir;
        config_ = new test::ScopedEnv("XDG_CONFIG_HOME", (*work_ / "config").c_str());
        // Nothing from the environment may steer the engines elsewhere.
        hosts_ = new test::ScopedEnv("SITEGAUGE_ENGINE_HOSTS", nullptr);
        // A folder name that is not plain ASCII: paths go to disk and to stdout unchanged.
        folder_ = new std::string(work_->path() + "/caf\xC3\xA9 demo");
        result_ = new test::CliResult(test::RunCli(work_->path(), {"demo", "--workdir", *folder_}));
        std::string_view out = result_->out;
        while (!out.empty()) {
            const std::string_view line = out.substr(0, out.find('\n'));
            out.remove_prefix(std::min(out.size(), line.size() + 1));
            const std::size_t colon = line.find(": ");
            if (colon != std::string_view::npos) {
                (*reports_)[std::string(line.substr(0, colon))] = line.substr(colon + 2);
            }
        }
    }
    static void TearDownTestSuite() {
        delete result_;
        delete folder_;
        delete hosts_;
        delete config_;
        delete work_;
        reports_->clear();
    }
    void SetUp() override {
        ASSERT_EQ(result_->exitCode, 0) << result_->err;
        ASSERT_EQ(LoadProfile(project_, (*reports_)["Profile"], nullptr), kProfileOk);
        ASSERT_EQ(project_.UrlCount(), 2);
        own_ = project_.GetUrl(0)->GetUrl();
        rival_ = project_.GetUrl(1)->GetUrl();
        // Where the own site moved, as the command says on stderr.
        const std::string said = Between(result_->err, "(moved to ", ")");
        moved_ = said.substr(std::min(said.size(), std::size_t{10}));
        ASSERT_EQ(moved_.rfind("https://127.0.0.1:", 0), 0u) << result_->err;
    }

    static const std::string& Report(const std::string& label) { return (*reports_)[label]; }

    static test::TempDir* work_;
    static test::ScopedEnv* config_;
    static test::ScopedEnv* hosts_;
    static test::CliResult* result_;
    static std::string* folder_;
    static std::map<std::string, std::string>* reports_;
    Project project_;
    std::string own_;
    std::string rival_;
    std::string moved_;
};

test::TempDir* DemoCommandTest::work_ = nullptr;
test::ScopedEnv* DemoCommandTest::config_ = nullptr;
test::ScopedEnv* DemoCommandTest::hosts_ = nullptr;
test::CliResult* DemoCommandTest::result_ = nullptr;
std::string* DemoCommandTest::folder_ = nullptr;
std::map<std::string, std::string>* DemoCommandTest::reports_ =
    new std::map<std::string, std::string>;

TEST_F(DemoCommandTest, PrintsTheProfileAndEveryReportWhichAllExist) {
    EXPECT_EQ(Report("Profile"), *folder_ + "/Profiles/Coffee Demo.swp");
    EXPECT_EQ(project_.GetName(), "Coffee Demo");
    EXPECT_EQ(own_.rfind("127.0.0.1:", 0), 0u);
    EXPECT_EQ(project_.KeywordCount(), 3);
    const std::map<std::string, std::string> folders = {
        {"Search Engine Readiness", "/Reports/Search Engine Rediness/Coffee Demo_"},
        {"Nested Search Engine Readiness", "/Reports/Search Engine Rediness/Coffee Demo_"},
        {"Link Validator", "/Reports/Link Validator/Coffee Demo_"},
        {"Link Popularity", "/Reports/Link Popularity/Coffee Demo_"},
        {"Position Analyzer", "/Reports/Position Analyzer/Coffee Demo_"},
        {"Site Audit", "/Reports/Site Audit/Coffee Demo_"},
    };
    for (const auto& [label, folder] : folders) {
        EXPECT_EQ(Report(label).rfind(*folder_ + folder, 0), 0u) << label << result_->out;
        EXPECT_TRUE(FileExists(Report(label))) << label;
    }
    // Each analysis's results as data too, both sites in each.
    for (const std::string name :
         {"readiness", "readiness-nested", "links", "popularity", "positions", "audit"}) {
        std::string json;
        std::string csv;
        ASSERT_TRUE(ReadWholeFile(*folder_ + "/Results/" + name + ".json", json)) << name;
        EXPECT_TRUE(ReadWholeFile(*folder_ + "/Results/" + name + ".csv", csv)) << name;
        EXPECT_NE(json.find("\"project\": \"Coffee Demo\""), std::string::npos) << name;
        EXPECT_NE(json.find(rival_), std::string::npos) << name;
        EXPECT_NE(csv.find(own_), std::string::npos) << name;
    }
    EXPECT_NE(Report("Search Engine Readiness"), Report("Nested Search Engine Readiness"));
    // Seven lines: the profile and the six reports.
    EXPECT_EQ(std::count(result_->out.begin(), result_->out.end(), '\n'), 7) << result_->out;
}

TEST_F(DemoCommandTest, LinkValidatorListsTheBrokenAndTheUnreachableLinks) {
    const std::string text = SiteReport(Report("Link Validator"), own_);
    const std::string broken =
        Between(text, "<font color = '#1c5584'>Broken links</font>", "</table>");
    // The start page's links are those of the page behind its redirect, so they are https ones.
    EXPECT_THAT(broken, HasSubstr("<tr><td><a href=" + moved_ + "specials.html>" + moved_ +
                                  "specials.html</a></td>\n<td><a href=http://" + own_ + ">"));
    const std::string unreachable =
        Between(text, "The applications can not connect to the following sites", "</table>");
    EXPECT_THAT(unreachable, HasSubstr("http://127.0.0.1:1/wholesale/"));
    const std::string available = Between(text, "Available links", "</table>");
    EXPECT_THAT(available, HasSubstr(moved_ + "shop/beans/ethiopia-yirgacheffe.html</a>"));
    // Only the start page's links are judged: a broken link one page down is not listed.
    EXPECT_EQ(text.find("kenya-nyeri"), std::string::npos);

    const std::string rival = SiteReport(Report("Link Validator"), rival_);
    const std::string rivalBroken = Between(rival, "Broken links", "</table>");
    EXPECT_THAT(rivalBroken, HasSubstr(rival_ + "old-menu.html</a>"));
    EXPECT_THAT(rivalBroken, HasSubstr(rival_ + "specials/summer.html</a>"));
    EXPECT_EQ(rival.find(own_), std::string::npos);
}

TEST_F(DemoCommandTest, ReadinessShowsTheRivalsLongTitleInRedAndTheOwnInBlue) {
    const std::string text = RunFolderText(Report("Search Engine Readiness"));
    const std::string red = "<font color=#FF0000 face=Verdana,Arial,Helvetica size=2>";
    const std::string blue = "<font color=#0000FF face=Verdana,Arial,Helvetica size=2>";
    EXPECT_THAT(text, HasSubstr("No of Characters:" + red +
                                "108</font><br>\nComment: Your Title "
                                "Tag is too long. It should be less than 80 characters long."));
    EXPECT_THAT(text, HasSubstr("No of Characters:" + blue +
                                "56</font><br>\nComment: Your Title Tag looks Good."));
    EXPECT_THAT(text, HasSubstr("No of Character:" + red + "272</font>"));
    EXPECT_THAT(text, HasSubstr("Comment: Your Keyword tag is too long."));
    EXPECT_THAT(text, HasSubstr("1/3 Image Tags do not have the &quot;Alt Text&quot;"));
    EXPECT_THAT(text, HasSubstr("4/4 Image Tags do not have the &quot;Alt Text&quot;"));
}

TEST_F(DemoCommandTest, NestedReadinessAnalysesThePagesDeepInTheSite) {
    const std::string text = RunFolderText(Report("Nested Search Engine Readiness"));
    EXPECT_THAT(text, HasSubstr("Search Engine Preparedeness for the Following Pages"));
    EXPECT_THAT(text, HasSubstr(">" + moved_ + "shop/beans/ethiopia-yirgacheffe.html</a>"));
    // The guide's title, three levels down, is too long.
    EXPECT_THAT(text, HasSubstr("107</font><br>\nComment: Your Title Tag is too long."));
    // A page without any meta tag.
    EXPECT_THAT(text, HasSubstr("The application did not find any meta-tags on your page."));
    // The rival's menu is a frameset: the page in its frame was reached through the frame.
    EXPECT_THAT(SiteReport(Report("Nested Search Engine Readiness"), rival_),
                HasSubstr(">" + rival_ + "menu/nav.html</a>"));
    // The snapshot shows the start of the page's text (the pages are served with CR LF lines,
    // so the head's end is found within one line).
    EXPECT_THAT(SiteReport(Report("Search Engine Readiness"), own_),
                HasSubstr("Home | Shop | Journal |"));
}

TEST_F(DemoCommandTest, TheOwnSitesReportsShowThePagesBehindItsRedirect) {
    const std::string title = "Harbor Lane Coffee Roasters - Fresh Roasted Coffee Beans";
    for (const char* label : {"Search Engine Readiness", "Nested Search Engine Readiness"}) {
        const std::string text = SiteReport(Report(label), own_);
        EXPECT_THAT(text, HasSubstr(title)) << label;
        EXPECT_EQ(text.find("Moved Permanently"), std::string::npos) << label;
        EXPECT_EQ(text.find("could not connect"), std::string::npos) << label;
    }
    const std::string links = SiteReport(Report("Link Validator"), own_);
    EXPECT_THAT(Between(links, "Available links", "</table>"),
                HasSubstr("<a href =" + moved_ + "about.html>"));
    EXPECT_EQ(links.find("Moved Permanently"), std::string::npos);
}

TEST_F(DemoCommandTest, LinkPopularityHasTheCountsOfBothSites) {
    const std::string text = Read(Report("Link Popularity"));
    for (int site = 0; site < kDemoSiteCount; ++site) {
        EXPECT_THAT(text, HasSubstr(project_.GetUrl(site)->GetUrl()));
    }
    EXPECT_THAT(text, HasSubstr(">2,310</a>"));  // Google, own site
    EXPECT_THAT(text, HasSubstr(">1,975</a>"));  // Google, rival
    EXPECT_THAT(text, HasSubstr(">990</a>"));    // AOL, rival, counted in pages of ten
    // Link authority from the demo's ranks file and Open PageRank stand-in, offline.
    const std::string authority = Between(text, "Link authority today", "</table>");
    EXPECT_THAT(authority, HasSubstr("(own site)</strong><br>roastery-demo.com"));
    for (const char* figure : {">182,604<", ">240,155<", ">3.62<", ">1,893,420<", ">48,213<",
                               ">61,877<", ">4.17<", ">702,311<"}) {
        EXPECT_THAT(authority, HasSubstr(figure));
    }
}

TEST_F(DemoCommandTest, PositionAnalyzerRanksTheSitesWhereTheEnginesListThem) {
    const std::string text = Read(Report("Position Analyzer"));
    for (int keyword = 0; keyword < static_cast<int>(kDemoKeywords.size()); ++keyword) {
        const std::string table = Between(
            text, "<b>" + std::string(kDemoKeywords[keyword]) + "</b></font></font></b></caption>",
            "</table>");
        ASSERT_FALSE(table.empty()) << kDemoKeywords[keyword];
        for (int site = 0; site < kDemoSiteCount; ++site) {
            const std::string url = project_.GetUrl(site)->GetUrl();
            const std::string row =
                Between(table, "<a href = 'http://" + url + "'>" + url + "</a>", "</tr>");
            std::vector<std::string> expected;
            for (EngineId engine : kAllEngines) {
                const int position = DemoPosition(keyword, engine, site);
                expected.push_back(position > 0 ? std::to_string(position) : "x");
            }
            // The live engines of the stand-in instance follow the designed ones.
            for (int live = 0; live < static_cast<int>(kDemoLiveEngines.size()); ++live) {
                const int position = DemoLivePosition(keyword, live, site);
                expected.push_back(position > 0 ? std::to_string(position) : "x");
            }
            EXPECT_EQ(RowCells(row), expected) << kDemoKeywords[keyword] << " site " << site;
        }
    }
}

}  // namespace
}  // namespace sg
