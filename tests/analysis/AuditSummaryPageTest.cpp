#include "analysis/AuditSummaryPage.h"

#include <gtest/gtest.h>

#include <regex>

#include "analysis/AuditSitePage.h"

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

}  // namespace
}  // namespace sg
