// The Site Audit's judging at the limits of its rules: sites built by hand, each page clean but
// for what a row plants, judged by JudgeSite.

#include "analysis/audit/checks/AuditRules.h"

#include <gtest/gtest.h>

#include <functional>

namespace sg {
namespace {

using Strings = std::vector<std::string>;

constexpr std::time_t kNow = 1767225600;  // 2026-01-01 00:00:00 UTC

std::string Times(std::size_t count, std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

// Page `n` of http://t.test/, with nothing any check finds fault with.
AuditAnswer Page(int n) {
    AuditAnswer page;
    page.url = page.from = "http://t.test/" + std::to_string(n);
    page.status = 200;
    page.html = page.crawled = true;
    PageFacts& facts = page.facts;
    facts.titles = {"Title of page " + std::to_string(n) + Times(20, ".")};
    facts.descriptions = {"Description of page " + std::to_string(n) + Times(60, ".")};
    facts.h1s = {"Heading"};
    facts.words = 300;
    facts.textHash = n;
    facts.lang = facts.viewport = facts.metaCharset = true;
    return page;
}

AuditSiteData Site(std::vector<AuditAnswer> pages) {
    AuditSiteData data;
    data.siteUrl = data.root = "http://t.test/";
    data.robotsUrl = "http://t.test/robots.txt";
    data.robotsStatus = 404;
    data.sitemapFound = true;
    data.answers.assign(pages.begin(), pages.end());
    return data;
}

// "check url detail" of each finding, in order.
Strings Judged(const AuditSiteData& data) {
    Strings found;
    for (const AuditFinding& finding : JudgeSite(data, kNow).findings) {
        found.push_back(std::string(finding.check) + " " + finding.url.value_or("-") + " " +
                        finding.detail);
    }
    return found;
}

// One page, changed by `plant`.
Strings JudgedPage(const std::function<void(AuditAnswer&)>& plant) {
    AuditAnswer page = Page(1);
    plant(page);
    return Judged(Site({page}));
}

TEST(AuditRules, TitleDescriptionAndH1LengthsInCharacters) {
    struct Row {
        std::string title = Times(45, "t");
        std::string description = Times(100, "d");
        std::string h1 = "Heading";
        Strings found = {};
    };
    const std::string p = "http://t.test/1 ";
    const Row rows[] = {
        {},
        {.title = Times(60, "t")},
        {.title = Times(61, "t"), .found = {"title-too-long " + p + "61 characters"}},
        {.title = Times(30, "t")},
        {.title = Times(29, "t"), .found = {"title-too-short " + p + "29 characters"}},
        // Characters, not bytes: é is two bytes, € three.
        {.title = Times(60, "é")},
        {.title = Times(61, "é"), .found = {"title-too-long " + p + "61 characters"}},
        {.title = "", .found = {"title-missing " + p + "empty title"}},
        {.description = Times(155, "d")},
        {.description = Times(156, "d"), .found = {"description-too-long " + p + "156 characters"}},
        {.description = Times(155, "é")},
        {.description = Times(70, "d")},
        {.description = Times(69, "d"), .found = {"description-too-short " + p + "69 characters"}},
        {.h1 = Times(70, "€")},
        {.h1 = Times(71, "h"), .found = {"h1-too-long " + p + "71 characters"}},
        {.h1 = "", .found = {"h1-missing " + p + "empty h1"}},
    };
    for (const Row& row : rows) {
        const Strings found = JudgedPage([&](AuditAnswer& page) {
            page.facts.titles = {row.title};
            page.facts.descriptions = {row.description};
            page.facts.h1s = {row.h1};
        });
        EXPECT_EQ(found, row.found) << row.title << " | " << row.description << " | " << row.h1;
    }
}

TEST(AuditRules, DuplicatesAreTheExactTextOnIndexablePages) {
    struct Row {
        Strings titles;
        bool secondNoindex = false;
        Strings found = {};
    };
    const std::string title = "The same title on both pages here";
    const Row rows[] = {
        {{title, title},
         false,
         {"title-duplicate http://t.test/1 also on http://t.test/2",
          "title-duplicate http://t.test/2 also on http://t.test/1"}},
        // Letter case and punctuation make another title.
        {{title, "the same title on both pages here"}},
        {{title, "The same title on both pages, here"}},
        // A page kept out of the index shows no title.
        {{title, title}, true, {"noindex http://t.test/2 noindex"}},
    };
    for (const Row& row : rows) {
        std::vector<AuditAnswer> pages = {Page(1), Page(2)};
        for (std::size_t i = 0; i < pages.size(); ++i) {
            pages[i].facts.titles = {row.titles[i]};
            // The descriptions the same by the same rule.
            pages[i].facts.descriptions = {row.titles[i] + Times(40, ".")};
        }
        pages[1].directives.noindex = row.secondNoindex;
        // The descriptions' findings follow the titles' (the table's order).
        Strings expected = row.found;
        for (const std::string& found : row.found) {
            if (found.starts_with("title-duplicate")) {
                expected.push_back("description-duplicate" + found.substr(15));
            }
        }
        EXPECT_EQ(Judged(Site(pages)), expected) << row.titles[1];
    }
}

TEST(AuditRules, HreflangOfManyMutualAlternates) {
    // Each page names every page and an x-default; the last leaves out the first, x-default too.
    // (The scale of a large site is the benchmark's.)
    constexpr int kPages = 250;
    std::vector<PageAlternate> alternates = {{"x-default", "http://t.test/1"}};
    for (int n = 1; n <= kPages; ++n) {
        alternates.push_back({"en", "http://t.test/" + std::to_string(n)});
    }
    std::vector<AuditAnswer> pages;
    for (int n = 1; n <= kPages; ++n) {
        pages.push_back(Page(n));
        pages.back().facts.alternates = alternates;
    }
    pages.back().facts.alternates.erase(pages.back().facts.alternates.begin(),
                                        pages.back().facts.alternates.begin() + 2);
    EXPECT_EQ(Judged(Site(std::move(pages))),
              (Strings{"hreflang-no-return http://t.test/1 http://t.test/250 does not link back",
                       "hreflang-no-x-default http://t.test/250 249 alternates, no x-default"}));
}

TEST(AuditRules, SpeedAndSizesAtTheirBounds) {
    struct Row {
        std::string_view what;
        std::function<void(AuditAnswer&, AuditResource&)> plant;
        Strings found = {};
    };
    const std::string p = "http://t.test/1 ";
    const std::string r = "http://t.test/r.png ";
    const auto image = [](std::size_t bytes, std::string_view cache = "max-age=2592000") {
        return PackedTexts{"content-type: image/png", "content-length: " + std::to_string(bytes),
                           "cache-control: " + std::string(cache)};
    };
    const Row rows[] = {
        {"600 ms", [](AuditAnswer& a, AuditResource&) { a.head.firstByteMs = 600; }},
        {"601 ms",
         [](AuditAnswer& a, AuditResource&) { a.head.firstByteMs = 601; },
         {"slow-response " + p + "first byte after 601 ms"}},
        {"200 words", [](AuditAnswer& a, AuditResource&) { a.facts.words = 200; }},
        {"199 words",
         [](AuditAnswer& a, AuditResource&) { a.facts.words = 199; },
         {"thin-content " + p + "199 words"}},
        {"2 MB of HTML", [](AuditAnswer& a, AuditResource&) { a.head.bodyBytes = 2000000; }},
        {"2 MB + 1",
         [](AuditAnswer& a, AuditResource&) { a.head.bodyBytes = 2000001; },
         {"html-too-large " + p + "2000001 bytes"}},
        {"100 KB image", [&](AuditAnswer&, AuditResource& res) { res.head.lines = image(100000); }},
        {"100 KB + 1",
         [&](AuditAnswer&, AuditResource& res) { res.head.lines = image(100001); },
         {"image-too-large " + r + "100001 bytes, loaded by http://t.test/1"}},
        {"4,000 KiB with the image",
         [&](AuditAnswer& a, AuditResource&) { a.head.bytesReceived = 4096000 - 1000; }},
        {"4,000 KiB + 1",
         [&](AuditAnswer& a, AuditResource&) { a.head.bytesReceived = 4096000 - 999; },
         {"page-too-heavy " + p + "4000 KiB with 1 resources"}},
        {"1,399 bytes uncompressed",
         [](AuditAnswer& a, AuditResource&) {
             a.head.bytesReceived = 1399;
             a.head.offeredCompression = true;
             a.head.lines = {"content-type: text/html"};
         }},
        {"1,400 bytes uncompressed",
         [](AuditAnswer& a, AuditResource&) {
             a.head.bytesReceived = 1400;
             a.head.offeredCompression = true;
             a.head.lines = {"content-type: text/html"};
         },
         {"not-compressed " + p + "1400 bytes of text/html sent uncompressed"}},
        {"1,400 bytes gzipped",
         [](AuditAnswer& a, AuditResource&) {
             a.head.bytesReceived = 1400;
             a.head.offeredCompression = true;
             a.head.lines = {"content-type: text/html", "content-encoding: gzip"};
         }},
        {"cached 30 days less a second",
         [&](AuditAnswer&, AuditResource& res) { res.head.lines = image(1000, "max-age=2591999"); },
         {"short-cache-lifetime " + r + "cached for 2591999 seconds, loaded by http://t.test/1"}},
    };
    for (const Row& row : rows) {
        AuditAnswer page = Page(1);
        page.resources = {"http://t.test/r.png"};
        AuditResource resource{"http://t.test/r.png", page.url, 200, {}};
        resource.head.lines = image(1000);
        row.plant(page, resource);
        AuditSiteData site = Site({page});
        site.resources = {resource};
        EXPECT_EQ(Judged(site), row.found) << row.what;
    }
}

TEST(AuditRules, LabFiguresOverTheirBoundsOnRenderedPagesOnly) {
    struct Row {
        double lcpMs;
        double cls;
        double tbtMs;
        Strings found = {};
    };
    const std::string p = "http://t.test/1 ";
    const Row rows[] = {
        {2500, 0.1, 200},
        {2501,
         0.1001,
         201,
         {"lcp-slow " + p + "largest contentful paint after 2501 ms",
          "cls-high " + p + "cumulative layout shift 0.1001",
          "tbt-high " + p + "total blocking time 201 ms"}},
        {2500.5, 0, 0, {"lcp-slow " + p + "largest contentful paint after 2500.5 ms"}},
        // None given: nothing is judged, and no 0 stands for it.
        {-1, -1, -1},
    };
    for (const Row& row : rows) {
        const Strings found = JudgedPage([&](AuditAnswer& page) {
            auto render = std::make_shared<AuditRender>();
            render->before = {page.facts.titles[0], page.facts.descriptions[0], "Heading", "", ""};
            render->lcpMs = row.lcpMs;
            render->cls = row.cls;
            render->tbtMs = row.tbtMs;
            page.rendered = render;
        });
        EXPECT_EQ(found, row.found) << row.lcpMs << " " << row.cls << " " << row.tbtMs;
    }
}

TEST(AuditRules, HeaderNamesInAnyLetterCase) {
    struct Row {
        Strings lines;
        Strings found = {};
    };
    const std::string p = "https://t.test/1 ";
    const Row rows[] = {
        {{"strict-transport-security: max-age=31536000"}},
        {{"STRICT-TRANSPORT-SECURITY: max-age=0"}, {"hsts-missing " + p + "max-age=0"}},
        {{}, {"hsts-missing " + p + "no Strict-Transport-Security header"}},
        // The charset of the Content-Type line is enough without a meta tag.
        {{"strict-transport-security: max-age=1", "content-type: text/html; charset=utf-8"}},
    };
    for (const Row& row : rows) {
        AuditAnswer page = Page(1);
        page.url = "https://t.test/1";
        page.head.lines = PackedTexts(row.lines);
        page.facts.metaCharset = row.lines.size() < 2;
        EXPECT_EQ(Judged(Site({page})), row.found) << testing::PrintToString(row.lines);
    }
}

}  // namespace
}  // namespace sg
