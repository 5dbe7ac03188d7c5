#include "analysis/audit/report/AuditSummaryPage.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "analysis/audit/report/AuditSitePage.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

AuditFinding Finding(const char* check, AuditSeverity severity, const char* url) {
    AuditFinding finding;
    finding.check = check;
    finding.severity = severity;
    if (url != nullptr) {
        finding.url = url;
    }
    finding.detail = "detail of " + std::string(check);
    return finding;
}

// The numbers of the table row that names `check`, cell by cell.
std::vector<std::string> RowCounts(const std::string& html, const std::string& check) {
    const std::size_t at = html.find("<tr><td><code>" + check + "</code>");
    if (at == std::string::npos) {
        return {};
    }
    const std::string row = html.substr(at, html.find("</tr>", at) - at);
    std::vector<std::string> counts;
    const std::regex cell("<td class=\"num[^\"]*\">(?:<a href=\"\\./([^\"]*)\">)?([0-9]+)");
    for (auto it = std::sregex_iterator(row.begin(), row.end(), cell); it != std::sregex_iterator();
         ++it) {
        counts.push_back((*it)[2].str() + ((*it)[1].matched ? " " + (*it)[1].str() : ""));
    }
    return counts;
}

TEST(AuditSummaryPage, SitesSideBySideCountPagesPerCheck) {
    AuditSite own;
    own.url = "own.example/";
    own.pages.resize(4);
    own.pages[0].indexable = true;
    own.findings = {Finding("status-4xx", AuditSeverity::Error, "own.example/gone"),
                    Finding("title-missing", AuditSeverity::Error, "own.example/a"),
                    Finding("title-missing", AuditSeverity::Error, "own.example/b"),
                    Finding("sitemap-missing", AuditSeverity::Notice, nullptr)};
    AuditSite rival;
    rival.url = "rival.example/<x>";
    rival.pages.resize(2);
    rival.findings = {
        Finding("h1-multiple", AuditSeverity::Warning, "rival.example/a"),
        // Two findings about one page count it once.
        Finding("robots-txt-invalid", AuditSeverity::Warning, "rival.example/robots.txt"),
        Finding("robots-txt-invalid", AuditSeverity::Warning, "rival.example/robots.txt"),
        Finding("title-missing", AuditSeverity::Error, "rival.example/c")};
    const std::string html =
        AuditSummaryPage({{&own, "own.html"}, {&rival, "rival.html"}}, "Shop's \"sites\"", 0);

    EXPECT_EQ(RowCounts(html, "title-missing"),
              (std::vector<std::string>{"2 own.html#check-title-missing",
                                        "1 rival.html#check-title-missing"}));
    EXPECT_EQ(RowCounts(html, "status-4xx"),
              (std::vector<std::string>{"1 own.html#check-status-4xx", "0"}));
    EXPECT_EQ(RowCounts(html, "robots-txt-invalid"),
              (std::vector<std::string>{"0", "1 rival.html#check-robots-txt-invalid"}));
    EXPECT_EQ(RowCounts(html, "sitemap-missing"),
              (std::vector<std::string>{"1 own.html#check-sitemap-missing", "0"}));
    // A check no site fails has no row, and is named as passed.
    EXPECT_TRUE(RowCounts(html, "redirect-loop").empty());
    EXPECT_NE(html.find("<code>redirect-loop</code>"), std::string::npos);
    // The totals rows and the escaped values.
    EXPECT_NE(html.find("<th scope=\"row\">Pages audited</th><td></td><td class=\"num\"><a "
                        "href=\"./own.html#pages\">4</a></td><td class=\"num\"><a "
                        "href=\"./rival.html#pages\">2</a></td>"),
              std::string::npos);
    EXPECT_NE(html.find("<th scope=\"row\">Indexable pages</th><td></td><td class=\"num\">1</td>"
                        "<td class=\"num zero\">0</td>"),
              std::string::npos);
    EXPECT_NE(html.find("rival.example/&lt;x&gt;"), std::string::npos);
    EXPECT_NE(html.find("<title>Site Audit of Shop&#39;s &quot;sites&quot;</title>"),
              std::string::npos);

    // The site page has the section every summary cell links to, and folds a long list.
    for (int i = 0; i < 12; ++i) {
        own.findings.push_back(Finding("thin-content", AuditSeverity::Notice,
                                       ("own.example/p" + std::to_string(i)).c_str()));
    }
    // A file name of the user's never reads as a scheme.
    const std::string page = AuditSitePage(own, "Shop", "javascript:alert(1);x.html", 0);
    EXPECT_NE(page.find("<a href=\"./javascript:alert(1);x.html\">"), std::string::npos);
    for (const char* check : {"status-4xx", "title-missing", "sitemap-missing", "thin-content"}) {
        EXPECT_NE(page.find("id=\"check-" + std::string(check) + "\""), std::string::npos);
    }
    EXPECT_NE(page.find("<details><summary>and 2 more</summary>"), std::string::npos);
    EXPECT_NE(page.find("<span class=\"muted\">the whole site</span>"), std::string::npos);
}

// A site that gave no answer reads "not audited", never 0%; a site without https is not said to
// pass the https checks; the own site is marked; the totals rows name their severity.
TEST(AuditSummaryPage, WhatWasNotJudgedIsNeverAPass) {
    AuditSite own;
    own.url = "own.example/";
    own.pages.resize(2);
    own.medianFirstByteMs = 120;
    own.findings = {Finding("https-missing", AuditSeverity::Warning, nullptr),
                    Finding("image-too-large", AuditSeverity::Notice, "own.example/big.png")};
    AuditSite silent;
    silent.url = "silent.example/";
    silent.unreachable = true;
    silent.pages.resize(1);
    silent.findings = {Finding("site-unreachable", AuditSeverity::Error, "silent.example/")};
    const std::string html =
        AuditSummaryPage({{&own, "own.html"}, {&silent, "silent.html"}}, "Shop", 0);
    EXPECT_EQ(RowCounts(html, "site-unreachable"),
              (std::vector<std::string>{"0", "1 silent.html#check-site-unreachable"}));
    EXPECT_NE(html.find("<th scope=\"row\">Pages audited</th><td></td><td class=\"num\"><a "
                        "href=\"./own.html#pages\">2</a></td><td class=\"num zero\">not "
                        "audited</td>"),
              std::string::npos);
    EXPECT_NE(html.find("<td class=\"num\">120 ms</td><td class=\"num zero\">not audited</td>"),
              std::string::npos);
    // The silent site's share of every chart is none, not 0.
    std::size_t shareRows = 0;
    for (std::size_t at = html.find("<tr class=\"share\">"); at != std::string::npos;
         at = html.find("<tr class=\"share\">", at + 1)) {
        const std::string row = html.substr(at, html.find("</tr>", at) - at);
        EXPECT_TRUE(row.ends_with("<td class=\"num zero\">not audited</td>")) << row;
        ++shareRows;
    }
    EXPECT_EQ(shareRows, 7u);
    EXPECT_NE(html.find("\"shares\":[0,null]"), std::string::npos);
    // Nor does the site without https get a share of https findings.
    EXPECT_NE(html.find("\"shares\":[null,null]"), std::string::npos);
    EXPECT_NE(html.find("HTTPS</th><td></td><td class=\"num\">no https</td>"), std::string::npos);
    // The https checks say nothing of a site without https: neither passed nor counted.
    const std::size_t passed = html.find("<p>Passed on every site: ");
    ASSERT_NE(passed, std::string::npos);
    const std::string passedList = html.substr(passed, html.find("</p>", passed) - passed);
    EXPECT_EQ(passedList.find("<code>http-page</code>"), std::string::npos);
    EXPECT_EQ(passedList.find("<code>hsts-missing</code>"), std::string::npos);
    EXPECT_NE(passedList.find("<code>title-missing</code>"), std::string::npos);
    // Neither site was loaded in a browser: the checks of rendered pages come first.
    EXPECT_NE(html.find("Not judged on any site: <code>content-needs-js</code>, "
                        "<code>links-need-js</code>, <code>js-errors</code>, "
                        "<code>http-not-redirected</code>"),
              std::string::npos);
    // Files are counted as files.
    EXPECT_NE(html.find("(files)</span></td>"), std::string::npos);
    EXPECT_NE(html.find("own.example/</a><br><span class=\"muted\">own site</span>"),
              std::string::npos);
    for (const char* row : {"Errors", "Warnings", "Notices"}) {
        EXPECT_NE(html.find("<th scope=\"row\">" + std::string(row) + "</th>"), std::string::npos)
            << row;
    }
    EXPECT_EQ(html.find(">Findings</th>"), std::string::npos);
    // The site's page counts a check's files as files and a finding about the site as such,
    // and says how to fix each check.
    const std::string page = AuditSitePage(own, "Shop", "s.html", 0);
    EXPECT_NE(page.find("(1 file)</span>"), std::string::npos);
    EXPECT_NE(page.find("(the whole site)</span>"), std::string::npos);
    EXPECT_EQ(page.find("(1 page)</span>"), std::string::npos);
    EXPECT_NE(page.find("<p class=\"fix\"><strong>How to fix:</strong> get a certificate"),
              std::string::npos);
}

// The lab figures exist only where a browser loaded pages: each site's medians side by side,
// "&ndash;" for a site without one, a chart of each; with no browser at all, neither rows nor
// charts, and the checks of rendered pages are not judged rather than passed.
TEST(AuditSummaryPage, LabFigureMediansOnlyWhereABrowserLoadedPages) {
    AuditSite own;
    own.url = "own.example/";
    own.pages.resize(2);
    own.pagesRendered = 2;
    own.medianLcpMs = 2501;
    own.medianCls = 0.05;
    own.medianTbtMs = -1;
    AuditSite rival;
    rival.url = "rival.example/";
    rival.pages.resize(1);
    const auto row = [](const std::string& html, const std::string& caption) {
        const std::size_t at = html.find("<tr><th scope=\"row\">" + caption + "</th><td></td>");
        return at == std::string::npos ? std::string()
                                       : html.substr(at, html.find("</tr>", at) - at);
    };
    const auto chartData = [](const std::string& html) {
        const std::string open = "id=\"audit-chart-data\">";
        const std::size_t at = html.find(open) + open.size();
        return nlohmann::json::parse(html.substr(at, html.find("</script>", at) - at));
    };
    const std::string html =
        AuditSummaryPage({{&own, "own.html"}, {&rival, "rival.html"}}, "Shop", 0);
    const std::string dash = "<td class=\"num zero\">&ndash;</td>";
    EXPECT_TRUE(row(html, "Median largest contentful paint")
                    .ends_with("<td class=\"num\">2501 ms</td>" + dash));
    EXPECT_TRUE(row(html, "Median cumulative layout shift")
                    .ends_with("<td class=\"num\">0.05</td>" + dash));
    EXPECT_TRUE(row(html, "Median total blocking time").ends_with(dash + dash));
    const nlohmann::json charts = chartData(html);
    ASSERT_EQ(charts.size(), 10u);
    EXPECT_EQ(charts[7]["title"], "Median largest contentful paint");
    EXPECT_EQ(charts[7]["medians"], nlohmann::json::parse("[2501.0, null]"));
    EXPECT_EQ(charts[8]["medians"], nlohmann::json::parse("[0.05, null]"));
    EXPECT_NE(html.find("<canvas id=\"audit-chart-9\""), std::string::npos);
    EXPECT_EQ(html.find("Not judged on any site"), std::string::npos);
    EXPECT_NE(html.find("<code>lcp-slow</code>"), std::string::npos);

    own.pagesRendered = 0;
    own.medianLcpMs = own.medianCls = -1;
    const std::string fetched =
        AuditSummaryPage({{&own, "own.html"}, {&rival, "rival.html"}}, "Shop", 0);
    EXPECT_EQ(fetched.find("Median largest contentful paint"), std::string::npos);
    EXPECT_EQ(chartData(fetched).size(), 7u);
    const std::size_t notJudged = fetched.find("<p>Not judged on any site: ");
    ASSERT_NE(notJudged, std::string::npos);
    const std::string line = fetched.substr(notJudged, fetched.find("</p>", notJudged) - notJudged);
    for (const char* check :
         {"content-needs-js", "links-need-js", "js-errors", "lcp-slow", "cls-high", "tbt-high"}) {
        EXPECT_NE(line.find("<code>" + std::string(check) + "</code>"), std::string::npos) << check;
    }
}

// The DOM headless Chromium builds of `file`; empty when it did not run. The browser gets a
// network namespace of its own, with no interface up: a local file needs none, and whatever it
// would ask of the network cannot leave the machine.
std::string ChromiumDom(const std::string& file, const std::string& profile) {
    const std::string command =
        "unshare -n timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--user-data-dir='" +
        profile + "' --dump-dom 'file://" + file + "' 2>/dev/null";
    std::string dom;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            dom.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return dom;
}

TEST(AuditSummaryPage, ChartsCompareSharesOfPagesAndTheTableReadsWithoutScripts) {
    AuditSite own;
    own.url = "own.example/";
    own.pages.resize(4);
    for (int i = 0; i < 4; ++i) {
        own.pages[i].url = "own.example/" + std::to_string(i);
    }
    own.findings = {
        Finding("mixed-content", AuditSeverity::Error, "own.example/0"),
        Finding("mixed-content", AuditSeverity::Warning, "own.example/1"),
        Finding("hsts-missing", AuditSeverity::Notice, "own.example/1"),
        // A resource is no page: it counts in its check's row, not in the share of pages.
        Finding("image-too-large", AuditSeverity::Notice, "own.example/big.png"),
        Finding("slow-response", AuditSeverity::Warning, "own.example/2")};
    AuditSite rival;
    rival.url = "rival.example/";
    rival.pages.resize(2);
    rival.pages[0].url = "rival.example/a";
    rival.pages[1].url = "rival.example/b";
    rival.findings = {Finding("hreflang-invalid", AuditSeverity::Warning, "rival.example/a"),
                      Finding("viewport-missing", AuditSeverity::Warning, "rival.example/b"),
                      Finding("img-alt-missing", AuditSeverity::Warning, "rival.example/b")};
    const std::string html =
        AuditSummaryPage({{&own, "own.html"}, {&rival, "rival.html"}}, "Shop", 0);

    EXPECT_EQ(RowCounts(html, "mixed-content"),
              (std::vector<std::string>{"2 own.html#check-mixed-content", "0"}));
    EXPECT_EQ(RowCounts(html, "image-too-large"),
              (std::vector<std::string>{"1 own.html#check-image-too-large", "0"}));
    EXPECT_EQ(RowCounts(html, "hreflang-invalid"),
              (std::vector<std::string>{"0", "1 rival.html#check-hreflang-invalid"}));

    // The shares, in the table and in the charts' data: pages with a finding of the kind.
    const auto share = [&html](const std::string& group) {
        const std::size_t at = html.find("Pages with findings: " + group + "</th>");
        return at == std::string::npos ? std::string()
                                       : html.substr(at, html.find("</tr>", at) - at);
    };
    EXPECT_NE(share("HTTPS").find("<td class=\"num\">50% <span class=\"muted\">(2)</span></td>"
                                  "<td class=\"num zero\">0% "),
              std::string::npos)
        << share("HTTPS");
    EXPECT_NE(share("Speed").find(">25% <span class=\"muted\">(1)<"), std::string::npos);
    EXPECT_NE(share("Languages and documents").find(">100% <span class=\"muted\">(2)<"),
              std::string::npos);
    const std::string open = "<script type=\"application/json\" id=\"audit-chart-data\">";
    const std::size_t data = html.find(open);
    ASSERT_NE(data, std::string::npos);
    const nlohmann::json charts = nlohmann::json::parse(
        html.substr(data + open.size(), html.find("</script>", data) - data - open.size()));
    ASSERT_EQ(charts.size(), 7u);
    EXPECT_EQ(charts[3]["title"], "HTTPS");
    EXPECT_EQ(charts[3]["shares"], nlohmann::json::parse("[50, 0]"));
    EXPECT_EQ(charts[5]["title"], "Images and links");
    EXPECT_EQ(charts[5]["shares"], nlohmann::json::parse("[0, 50]"));
    EXPECT_EQ(charts[6]["shares"], nlohmann::json::parse("[0, 100]"));

    // As a browser shows it: with scripts off the table is there and no chart is drawn; with
    // scripts on Chart.js draws each chart (it sizes the canvas). Scripts are turned off by the
    // page's own policy (Chromium's switch for it also stops --dump-dom from working).
    if (!std::filesystem::exists("/usr/bin/chromium")) {
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps --test): the summary "
                        "page was not rendered";
    }
    test::TempDir dir;
    const std::string file = dir.path() + "/summary.html";
    ASSERT_TRUE(WriteWholeFile(file, html));
    std::string withoutScripts = html;
    withoutScripts.insert(withoutScripts.find("<head>") + 6,
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src "
                          "'none'\">");
    const std::string fileOff = dir.path() + "/summary-no-scripts.html";
    ASSERT_TRUE(WriteWholeFile(fileOff, withoutScripts));
    const std::string off = ChromiumDom(fileOff, dir.path() + "/profile-off");
    ASSERT_FALSE(off.empty()) << "chromium gave no DOM";
    EXPECT_NE(off.find("<tr><td><code>mixed-content</code>"), std::string::npos);
    EXPECT_NE(off.find("<td class=\"num\"><a href=\"./own.html#check-mixed-content\">2</a></td>"),
              std::string::npos);
    EXPECT_NE(off.find(">50% <span class=\"muted\">(2)</span>"), std::string::npos);
    EXPECT_EQ(off.find("<canvas id=\"audit-chart-0\" width=\"264\" height=\"190\" role=\"img\" "
                       "aria-label=\"Share of pages with findings: Indexing\" style="),
              std::string::npos);
    const std::string on = ChromiumDom(file, dir.path() + "/profile-on");
    for (int i = 0; i < 7; ++i) {
        EXPECT_NE(on.find("<canvas id=\"audit-chart-" + std::to_string(i) + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(std::regex_search(on, std::regex("<canvas id=\"audit-chart-6\"[^>]*style=")), true)
        << "Chart.js drew no chart";
}

}  // namespace
}  // namespace sg
