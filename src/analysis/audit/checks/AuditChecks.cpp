#include "analysis/audit/checks/AuditChecks.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/audit/checks/AuditCheckIds.h"
#include "analysis/audit/checks/AuditHeaders.h"
#include "analysis/audit/checks/AuditRules.h"
#include "analysis/audit/formats/Sitemap.h"
#include "html/PageFacts.h"
#include "html/TextUtil.h"

namespace sg {
namespace {

constexpr AuditSeverity kError = AuditSeverity::Error;
constexpr AuditSeverity kWarning = AuditSeverity::Warning;
constexpr AuditSeverity kNotice = AuditSeverity::Notice;

// The units the summaries name sizes and times in; each bound is a whole number of its unit.
constexpr std::size_t kKilobyte = 1000;
constexpr std::size_t kMegabyte = 1000 * 1000;
constexpr std::size_t kKibibyte = 1024;
constexpr std::int64_t kDay = 24 * 60 * 60;
static_assert(kImageMaxBytes % kKilobyte == 0 && kHtmlMaxBytes % kMegabyte == 0 &&
              kPageMaxBytes % kKibibyte == 0 && kCacheLifetimeMin % kDay == 0);
constexpr SitemapLimits kSitemap;

std::string Number(long long value) {
    return std::to_string(value);
}

// "A, B or C"
template <std::size_t N>
std::string OneOf(const char* const (&names)[N]) {
    std::string text;
    for (std::size_t i = 0; i < N; ++i) {
        text += std::string(i == 0 ? "" : i + 1 == N ? " or " : ", ") + names[i];
    }
    return text;
}

// A row of the table; the summary is made from the rules' bounds.
struct Row {
    std::string_view id;
    AuditSeverity severity;
    std::string_view category;
    std::string summary;
};

std::vector<Row> Rows() {
    return {
        {kStatus4xx, kError, "Answers", "an internal page or link answers 400-499"},
        {kStatus5xx, kError, "Answers", "an internal page or link answers 500-599"},
        {kRedirectChain, kWarning, "Answers",
         "an internal address reaches its page through two or more redirects"},
        {kRedirectLoop, kError, "Answers",
         "an internal address redirects in a loop (or more than 5 times)"},
        {kInternalLinkToRedirect, kNotice, "Answers",
         "a page links to an internal address that redirects"},
        {kNoindex, kWarning, "Indexing",
         "a robots or googlebot meta tag or an X-Robots-Tag header says noindex or none, "
         "or an unavailable_after date has passed"},
        {kBlockedByRobots, kWarning, "Indexing", "robots.txt disallows the page for Googlebot"},
        {kNofollow, kNotice, "Indexing",
         "a robots meta tag or X-Robots-Tag header says nofollow or none"},
        {kRobotsTxtUnreachable, kError, "Indexing",
         "robots.txt answers 500-599 or not at all, so crawlers take the whole site as "
         "disallowed"},
        {kRobotsTxtInvalid, kWarning, "Indexing",
         "robots.txt has a line crawlers cannot read as the protocol intends"},
        {kAiCrawlersBlocked, kNotice, "Indexing",
         "robots.txt disallows the site to " + OneOf(kAiCrawlers)},
        {kCanonicalInvalid, kError, "Canonical",
         "the canonical link is unparsable, relative, or one of several that disagree"},
        {kCanonicalElsewhere, kNotice, "Canonical", "the canonical link names another page"},
        {kCanonicalTargetBad, kError, "Canonical",
         "the canonical page answers other than 200, redirects, or is noindex"},
        {kTitleMissing, kError, "Titles", "the page has no title or an empty one"},
        {kTitleMultiple, kWarning, "Titles", "the page has more than one title"},
        {kTitleDuplicate, kWarning, "Titles", "several indexable pages have the same title"},
        {kTitleTooLong, kWarning, "Titles",
         "the title is over " + Number(kTitleMax) + " characters"},
        {kTitleTooShort, kWarning, "Titles",
         "the title is under " + Number(kTitleMin) + " characters"},
        {kDescriptionMissing, kWarning, "Descriptions",
         "the page has no meta description or an empty one"},
        {kDescriptionMultiple, kWarning, "Descriptions",
         "the page has more than one meta description"},
        {kDescriptionDuplicate, kWarning, "Descriptions",
         "several indexable pages have the same description"},
        {kDescriptionTooLong, kWarning, "Descriptions",
         "the description is over " + Number(kDescriptionMax) + " characters"},
        {kDescriptionTooShort, kWarning, "Descriptions",
         "the description is under " + Number(kDescriptionMin) + " characters"},
        {kH1Missing, kWarning, "Headings", "the page has no h1 heading"},
        {kH1Multiple, kWarning, "Headings", "the page has more than one h1 heading"},
        {kH1TooLong, kWarning, "Headings",
         "the h1 heading is over " + Number(kH1Max) + " characters"},
        {kSitemapMissing, kNotice, "Sitemaps",
         "neither robots.txt nor /sitemap.xml names a sitemap"},
        {kSitemapInvalid, kError, "Sitemaps",
         "a sitemap cannot be read: not XML, over " + GroupedNumber(kSitemap.addresses) +
             " addresses or over " + SitemapSizeText(kSitemap.bytes)},
        {kSitemapUrlBad, kWarning, "Sitemaps",
         "a listed address does not answer 200, redirects, is noindex, blocked or "
         "canonicalised elsewhere"},
        {kNotInSitemap, kNotice, "Sitemaps", "an indexable page the crawl found is in no sitemap"},
        {kSitemapOrphan, kNotice, "Sitemaps", "a sitemap lists a page no crawled page links to"},
        {kDuplicateContent, kWarning, "Content", "indexable pages have the same visible text"},
        {kThinContent, kNotice, "Content", "the page has under " + Number(kThinWords) + " words"},
        {kHttpPage, kWarning, "HTTPS",
         "a page is served over plain http although its host answers https"},
        {kMixedContent, kError, "HTTPS",
         "an https page loads an http: resource (an error for scripts, stylesheets and "
         "frames, a warning for images and media)"},
        {kHttpLinkInternal, kNotice, "HTTPS", "an https page links to its own site over http"},
        {kHstsMissing, kNotice, "HTTPS",
         "an https page is sent without a Strict-Transport-Security header"},
        {kSlowResponse, kWarning, "Speed",
         "the first byte of a page's answer came after more than " + Number(kSlowFirstByteMs) +
             " ms"},
        {kNotCompressed, kWarning, "Speed",
         "a text answer (HTML, CSS, JavaScript, JSON, SVG) of " + GroupedNumber(kCompressMin) +
             " bytes or more is sent "
             "without gzip, br or zstd although the request offered them"},
        {kShortCacheLifetime, kNotice, "Speed",
         "an image, font, script or stylesheet may be cached for under " +
             Number(kCacheLifetimeMin / kDay) + " days"},
        {kHtmlTooLarge, kWarning, "Speed",
         "the page's HTML is over " + Number(kHtmlMaxBytes / kMegabyte) +
             " MB: search engines read only its start"},
        {kImageTooLarge, kNotice, "Speed",
         "an image is over " + Number(kImageMaxBytes / kKilobyte) + " KB"},
        {kPageTooHeavy, kNotice, "Speed",
         "the page and its resources are over " + GroupedNumber(kPageMaxBytes / kKibibyte) +
             " KiB"},
        {kImgAltMissing, kWarning, "Images", "an image has no alt attribute"},
        {kImgAltTooLong, kNotice, "Images",
         "an image's alt text is over " + Number(kAltMax) + " characters"},
        {kImgSizeMissing, kNotice, "Images",
         "an image lacks width or height, so the layout jumps as it loads"},
        {kLinkTextGeneric, kNotice, "Links",
         "a link's whole text is a generic phrase such as \"click here\" or \"more\""},
        {kAnchorNotCrawlable, kNotice, "Links",
         "an <a> element's href is empty, \"#\" or a javascript: address"},
        {kLangMissing, kNotice, "Languages", "the <html> element has no lang"},
        {kHreflangInvalid, kWarning, "Languages",
         "an hreflang code is not a language, language-region or x-default"},
        {kHreflangRelative, kWarning, "Languages",
         "an hreflang alternate is named by a relative address"},
        {kHreflangNoReturn, kWarning, "Languages", "an hreflang alternate page does not link back"},
        {kHreflangNoXDefault, kNotice, "Languages",
         "a page with hreflang alternates names no x-default"},
        {kViewportMissing, kWarning, "Documents", "the page has no <meta name=viewport>"},
        {kStructuredDataInvalid, kWarning, "Documents",
         "an application/ld+json script does not parse or lacks @context or @type"},
        {kCharsetMissing, kNotice, "Documents",
         "neither the Content-Type header nor a meta tag declares the charset"},
    };
}

// The rows, and the checks that view them; made once, never changed.
struct Table {
    std::vector<Row> rows = Rows();
    std::vector<AuditCheck> checks;

    Table() {
        for (const Row& row : rows) {
            checks.push_back({row.id, row.severity, row.category, row.summary});
        }
        // In the order of the identifiers, which the rules find checks by.
        assert(checks.size() == kAuditCheckIds.size());
        for (std::size_t i = 0; i < checks.size(); ++i) {
            assert(checks[i].id == kAuditCheckIds[i]);
        }
    }
};

const Table& TheTable() {
    static const Table table;
    return table;
}

// The charts' groups of categories, in their order.
struct ChartGroup {
    std::string_view name;
    std::array<std::string_view, 4> categories;
};
constexpr std::array kChartGroups = {
    ChartGroup{"Indexing", {"Indexing", "Canonical", "Sitemaps", ""}},
    ChartGroup{"Answers", {"Answers", "", "", ""}},
    ChartGroup{"Content", {"Titles", "Descriptions", "Headings", "Content"}},
    ChartGroup{"HTTPS", {"HTTPS", "", "", ""}},
    ChartGroup{"Speed", {"Speed", "", "", ""}},
    ChartGroup{"Images and links", {"Images", "Links", "", ""}},
    ChartGroup{"Languages and documents", {"Languages", "Documents", "", ""}},
};

}  // namespace

std::span<const AuditCheck> AuditChecks() {
    return TheTable().checks;
}

std::vector<std::string_view> AuditChartGroups() {
    std::vector<std::string_view> names;
    for (const ChartGroup& group : kChartGroups) {
        names.push_back(group.name);
    }
    return names;
}

std::size_t AuditChartGroupOf(const AuditCheck& check) {
    for (std::size_t i = 0; i < kChartGroups.size(); ++i) {
        for (std::string_view category : kChartGroups[i].categories) {
            if (!category.empty() && category == check.category) {
                return i;
            }
        }
    }
    return kChartGroups.size();
}

const AuditCheck* FindAuditCheck(std::string_view id) {
    for (const AuditCheck& check : AuditChecks()) {
        if (check.id == id) {
            return &check;
        }
    }
    return nullptr;
}

}  // namespace sg
