// A page that holds far more text than any reader sees: what the audit keeps of it is bounded,
// its lengths are still judged whole, and the site's page and results stay small.

#include <gtest/gtest.h>

#include "analysis/audit/checks/AuditRules.h"
#include "analysis/audit/report/AuditSitePage.h"
#include "app/ResultsJson.h"
#include "html/PageFacts.h"

namespace sg {
namespace {

using Texts = std::vector<std::string>;

std::string Times(std::size_t count, std::string_view text) {
    std::string out;
    out.reserve(count * text.size());
    for (std::size_t i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

TEST(AuditPageTextBound, HugeTextsAreKeptToTheirStartAndJudgedWhole) {
    // 300,000 characters of one, two and three bytes; 2 MiB of description; more alternates
    // than are kept, each with a long address.
    const std::string title = Times(100000, "a\xC3\xA9\xE2\x82\xAC");
    const std::string description(2u << 20, 'd');
    std::string html =
        "<!DOCTYPE html><html lang=en><head><meta charset=utf-8><meta name=viewport "
        "content=width=device-width><title>" +
        title + "</title><meta name=description content=" + description + ">";
    for (std::size_t i = 0; i < kAlternatesKept + 500; ++i) {
        html += "<link rel=alternate hreflang=en href=http://t.test/" + std::to_string(i) + "/" +
                Times(1100, "x") + ">";
    }
    html += "</head><body><h1>" + Times(5000, "\xE2\x82\xAC") + "</h1><p>" + Times(300, "word ") +
            "</p></body></html>";

    AuditAnswer page;
    page.url = page.from = "http://t.test/1";
    page.status = 200;
    page.html = page.crawled = true;
    page.facts = ReadPageFacts(html, "Content-Type: text/html; charset=utf-8");
    const PageFacts& facts = page.facts;
    // The first 1,000 characters, never cut inside a character; the lengths whole.
    EXPECT_EQ(facts.titles, (Texts{Times(333, "a\xC3\xA9\xE2\x82\xAC") + "a"}));
    EXPECT_EQ(facts.descriptions, (Texts{std::string(kPageTextKept, 'd')}));
    EXPECT_EQ(facts.h1s, (Texts{Times(kPageTextKept, "\xE2\x82\xAC")}));
    ASSERT_EQ(facts.alternates.size(), kAlternatesKept);
    EXPECT_EQ(facts.alternateCount, kAlternatesKept + 500);
    EXPECT_EQ(facts.alternates.back().href.size(), kPageTextKept);

    // Two pages of the same whole title are the same; one character more at its end is not.
    AuditAnswer same = page;
    same.url = same.from = "http://t.test/2";
    AuditAnswer longer = page;
    longer.url = longer.from = "http://t.test/3";
    longer.facts.titleSizes.characters = {300001};
    longer.facts.descriptionSizes.characters = {(2u << 20) + 1};
    longer.facts.textHash = page.facts.textHash + 1;
    AuditSiteData data;
    data.siteUrl = data.root = "http://t.test/";
    data.robotsStatus = 404;
    data.sitemapFound = true;
    data.answers = {page, same, longer};

    RunResults results;
    results.audit.push_back(JudgeSite(data, 1767225600));
    const AuditSite& site = results.audit.back();
    Texts found;
    for (const AuditFinding& finding : site.findings) {
        if (finding.url == "http://t.test/1") {
            found.push_back(std::string(finding.check) + " " + finding.detail);
        }
    }
    EXPECT_EQ(found,
              (Texts{"title-duplicate also on http://t.test/2", "title-too-long 300000 characters",
                     "description-duplicate also on http://t.test/2",
                     "description-too-long 2097152 characters", "h1-too-long 5000 characters",
                     "duplicate-content same text as http://t.test/2",
                     "hreflang-no-x-default 1500 alternates, no x-default"}));
    // Written, the three pages take a few kilobytes each, not megabytes.
    EXPECT_LT(AuditSitePage(site, "p", "summary.html", 0).size(), 100000u);
    EXPECT_LT(ResultsJson(results, ResultsKind::Audit, "p").size(), 100000u);
}

}  // namespace
}  // namespace sg
