#include "analysis/audit/report/AuditSummaryFacts.h"

#include <gtest/gtest.h>

#include "analysis/audit/report/AuditSummaryPage.h"

namespace sg {
namespace {

AuditFinding Finding(const char* check, AuditSeverity severity) {
    AuditFinding finding;
    finding.check = check;
    finding.severity = severity;
    finding.url = "page";
    return finding;
}

// The reader holds the writer to its words: what a summary page says is read back whole, and
// a page cut short or of another kind says nothing.
TEST(AuditSummaryFacts, ReadsBackTheSitesAndFindingsTheSummaryPageWrote) {
    AuditSite own;
    own.url = "127.0.0.1:8091/";
    own.pages.resize(3);
    own.findings = {Finding("title-missing", AuditSeverity::Error),
                    Finding("title-missing", AuditSeverity::Error),
                    Finding("h1-multiple", AuditSeverity::Warning),
                    Finding("sitemap-missing", AuditSeverity::Notice)};
    AuditSite rival;
    // Written escaped in the table and as JSON in the charts' data.
    rival.url = "rival.example/a\"b</script>&c";
    rival.pages.resize(12);
    for (int i = 0; i < 12; ++i) {
        rival.findings.push_back(Finding("h1-multiple", AuditSeverity::Warning));
    }
    const std::string page =
        AuditSummaryPage({{&own, "own.html"}, {&rival, "rival.html"}}, "Shop", 0);

    AuditSummaryFacts facts;
    ASSERT_TRUE(ReadAuditSummaryFacts(page, facts));
    EXPECT_EQ(facts.sites, (std::vector<std::string>{own.url, rival.url}));
    EXPECT_EQ(facts.findings, (std::array<std::size_t, 3>{2, 13, 1}));

    AuditSite clean;
    clean.url = "clean.example/";
    ASSERT_TRUE(
        ReadAuditSummaryFacts(AuditSummaryPage({{&clean, "clean.html"}}, "Clean", 0), facts));
    EXPECT_EQ(facts.sites, (std::vector<std::string>{"clean.example/"}));
    EXPECT_EQ(facts.findings, (std::array<std::size_t, 3>{0, 0, 0}));

    // Charts without the counts' rows (a page of another making) read as nothing, not as none.
    std::string noCounts = page;
    noCounts.replace(noCounts.find("row\">Errors"), 11, "row\">Faults");
    for (std::string_view other :
         {std::string_view(noCounts),
          std::string_view(page).substr(0, page.find("audit-chart-data") + 30),
          std::string_view("<html><body>Link Validator</body></html>"), std::string_view()}) {
        EXPECT_FALSE(ReadAuditSummaryFacts(other, facts));
        EXPECT_TRUE(facts.sites.empty());
    }
}

}  // namespace
}  // namespace sg
