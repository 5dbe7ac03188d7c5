// The Link Validator report: a whole page compared with the expected one, a run over several
// sites with its progress shares, a cancelled run, and link targets that try to add markup.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/linkvalidator/LinkValidatorReport.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "support/BrowserScheme.h"
#include "support/FixtureSite.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;
using test::MissingPage;
using Strings = std::vector<std::string>;

std::string Read(const std::string& path) {
    std::string data;
    ReadWholeFile(path, data);
    return data;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

Strings Lines(const std::string& text) {
    Strings lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Records what the writer shows; can cancel the run when a given caption appears.
class RecordingProgress : public ProgressSink {
  public:
    void SetCaption(const std::string& text) override {
        captions.push_back(text);
        if (control != nullptr && static_cast<int>(captions.size()) == cancelAtCaption) {
            control->RequestCancel();
        }
    }
    int Position() const override { return position; }
    void SetPosition(int p) override {
        position = p;
        positions.push_back(p);
    }

    Strings captions;
    std::vector<int> positions;
    int position = 0;
    RunControl* control = nullptr;
    int cancelAtCaption = 0;
};

// A working folder for one test, with the progress window it installs and removes.
class LinkValidatorReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(dir.path());
        App().progressWindow = &progress;
        project.SetName("Links");
        project.PrepareRunNames("Links", 0);
        project.selectedCount = 1;
    }
    void TearDown() override { App().progressWindow = nullptr; }

    std::string ReportOf(int entry) {
        return App().paths.linkValidatorDir + "/" + project.GetReportName() + "/" +
               project.GetUrl(entry)->GetLinkValidatorFile();
    }

    test::TempDir dir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").c_str()};
    RecordingProgress progress;
    Project project;
    WebFetcher fetcher;
};

std::string LinkPage(const Strings& hrefs, const std::string& extra = "") {
    std::string body = "<html><body>" + extra + "\r\n";
    for (const std::string& href : hrefs) {
        body += "<a href=\"" + href + "\">x</a>\r\n";
    }
    return HtmlPage(body + "</body></html>\r\n");
}

TEST_F(LinkValidatorReportTest, PageWithBrokenAvailableAndUnreachableRows) {
    const std::string dead = std::to_string(test::LoopbackServer::ClosedPort());
    FixtureSite site([&](const std::string& path) {
        if (path == "/index.html") {
            return LinkPage(
                {"missing.html", "about.html", "dir/x.html", "http://127.0.0.1:" + dead + "/x",
                 "http://" + site.Url("/about.html")},
                "<frameset><frame src=\"nav.html\"></frameset>");
        }
        if (path == "/nav.html") {
            return LinkPage({"about.html"});
        }
        if (path == "/missing.html") {
            return MissingPage("<h1>404 Not Found</h1>");
        }
        return HtmlPage("fine");
    });
    project.AddUrl(site.Url("/index.html"));
    EXPECT_TRUE(WriteLinkValidatorReport(project, fetcher, false));

    const std::string port = std::to_string(site.Port());
    const std::string expected =
        Replace(Replace(Read(std::string(SITEGAUGE_TEST_DATA_DIR) +
                             "/analysis/linkvalidator/expected/link-validator.html"),
                        "@PORT@", port),
                "@DEAD@", dead);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Read(ReportOf(0)), expected);
}

TEST_F(LinkValidatorReportTest, EachSiteGetsItsOwnFileAndProgressShare) {
    FixtureSite one(std::map<std::string, std::string>{{"/", LinkPage({"a.html"})},
                                                       {"/a.html", HtmlPage("a")}});
    FixtureSite two(std::map<std::string, std::string>{{"/", LinkPage({"gone.html"})}});
    FixtureSite three(std::map<std::string, std::string>{{"/", HtmlPage("no links")}});
    project.AddUrl(one.Url("/"));
    project.AddUrl(two.Url("/"));
    project.AddUrl(three.Url("/"));
    EXPECT_TRUE(WriteLinkValidatorReport(project, fetcher, true));

    EXPECT_EQ(progress.captions, (Strings{"Link Validator in progress... " + one.Url("/"),
                                          "Link Validator in progress... " + two.Url("/"),
                                          "Link Validator in progress... " + three.Url("/")}));
    EXPECT_EQ(progress.positions, (std::vector<int>{33, 66, 99}));
    const std::string first = Read(ReportOf(0)), second = Read(ReportOf(1)),
                      third = Read(ReportOf(2));
    EXPECT_NE(first.find(">" + one.Url("/a.html") + "</a>"), std::string::npos);
    EXPECT_EQ(first.find("Broken links"), std::string::npos);
    EXPECT_NE(second.find("Broken links"), std::string::npos);
    EXPECT_NE(second.find(">" + two.Url("/gone.html") + "</a>"), std::string::npos);
    EXPECT_EQ(second.find(one.Url("/a.html")), std::string::npos);
    // A page without links lists itself alone.
    EXPECT_EQ(Lines(third).size(), 8u + 1u + (3u + 2u + 1u) + 5u);
    EXPECT_NE(third.find("<tr><td><a href =http://" + three.Url("/") + ">"), std::string::npos);
    for (const std::string* page : {&first, &second, &third}) {
        EXPECT_EQ(page->substr(page->size() - 15), "</body></html>\n");
    }

    // Two analyses selected: each site gets half the bar's share.
    progress.positions.clear();
    progress.position = 0;
    project.selectedCount = 2;
    EXPECT_TRUE(WriteLinkValidatorReport(project, fetcher, false));
    EXPECT_EQ(progress.positions, (std::vector<int>{16, 32, 48}));
}

TEST_F(LinkValidatorReportTest, ACancelledRunWritesNothingMore) {
    RunControl control;
    RunControl::Scope scope(control);
    // Cancelled while the second site's crawl fetches its start page.
    FixtureSite one(std::map<std::string, std::string>{{"/", LinkPage({"a.html"})}});
    FixtureSite two([&](const std::string&) {
        control.RequestCancel();
        return LinkPage({"b.html"});
    });
    FixtureSite three(std::map<std::string, std::string>{{"/", HtmlPage("x")}});
    project.AddUrl(one.Url("/"));
    project.AddUrl(two.Url("/"));
    project.AddUrl(three.Url("/"));
    EXPECT_FALSE(WriteLinkValidatorReport(project, fetcher, false));

    EXPECT_EQ(Read(ReportOf(0)).substr(Read(ReportOf(0)).size() - 15), "</body></html>\n");
    // The second file has its header and nothing after it; the third site was not begun.
    const Strings second = Lines(Read(ReportOf(1)));
    ASSERT_EQ(second.size(), 8u);
    EXPECT_EQ(second.back().substr(0, 17), "<a href='http://1");
    EXPECT_EQ(two.CountRequests("HEAD /b.html"), 0);
    EXPECT_FALSE(FileExists(ReportOf(2)));
    EXPECT_EQ(progress.captions.size(), 2u);
}

// Past kGroupedAvailableAbove records each available link is one row with its count of pages;
// broken records stay one row each. At the bound the designed rows are kept.
TEST_F(LinkValidatorReportTest, AvailableLinksOfALargeCrawlAreListedOnceWithTheirPages) {
    for (const int pages : {kGroupedAvailableAbove - 2, kGroupedAvailableAbove}) {
        CrawlRecordList records;
        for (int n = 0; n < pages; ++n) {
            const std::string page = "host/p" + std::to_string(n) + ".html";
            // The same link, written with and without a fragment and in another case.
            records.Add(page, n % 2 == 0 ? "host/common.html#top" : "host/Common.html",
                        LinkStatus::Available, 200);
        }
        records.Add("host/p1.html", "host/gone.html", LinkStatus::Broken, 404);
        records.Add("host/p2.html", "host/gone.html", LinkStatus::Broken, 404);
        const std::string path = dir / ("tables" + std::to_string(pages) + ".html");
        WriteLinkTables(records, path);
        const std::string tables = Read(path);
        const auto count = [&](const std::string& part) {
            int found = 0;
            for (std::size_t at = tables.find(part); at != std::string::npos;
                 at = tables.find(part, at + 1)) {
                ++found;
            }
            return found;
        };
        EXPECT_EQ(count("<tr><td><a href=http://host/gone.html>host/gone.html</a></td>"), 2);
        if (records.Count() > kGroupedAvailableAbove) {
            EXPECT_EQ(count("<tr><td><a href ="), 1) << tables;
            EXPECT_NE(tables.find("<tr><td><a href =http://host/common.html#top>"
                                  "host/common.html#top</a></td>\n<td>" +
                                  std::to_string(pages) + " pages</td></tr>"),
                      std::string::npos);
        } else {
            EXPECT_EQ(count("<tr><td><a href ="), pages);
        }
    }
}

TEST_F(LinkValidatorReportTest, HostileLinkTargetsAddNoMarkup) {
    const std::string hostile =
        "<a href='x onmouseover=alert(1) '>1</a>"
        "<a href='<img src=x onerror=alert(1)'>2</a>"
        "<a href=y\"onclick=\"alert(1)>3</a>"
        "<a href='q\"><script>alert(1)</script>'>4</a>"
        "<a href=\"it's`back`.html\">5</a>"
        "<a href='/&amp;lt;img'>6</a>"
        "<frame src=<script>alert(1)</script>>";
    FixtureSite site([&](const std::string&) { return HtmlPage(hostile); });
    // The project URL itself carries a quote and a blank.
    project.AddUrl(site.Url("/a'b c.html"));
    EXPECT_TRUE(WriteLinkValidatorReport(project, fetcher, false));
    const Strings lines = Lines(Read(ReportOf(0)));
    ASSERT_GT(lines.size(), 20u);

    // Every line is a fixed fragment, or a row or site line whose values hold no character
    // that could end their attribute or open a tag.
    const std::regex row(R"(^(<tr>)?<td><a href ?=[^ <>'"`]*>[^<>'"]*</a></td>(</tr>)?$)");
    const std::regex siteLine(
        R"(^<a href='http://[^ <>'"`]*'>[^<>'"]*</a></font></b></td></tr></table></div><div align=left>$)");
    const std::string expectedShape = Read(std::string(SITEGAUGE_TEST_DATA_DIR) +
                                           "/analysis/linkvalidator/expected/link-validator.html");
    const Strings fixed = Lines(expectedShape);
    int rows = 0;
    for (const std::string& line : lines) {
        if (std::regex_match(line, row)) {
            ++rows;
        } else {
            EXPECT_TRUE(std::regex_match(line, siteLine) ||
                        std::find(fixed.begin(), fixed.end(), line) != fixed.end())
                << line;
        }
        EXPECT_EQ(line.find("<script"), std::string::npos) << line;
        EXPECT_EQ(line.find("<img src=x"), std::string::npos) << line;
    }
    // Six links, read as a browser reads them (blanks, quotes, "<" and ">" percent-encoded),
    // and the frame source "<script". The frame, served the same page, is visited first: its
    // own frame is recorded again and its six links are judged; the start page then records
    // them again. Fifteen records, two row lines each.
    EXPECT_EQ(rows, 2 * 15);
    const std::string page = Read(ReportOf(0));
    EXPECT_NE(page.find("href =http://" + site.Url("/x%20onmouseover=alert(1)")),
              std::string::npos);
    EXPECT_NE(page.find(">" + site.Url("/%3Cimg%20src=x%20onerror=alert(1)") + "</a>"),
              std::string::npos);
    EXPECT_NE(page.find(">" + site.Url("/it&#39;s%60back%60.html") + "</a>"), std::string::npos);
    // The address "/&lt;img" shows as written, and its href opens that address, not "/<img".
    std::smatch entityRow;
    ASSERT_TRUE(std::regex_search(page, entityRow,
                                  std::regex(R"(href ?=([^ >]*)>([^<]*&amp;lt;img)</a>)")));
    EXPECT_EQ(entityRow.str(2), site.Url("/&amp;lt;img"));
    EXPECT_EQ(test::BrowserAttributeValue(entityRow.str(1)), "http://" + site.Url("/&lt;img"));
}

// Links that keep "http:" somewhere pass the crawl's scheme test; whatever scheme they hide
// from it, the report's hrefs lead to http or https only, and ordinary links come out as before.
TEST_F(LinkValidatorReportTest, EveryHrefLeadsToHttpOrHttps) {
    const Strings hostile = {
        "javascript&#58;alert(1)//http:",  "vbscript&#x3A;msgbox(1)//http:",
        "&#106;avascript:alert(2)//http:", "java&Tab;script&colon;alert(3)//http:",
        "data&#58text/html,x//http:",      "file:///etc/passwd?http:",
        "site.example/go?to=http://x"};
    CrawlRecordList records;
    const LinkStatus statuses[] = {LinkStatus::Broken, LinkStatus::Available,
                                   LinkStatus::Unreachable};
    for (const LinkStatus status : statuses) {
        for (const std::string& link : hostile) {
            records.Add(link, link, status);
        }
    }
    records.Add("site.example/", "http://a.example/x", LinkStatus::Available);
    records.Add("site.example/", "https://b.example/y", LinkStatus::Available);
    records.Add("site.example/", "site.example/z.html", LinkStatus::Available);
    const std::string path = dir / "links.html";
    WriteLinkTables(records, path);

    const std::string page = Read(path);
    const std::regex href(R"(href ?=([^ >]*)>)");
    int hrefs = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), href);
         it != std::sregex_iterator(); ++it) {
        const std::string value = (*it)[1];
        const std::string scheme = test::BrowserScheme(value);
        EXPECT_TRUE(scheme == "http" || scheme == "https") << value;
        ++hrefs;
    }
    EXPECT_EQ(hrefs, 2 * (3 * 7 + 3));
    EXPECT_NE(page.find("<tr><td><a href =http://a.example/x>http://a.example/x</a></td>"),
              std::string::npos);
    EXPECT_NE(page.find("<tr><td><a href =https://b.example/y>"), std::string::npos);
    EXPECT_NE(page.find("<tr><td><a href =http://site.example/z.html>"), std::string::npos);
}

}  // namespace
}  // namespace sg
