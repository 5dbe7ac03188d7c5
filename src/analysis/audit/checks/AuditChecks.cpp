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
#include "html/CharsetPrescan.h"
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
static_assert(kLcpSlowAboveMs == static_cast<long long>(kLcpSlowAboveMs) &&
              kTbtHighAboveMs == static_cast<long long>(kTbtHighAboveMs));
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
    std::string_view fix;
};

std::vector<Row> Rows() {
    return {
        {kSiteUnreachable, kError, "Answers",
         "the site gave no answer at all, so nothing of it was audited",
         "check that the address is right and the site is up: open it in a browser from another "
         "network; when every site failed, check the proxy settings and this computer's "
         "connection, then run the audit again"},
        {kStatus4xx, kError, "Answers", "an internal page or link answers 400-499",
         "restore the page, or change the links to the right address, or redirect the old address "
         "to its successor with a 301"},
        {kStatus5xx, kError, "Answers", "an internal page or link answers 500-599",
         "find the fault in the server's error log and repair it; a page down on purpose should "
         "answer 503 with a Retry-After only for a short while"},
        {kRedirectChain, kWarning, "Answers",
         "an internal address reaches its page through two or more redirects",
         "let the first address redirect straight to the final one, and link to the final address"},
        {kRedirectLoop, kError, "Answers",
         "an internal address redirects in a loop (or more than 5 times)",
         "correct the redirect rules (often an http/https or slash/no-slash rule that undoes "
         "another) so that the chain ends at a page answering 200"},
        {kInternalLinkToRedirect, kNotice, "Answers",
         "a page links to an internal address that redirects",
         "change the link to the address the redirect ends at"},
        {kNoindex, kWarning, "Indexing",
         "a robots or googlebot meta tag or an X-Robots-Tag header says noindex or none, "
         "or an unavailable_after date has passed",
         "remove the directive from pages meant to be found; keep it only on pages that should "
         "stay out (search results, thank-you pages)"},
        {kBlockedByRobots, kWarning, "Indexing",
         "robots.txt disallows the page for Googlebot or Bingbot",
         "narrow or remove the Disallow rule of the crawlers named; to keep a page out of the "
         "index, let it be crawled and use noindex instead"},
        {kNofollow, kNotice, "Indexing",
         "a robots meta tag or X-Robots-Tag header says nofollow or none",
         "remove nofollow unless the page's links really should not be followed; mark single links "
         "with rel=\"nofollow\" instead"},
        {kRobotsTxtUnreachable, kError, "Indexing",
         "robots.txt answers 500-599 or not at all, so crawlers take the whole site as "
         "disallowed",
         "make /robots.txt answer 200 (or 404 if there is nothing to forbid) reliably"},
        {kRobotsTxtInvalid, kWarning, "Indexing",
         "robots.txt has a line crawlers cannot read as the protocol intends",
         "correct or remove the lines named, so that every crawler reads them alike "
         "(\"User-agent:\", \"Disallow:\", \"Allow:\", \"Sitemap:\", each with its colon)"},
        {kAiCrawlersBlocked, kNotice, "Indexing",
         "robots.txt disallows the site to " + OneOf(kAiCrawlers),
         "nothing if keeping these crawlers out is wanted; otherwise remove or narrow their groups "
         "in robots.txt"},
        {kCanonicalInvalid, kError, "Canonical",
         "the canonical link is unparsable, relative, or one of several that disagree",
         "give each page one canonical link with an absolute https:// or http:// address"},
        {kCanonicalElsewhere, kNotice, "Canonical", "the canonical link names another page",
         "nothing for a true duplicate; otherwise let the canonical link name the page itself"},
        {kCanonicalTargetBad, kError, "Canonical",
         "the canonical page answers other than 200, redirects, or is noindex",
         "name a page that answers 200 directly and is indexable"},
        {kTitleMissing, kError, "Titles", "the page has no title or an empty one",
         "give each page a title of its own that says what it holds"},
        {kTitleMultiple, kWarning, "Titles", "the page has more than one title",
         "keep one title in the head"},
        {kTitleDuplicate, kWarning, "Titles", "several indexable pages have the same title",
         "give each page a title that sets it apart"},
        {kTitleTooLong, kWarning, "Titles",
         "the title is over " + Number(kTitleMax) + " characters",
         "shorten the title, with the important words first"},
        {kTitleTooShort, kWarning, "Titles",
         "the title is under " + Number(kTitleMin) + " characters",
         "make the title more descriptive, for example with the page's subject and the site's "
         "name"},
        {kDescriptionMissing, kWarning, "Descriptions",
         "the page has no meta description or an empty one",
         "write a description of one or two sentences for each page"},
        {kDescriptionMultiple, kWarning, "Descriptions",
         "the page has more than one meta description", "keep one meta description"},
        {kDescriptionDuplicate, kWarning, "Descriptions",
         "several indexable pages have the same description", "describe each page on its own"},
        {kDescriptionTooLong, kWarning, "Descriptions",
         "the description is over " + Number(kDescriptionMax) + " characters",
         "shorten the description, with the point first"},
        {kDescriptionTooShort, kWarning, "Descriptions",
         "the description is under " + Number(kDescriptionMin) + " characters",
         "say more about the page in its description"},
        {kH1Missing, kWarning, "Headings", "the page has no h1 heading",
         "give the page one <h1> with its subject"},
        {kH1Multiple, kWarning, "Headings", "the page has more than one h1 heading",
         "keep one <h1> and make the others <h2> or lower"},
        {kH1TooLong, kWarning, "Headings",
         "the h1 heading is over " + Number(kH1Max) + " characters",
         "shorten the heading and put the rest in the text"},
        {kSitemapMissing, kNotice, "Sitemaps",
         "neither robots.txt nor /sitemap.xml names a sitemap",
         "publish a sitemap and name it in robots.txt with a Sitemap: line"},
        {kSitemapInvalid, kError, "Sitemaps",
         "a sitemap cannot be read: not XML, over " + GroupedNumber(kSitemap.addresses) +
             " addresses or over " + SitemapSizeText(kSitemap.bytes),
         "serve the sitemap with status 200 as valid XML, and split a large one into several "
         "listed by a sitemap index"},
        {kSitemapUrlBad, kWarning, "Sitemaps",
         "a listed address does not answer 200, redirects, is noindex, blocked or "
         "canonicalised elsewhere",
         "list each page at its final, indexable address, and drop the others"},
        {kSitemapOtherHost, kWarning, "Sitemaps",
         "a sitemap lists an address of another host or scheme, which engines ignore",
         "list only addresses of the sitemap's own host (and scheme); give each host a sitemap of "
         "its own"},
        {kNotInSitemap, kNotice, "Sitemaps", "an indexable page the crawl found is in no sitemap",
         "add the page to the sitemap, ideally by making the sitemap from the site's pages"},
        {kSitemapOrphan, kNotice, "Sitemaps", "a sitemap lists a page no crawled page links to",
         "link to the page from a related page, or drop it from the sitemap if it is obsolete"},
        {kDuplicateContent, kWarning, "Content", "indexable pages have the same visible text",
         "make the pages differ, redirect the copies to one, or let the copies name it with a "
         "canonical link"},
        {kThinContent, kNotice, "Content", "the page has under " + Number(kThinWords) + " words",
         "add useful text, or merge the page with a related one, or mark it noindex"},
        {kContentNeedsJs, kWarning, "Scripts",
         "a title, description, h1, canonical link or robots meta tag is absent or different "
         "before the page's scripts run",
         "put the title, description, main heading, canonical link and robots meta tag in the "
         "HTML the server sends, with the values the scripts would give them (render the page on "
         "the server or prerender it), and let scripts leave them alone: crawlers that run no "
         "scripts see only that HTML, and the others may index it before they render"},
        {kLinksNeedJs, kWarning, "Scripts", "the page has links that only its scripts add",
         "write the links as <a href> elements in the HTML the server sends (render the page on "
         "the server or prerender it), so that crawlers that run no scripts find the pages they "
         "lead to"},
        {kJsErrors, kNotice, "Scripts",
         "the page's scripts report errors in the console, or requests made for the page fail",
         "open the page with the browser's developer tools, correct the scripts that fail and the "
         "addresses that answer nothing or an error"},
        {kHttpsMissing, kWarning, "HTTPS",
         "the site is served over plain http and its host gives no answer over https",
         "get a certificate for the host (Let's Encrypt gives them free), serve the site over "
         "https, then redirect every http address to it with a 301"},
        {kHttpNotRedirected, kWarning, "HTTPS",
         "the http address of an https site does not redirect to https",
         "let the http address answer a 301 to the same address over https, for every page"},
        {kHttpPage, kWarning, "HTTPS",
         "a page is served over plain http although its host answers https",
         "redirect every http address to its https counterpart with a 301"},
        {kMixedContent, kError, "HTTPS",
         "an https page loads an http: resource (an error for scripts, stylesheets and "
         "frames, a warning for images and media)",
         "load every resource over https (or by a relative address)"},
        {kHttpLinkInternal, kNotice, "HTTPS", "an https page links to its own site over http",
         "write the links with https:// or relative"},
        {kHstsMissing, kNotice, "HTTPS",
         "an https page is sent without a Strict-Transport-Security header",
         "send Strict-Transport-Security: max-age=31536000 (a year) once the whole host works over "
         "https"},
        {kSlowResponse, kWarning, "Speed",
         "the first byte of a page's answer came after more than " + Number(kSlowFirstByteMs) +
             " ms",
         "cache pages on the server, speed up the database or code behind them, or use a faster "
         "host or a content delivery network"},
        {kNotCompressed, kWarning, "Speed",
         "a text answer (HTML, CSS, JavaScript, JSON, SVG) of " + GroupedNumber(kCompressMin) +
             " bytes or more is sent "
             "without gzip, br or zstd although the request offered them",
         "turn compression on in the web server for these types (nginx, for one, sends no gzip "
         "unless told to)"},
        {kShortCacheLifetime, kNotice, "Speed",
         "an image, font, script or stylesheet may be cached for under " +
             Number(kCacheLifetimeMin / kDay) + " days",
         "send a long max-age (say a year) for static files, and change their names when their "
         "content changes"},
        {kHtmlTooLarge, kWarning, "Speed",
         "the page's HTML is over " + Number(kHtmlMaxBytes / kMegabyte) +
             " MB: search engines read only its start",
         "move inline scripts, styles and pictures into files of their own, and split long pages"},
        {kImageTooLarge, kNotice, "Speed",
         "an image is over " + Number(kImageMaxBytes / kKilobyte) + " KB",
         "scale images to the size shown and compress them, or use WebP or AVIF"},
        {kPageTooHeavy, kNotice, "Speed",
         "the page and its resources are over " + GroupedNumber(kPageMaxBytes / kKibibyte) + " KiB",
         "trim images, scripts and fonts, and load what is below the fold later"},
        {kLcpSlow, kWarning, "Speed",
         "a rendered page's largest contentful paint comes after more than " +
             Number(static_cast<long long>(kLcpSlowAboveMs)) + " ms",
         "answer the page quickly, preload its largest image and give it the right size and "
         "compression, and keep scripts and style sheets from holding up the first paint"},
        {kClsHigh, kWarning, "Speed",
         "a rendered page's cumulative layout shift is over " + AuditFigureText(kClsHighAbove),
         "give images, videos, ads and embeds their width and height (or an aspect-ratio), and "
         "insert nothing above what is already shown"},
        {kTbtHigh, kWarning, "Speed",
         "a rendered page's total blocking time is over " +
             Number(static_cast<long long>(kTbtHighAboveMs)) + " ms",
         "split long scripts, defer those not needed at first, and drop unused third-party "
         "scripts"},
        {kImgAltMissing, kWarning, "Images", "an image has no alt attribute",
         "add an alt that says what the image shows, or alt=\"\" for a decorative one"},
        {kImgAltTooLong, kNotice, "Images",
         "an image's alt text is over " + Number(kAltMax) + " characters",
         "shorten the alt text to what the image shows; put a longer description in the text"},
        {kImgSizeMissing, kNotice, "Images",
         "an image lacks width or height, so the layout jumps as it loads",
         "give every image its width and height"},
        {kLinkTextGeneric, kNotice, "Links",
         "a link's whole text is a generic phrase such as \"click here\" or \"more\"",
         "let the link text name its target"},
        {kAnchorNotCrawlable, kNotice, "Links",
         "an <a> element has a javascript: href, or an onclick but no href",
         "give the link the address of its target in href, or use a <button> for an action"},
        {kLangMissing, kNotice, "Languages", "the <html> element has no lang",
         "add lang with the page's language, such as <html lang=\"en\">"},
        {kLangInvalid, kWarning, "Languages",
         "the <html> element's lang is not a valid language code",
         "write a language code such as en, en-GB, pt-BR or zh-Hant (not a language's name such as "
         "english)"},
        {kHreflangInvalid, kWarning, "Languages",
         "an hreflang code is not a language, language-region or x-default",
         "use codes such as en, en-GB, zh-Hant-TW or x-default (en-UK is not one; the region is "
         "GB)"},
        {kHreflangRelative, kWarning, "Languages",
         "an hreflang alternate is named by a relative address", "write the full https:// address"},
        {kHreflangNoReturn, kWarning, "Languages", "an hreflang alternate page does not link back",
         "let every language version list all the others, itself included"},
        {kHreflangNoXDefault, kNotice, "Languages",
         "a page with hreflang alternates names no x-default",
         "add an alternate with hreflang=\"x-default\" naming the version for everyone else (often "
         "a language chooser or the English page)"},
        {kViewportMissing, kWarning, "Documents", "the page has no <meta name=viewport>",
         "add <meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"},
        {kViewportNoZoom, kWarning, "Documents",
         "the viewport forbids zooming (user-scalable=no, or a maximum-scale under " +
             Number(kViewportMinMaxScale) + ")",
         "remove user-scalable=no and any maximum-scale under 5 from the viewport, so that readers "
         "can zoom"},
        {kStructuredDataInvalid, kWarning, "Documents",
         "an application/ld+json script does not parse or lacks @context or @type",
         "correct the JSON and give each object its @context (such as https://schema.org) and "
         "@type"},
        {kCharsetMissing, kNotice, "Documents",
         "neither the Content-Type header nor a meta tag declares the charset",
         "send Content-Type: text/html; charset=utf-8 or put <meta charset=\"utf-8\"> first in the "
         "head"},
        {kCharsetLate, kWarning, "Documents",
         "the charset is declared by a meta tag after the first " +
             GroupedNumber(kCharsetPrescanBytes) + " bytes, where browsers no longer look",
         "move <meta charset=\"utf-8\"> to the very start of the head, or send the charset in the "
         "Content-Type header"},
        {kDoctypeMissing, kWarning, "Documents",
         "the page does not begin with a doctype, so browsers render it in quirks mode",
         "begin the page with <!DOCTYPE html>"},
    };
}

// The rows, and the checks that view them; made once, never changed.
struct Table {
    std::vector<Row> rows = Rows();
    std::vector<AuditCheck> checks;

    Table() {
        for (const Row& row : rows) {
            checks.push_back({row.id, row.severity, row.category, row.summary, row.fix});
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
    // Content only scripts give is content crawlers that run none never index.
    ChartGroup{"Indexing", {"Indexing", "Canonical", "Sitemaps", "Scripts"}},
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

bool AuditCheckNeedsBrowser(std::string_view id) {
    for (std::string_view browser :
         {kContentNeedsJs, kLinksNeedJs, kJsErrors, kLcpSlow, kClsHigh, kTbtHigh}) {
        if (id == browser) {
            return true;
        }
    }
    return false;
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
