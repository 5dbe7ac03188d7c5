#include "analysis/audit/checks/AuditChecks.h"

#include <array>

namespace sg {
namespace {

constexpr AuditSeverity kError = AuditSeverity::Error;
constexpr AuditSeverity kWarning = AuditSeverity::Warning;
constexpr AuditSeverity kNotice = AuditSeverity::Notice;

constexpr std::array kChecks = {
    AuditCheck{"status-4xx", kError, "Answers", "an internal page or link answers 400-499"},
    AuditCheck{"status-5xx", kError, "Answers", "an internal page or link answers 500-599"},
    AuditCheck{"redirect-chain", kWarning, "Answers",
               "an internal address reaches its page through two or more redirects"},
    AuditCheck{"redirect-loop", kError, "Answers",
               "an internal address redirects in a loop (or more than 5 times)"},
    AuditCheck{"internal-link-to-redirect", kNotice, "Answers",
               "a page links to an internal address that redirects"},
    AuditCheck{"noindex", kWarning, "Indexing",
               "a robots or googlebot meta tag or an X-Robots-Tag header says noindex or none, "
               "or an unavailable_after date has passed"},
    AuditCheck{"blocked-by-robots", kWarning, "Indexing",
               "robots.txt disallows the page for Googlebot"},
    AuditCheck{"nofollow", kNotice, "Indexing",
               "a robots meta tag or X-Robots-Tag header says nofollow or none"},
    AuditCheck{"robots-txt-unreachable", kError, "Indexing",
               "robots.txt answers 500-599 or not at all, so crawlers take the whole site as "
               "disallowed"},
    AuditCheck{"robots-txt-invalid", kWarning, "Indexing",
               "robots.txt has a line crawlers cannot read as the protocol intends"},
    AuditCheck{"ai-crawlers-blocked", kNotice, "Indexing",
               "robots.txt disallows the site to GPTBot, Google-Extended, ClaudeBot, CCBot, "
               "PerplexityBot or OAI-SearchBot"},
    AuditCheck{"canonical-invalid", kError, "Canonical",
               "the canonical link is unparsable, relative, or one of several that disagree"},
    AuditCheck{"canonical-elsewhere", kNotice, "Canonical",
               "the canonical link names another page"},
    AuditCheck{"canonical-target-bad", kError, "Canonical",
               "the canonical page answers other than 200, redirects, or is noindex"},
    AuditCheck{"title-missing", kError, "Titles", "the page has no title or an empty one"},
    AuditCheck{"title-multiple", kWarning, "Titles", "the page has more than one title"},
    AuditCheck{"title-duplicate", kWarning, "Titles",
               "several indexable pages have the same title"},
    AuditCheck{"title-too-long", kWarning, "Titles", "the title is over 60 characters"},
    AuditCheck{"title-too-short", kWarning, "Titles", "the title is under 30 characters"},
    AuditCheck{"description-missing", kWarning, "Descriptions",
               "the page has no meta description or an empty one"},
    AuditCheck{"description-multiple", kWarning, "Descriptions",
               "the page has more than one meta description"},
    AuditCheck{"description-duplicate", kWarning, "Descriptions",
               "several indexable pages have the same description"},
    AuditCheck{"description-too-long", kWarning, "Descriptions",
               "the description is over 155 characters"},
    AuditCheck{"description-too-short", kWarning, "Descriptions",
               "the description is under 70 characters"},
    AuditCheck{"h1-missing", kWarning, "Headings", "the page has no h1 heading"},
    AuditCheck{"h1-multiple", kWarning, "Headings", "the page has more than one h1 heading"},
    AuditCheck{"h1-too-long", kWarning, "Headings", "the h1 heading is over 70 characters"},
    AuditCheck{"sitemap-missing", kNotice, "Sitemaps",
               "neither robots.txt nor /sitemap.xml names a sitemap"},
    AuditCheck{"sitemap-invalid", kError, "Sitemaps",
               "a sitemap cannot be read: not XML, over 50,000 addresses or over 50 MB"},
    AuditCheck{"sitemap-url-bad", kWarning, "Sitemaps",
               "a listed address does not answer 200, redirects, is noindex, blocked or "
               "canonicalised elsewhere"},
    AuditCheck{"not-in-sitemap", kNotice, "Sitemaps",
               "an indexable page the crawl found is in no sitemap"},
    AuditCheck{"sitemap-orphan", kNotice, "Sitemaps",
               "a sitemap lists a page no crawled page links to"},
    AuditCheck{"duplicate-content", kWarning, "Content",
               "indexable pages have the same visible text"},
    AuditCheck{"thin-content", kNotice, "Content", "the page has under 200 words"},
    AuditCheck{"http-page", kWarning, "HTTPS",
               "a page is served over plain http although its host answers https"},
    AuditCheck{"mixed-content", kError, "HTTPS",
               "an https page loads an http: resource (an error for scripts, stylesheets and "
               "frames, a warning for images and media)"},
    AuditCheck{"http-link-internal", kNotice, "HTTPS",
               "an https page links to its own site over http"},
    AuditCheck{"hsts-missing", kNotice, "HTTPS",
               "an https page is sent without a Strict-Transport-Security header"},
    AuditCheck{"slow-response", kWarning, "Speed",
               "the first byte of a page's answer came after more than 600 ms"},
    AuditCheck{"not-compressed", kWarning, "Speed",
               "a text answer (HTML, CSS, JavaScript, JSON, SVG) of 1,400 bytes or more is sent "
               "without gzip, br or zstd although the request offered them"},
    AuditCheck{"short-cache-lifetime", kNotice, "Speed",
               "an image, font, script or stylesheet may be cached for under 30 days"},
    AuditCheck{"html-too-large", kWarning, "Speed",
               "the page's HTML is over 2 MB: search engines read only its start"},
    AuditCheck{"image-too-large", kNotice, "Speed", "an image is over 100 KB"},
    AuditCheck{"page-too-heavy", kNotice, "Speed", "the page and its resources are over 4,000 KiB"},
    AuditCheck{"img-alt-missing", kWarning, "Images", "an image has no alt attribute"},
    AuditCheck{"img-alt-too-long", kNotice, "Images", "an image's alt text is over 100 characters"},
    AuditCheck{"img-size-missing", kNotice, "Images",
               "an image lacks width or height, so the layout jumps as it loads"},
    AuditCheck{"link-text-generic", kNotice, "Links",
               "a link's whole text is a generic phrase such as \"click here\" or \"more\""},
    AuditCheck{"anchor-not-crawlable", kNotice, "Links",
               "an <a> element's href is empty, \"#\" or a javascript: address"},
    AuditCheck{"lang-missing", kNotice, "Languages", "the <html> element has no lang"},
    AuditCheck{"hreflang-invalid", kWarning, "Languages",
               "an hreflang code is not a language, language-region or x-default"},
    AuditCheck{"hreflang-relative", kWarning, "Languages",
               "an hreflang alternate is named by a relative address"},
    AuditCheck{"hreflang-no-return", kWarning, "Languages",
               "an hreflang alternate page does not link back"},
    AuditCheck{"hreflang-no-x-default", kNotice, "Languages",
               "a page with hreflang alternates names no x-default"},
    AuditCheck{"viewport-missing", kWarning, "Documents", "the page has no <meta name=viewport>"},
    AuditCheck{"structured-data-invalid", kWarning, "Documents",
               "an application/ld+json script does not parse or lacks @context or @type"},
    AuditCheck{"charset-missing", kNotice, "Documents",
               "neither the Content-Type header nor a meta tag declares the charset"},
};

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
    return kChecks;
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
    for (const AuditCheck& check : kChecks) {
        if (check.id == id) {
            return &check;
        }
    }
    return nullptr;
}

}  // namespace sg
