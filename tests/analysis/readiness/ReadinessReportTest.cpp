// The readiness report writers and the keyword tags table, end to end against loopback sites:
// whole pages compared with the expected files, the nested report's sub-pages, the progress
// shares, a cancel, and a site that tries to inject markup.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "analysis/readiness/KeywordTable.h"
#include "analysis/readiness/ReadinessReport.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "net/ConnectionSetting.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "support/FixtureSite.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;
using Pages = std::map<std::string, std::string>;

// What a writer tells the progress display.
class Progress : public ProgressSink {
  public:
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    int Position() const override { return positions.empty() ? 0 : positions.back(); }
    void SetPosition(int position) override { positions.push_back(position); }
    std::vector<std::string> captions;
    std::vector<int> positions;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// 2026-12-07, any time of day: only the folder name depends on it.
constexpr std::time_t kWhen = 1796615710;

class ReadinessReport : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(dir_.path());
        project_.PrepareRunNames("Run", kWhen);
    }
    void TearDown() override { App().progressWindow = nullptr; }

    std::string Folder() const { return App().paths.readinessDir + "/" + project_.GetReportName(); }
    std::string Read(const std::string& name) const {
        std::string text;
        ReadWholeFile(Folder() + "/" + name, text);
        return text;
    }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(Folder())) {
            names.insert(item.path().filename().string());
        }
        return names;
    }
    // The expected page with its port placeholders filled in.
    static std::string Expected(const std::string& name, const std::map<std::string, int>& ports) {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(
            std::string(SITEGAUGE_TEST_DATA_DIR) + "/analysis/readiness/expected/" + name, text))
            << name;
        for (const auto& [placeholder, port] : ports) {
            for (std::size_t at = text.find(placeholder); at != std::string::npos;
                 at = text.find(placeholder, at)) {
                text.replace(at, placeholder.size(), std::to_string(port));
            }
        }
        return text;
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    Project project_;
    WebFetcher fetcher_;
};

const std::string kOwnPage = HtmlPage(
    "<html><head><title>Alpha Widgets</title>\r\n"
    "<meta name=\"description\" content=\"Widgets for every home\">\r\n"
    "<meta name=\"keywords\" content=\"SEO, widgets;garden tools\">\r\n"
    "</head>\r\n<body><h1>Alpha</h1> widgets and SEO tips <img src=a.gif alt=\"a\">"
    "<img src=b.gif></body></html>\r\n");
const std::string kRivalPage = HtmlPage(
    "<html><head><META NAME=\"keywords\" content=\"seo, hosting\"></head>\r\n"
    "<body>cheap hosting for seo people</body></html>\r\n");

TEST_F(ReadinessReport, TwoSitesEachEndWithTheTableHighlightingTheirOwnColumn) {
    FixtureSite own(Pages{{"/", kOwnPage}});
    FixtureSite rival(Pages{{"/", kRivalPage}});
    project_.AddUrl(own.Url("/"));
    project_.AddUrl(rival.Url("/"));
    ASSERT_TRUE(WriteReadinessReport(project_, fetcher_));
    const std::map<std::string, int> ports = {{"@OWN@", own.Port()}, {"@RIVAL@", rival.Port()}};
    EXPECT_EQ(Read("127.html"), Expected("readiness-own.html", ports));
    EXPECT_EQ(Read("1270.html"), Expected("readiness-rival.html", ports));
    EXPECT_EQ(Files(), (std::set<std::string>{"127.html", "1270.html"}));
    SetConnectionsPerHost(kDefaultConnectionsPerHost);
    // The summary form: centred, no column highlighted, into the run's summary page.
    WriteKeywordTable(project_, nullptr, false);
    const std::string summary = Read(project_.GetReportName() + ".html");
    EXPECT_EQ(summary.find("<table align = 'center' border='1' cellpadding='1' cellspacing='1' "
                           "borderColor='#1c5584'>\n<caption align = 'center'>"),
              0u);
    EXPECT_EQ(summary.find("#80FFFF"), std::string::npos);
    EXPECT_TRUE(EndsWith(summary, "</tr>\n</table>\n"));
}

TEST_F(ReadinessReport, OneSiteGetsNoTableAndSitesWithoutTagsGetTheRedSentence) {
    FixtureSite site(Pages{{"/", HtmlPage("<html><head></head><body>x</body></html>")}});
    project_.AddUrl(site.Url("/"));
    ASSERT_TRUE(WriteReadinessReport(project_, fetcher_));
    EXPECT_EQ(Read("127.html").find("Keywords tags"), std::string::npos);
    project_.AddUrl(site.Url("/"));
    ASSERT_TRUE(WriteReadinessReport(project_, fetcher_));
    const std::string page = Read("127.html");
    // The file of the earlier run under the same name was replaced, not appended to.
    EXPECT_EQ(page.find("<html>", 1), std::string::npos);
    EXPECT_NE(page.find("<p align = 'center'><font face='Verdana,Arial,Helvetica' size='2' "
                        "color='red'><b>\nThere are no tags found in all sites !\n</b></font></p>\n"
                        "</td></tr>\n"),
              std::string::npos);
}

TEST_F(ReadinessReport, NestedReportGivesOnlyTheSitesHtmlPagesASubPage) {
    FixtureSite other(Pages{{"/o.html", HtmlPage("<html><head></head></html>")}});
    const std::string plain =
        HtmlPage("<html><head><title>Plain</title></head><body></body></html>");
    FixtureSite site(Pages{
        {"/", HtmlPage("<html><head><title>Nest</title><meta name=\"keywords\" content=\"nest\">"
                       "</head><body>\r\n<a href=\"a.html\">a</a> <a href=\"b.html\">b</a>\r\n"
                       "<a href=\"cgi-bin/page.html\">c</a> <a href=\"a.php\">p</a> "
                       "<a href=\"c.HTM\">C</a> <a href=\"gone.html\">g</a>\r\n"
                       "<a href=\"http://" +
                       other.Url("/o.html") + "\">o</a>\r\n</body></html>\r\n")},
        {"/a.html", HtmlPage("<html><head><title>Page A</title><meta name=keywords content=\"only "
                             "here\"></head><body><a href=\"b.html\">b</a></body></html>")},
        {"/b.html", plain},
        {"/cgi-bin/page.html", plain},
        {"/a.php", plain},
        {"/c.HTM", plain}});
    FixtureSite rival(Pages{{"/", kRivalPage}});
    project_.AddUrl(site.Url("/"));
    project_.AddUrl(rival.Url("/"));
    ASSERT_TRUE(WriteNestedReadinessReport(project_, fetcher_));
    // Records: 0 the start page, 1 a.html, 2 b.html (from a.html), 3 b.html again, 4 the
    // cgi-bin page, 5 a.php, 6 c.HTM: every HTML page the crawl visited on the site, whatever
    // its address looks like; not the missing page, not the other site's.
    EXPECT_EQ(Files(),
              (std::set<std::string>{"127.html", "1270.html", "1271-nest.html", "1272-nest.html",
                                     "1274-nest.html", "1275-nest.html", "1276-nest.html"}));
    const std::map<std::string, int> ports = {{"@SITE@", site.Port()}, {"@RIVAL@", rival.Port()}};
    EXPECT_EQ(Read("127.html"), Expected("nested-site.html", ports));
    EXPECT_EQ(Read("1271-nest.html"), Expected("nested-sub-a.html", ports));
}

// Short names 127 and 1271: record 10 of the first site and record 0 of the third both make
// "12710"; the later one must not replace the earlier analysis.
TEST_F(ReadinessReport, NestedSubPagesOfSitesWhoseNamesCollideAreAllKept) {
    std::string links;
    Pages pages;
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "p" + std::to_string(i) + ".html";
        links += "<a href=\"" + name + "\">x</a>\r\n";
        pages["/" + name] =
            HtmlPage("<html><head><title>Page " + std::to_string(i) + "</title></head></html>");
    }
    pages["/"] = HtmlPage("<html><head></head><body>\r\n" + links + "</body></html>\r\n");
    FixtureSite first(pages);
    FixtureSite rival(Pages{{"/", kRivalPage}});
    FixtureSite third(
        Pages{{"/index.html", HtmlPage("<html><head><title>Third</title></head></html>")}});
    project_.AddUrl(first.Url("/"));
    project_.AddUrl(rival.Url("/"));
    project_.AddUrl(third.Url("/index.html"));
    ASSERT_TRUE(WriteNestedReadinessReport(project_, fetcher_));
    const std::set<std::string> files = Files();
    EXPECT_EQ(files.count("12710-nest.html"), 1u);
    EXPECT_EQ(files.count("1271-0-nest.html"), 1u);
    EXPECT_NE(Read("12710-nest.html").find("Page 10"), std::string::npos);
    EXPECT_NE(Read("127.html").find("href='12710-nest.html'"), std::string::npos);
    EXPECT_NE(Read("1271.html").find("href='1271-0-nest.html'"), std::string::npos);
    EXPECT_NE(Read("1271-0-nest.html").find("Third"), std::string::npos);
}

TEST_F(ReadinessReport, EachSiteAdvancesItsShareAndACancelStopsAllWriting) {
    FixtureSite quiet(Pages{{"/", kOwnPage}});
    Project full;
    full.PrepareRunNames("Full", kWhen);
    full.selectedCount = 1;
    for (int i = 0; i < 3; ++i) {
        full.AddUrl(quiet.Url("/"));
    }
    Progress progress;
    App().progressWindow = &progress;
    ASSERT_TRUE(WriteReadinessReport(full, fetcher_));
    EXPECT_EQ(progress.positions, (std::vector<int>{33, 66, 99}));

    Progress cut;
    App().progressWindow = &cut;
    project_.selectedCount = 1;
    // The server cancels at a request of the walk's own; nothing is fetched ahead of it.
    SetConnectionsPerHost(1);
    RunControl control;
    RunControl::Scope scope(control);
    int gets = 0;
    FixtureSite site([&](const std::string& path) {
        // The analysis fetch of the second site's page cancels the run.
        if (path == "/two.html" && ++gets == 2) {
            control.RequestCancel();
        }
        return kOwnPage;
    });
    project_.AddUrl(site.Url("/one.html"));
    project_.AddUrl(site.Url("/two.html"));
    project_.AddUrl(site.Url("/three.html"));
    EXPECT_FALSE(WriteReadinessReport(project_, fetcher_));
    EXPECT_EQ(cut.positions, (std::vector<int>{33, 66}));
    EXPECT_EQ(cut.captions,
              (std::vector<std::string>{"Meta Analyzer in progress... " + site.Url("/one.html"),
                                        "Meta Analyzer in progress... " + site.Url("/two.html")}));
    // The second file ends with its URL box; neither file has a table or a footer.
    EXPECT_TRUE(EndsWith(Read("1270.html"), "/two.html</font></td></tr></tbody></table></td>\n"));
    EXPECT_EQ(Read("127.html").find("Tutorial"), std::string::npos);
    EXPECT_EQ(Files(), (std::set<std::string>{"127.html", "1270.html"}));
}

// Whether any tag of the page holds `part`.
bool InAnyTag(const std::string& page, const std::string& part) {
    for (std::size_t open = page.find('<'); open != std::string::npos;
         open = page.find('<', open + 1)) {
        const std::size_t close = page.find('>', open);
        if (page.substr(open, close - open).find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST_F(ReadinessReport, HostileValuesAddNoMarkupAndOrdinaryOnesStayAsTheyAre) {
    const std::string hostile =
        "<html><head><title>Caf&eacute; & \"Bar\" 'x' > y</title>\r\n"
        "<meta name=\"description\" content=\"x\" onmouseover=\"alert(2)\">\r\n"
        "<meta name=\"keywords\" content=\"<script src=e.js, a'b\" onerror='alert(3)', "
        "garden tools\"></head>\r\n<body><frameset><frame src='f.html?\"onload=alert(5)'>"
        "</frameset><a href='x.html onmouseover=alert(1) '>x</a>"
        "<a href=\"y.html?<img src=z onerror=alert(6)\">y</a></body></html>\r\n";
    FixtureSite site([&](const std::string&) { return HtmlPage(hostile); });
    project_.AddUrl(site.Url("/"));
    project_.AddUrl(site.Url("/"));
    ASSERT_TRUE(WriteNestedReadinessReport(project_, fetcher_));
    const std::set<std::string> files = Files();
    // Two reports, and sub-pages for the frame and both links of each site.
    EXPECT_EQ(files.size(), 8u);
    for (const std::string& name : files) {
        const std::string page = Read(name);
        EXPECT_FALSE(InAnyTag(page, "script")) << name;
        EXPECT_FALSE(InAnyTag(page, "img src=z")) << name;
        for (const char* event : {" on", "\"on", "'on"}) {
            EXPECT_FALSE(InAnyTag(page, event)) << name << " " << event;
        }
    }
    const std::string report = Read("127.html");
    EXPECT_NE(report.find(">Caf&eacute; & &quot;Bar&quot; &#39;x&#39; &gt; y\n</a>"),
              std::string::npos);
    EXPECT_NE(report.find("\ngarden tools\n - "), std::string::npos);
    EXPECT_NE(report.find(">" + site.Url("/x.html%20onmouseover=alert(1)") + "</a>"),
              std::string::npos);
}

}  // namespace
}  // namespace sg
