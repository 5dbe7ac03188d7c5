#pragma once
// The identifiers of the Site Audit's checks, each written once: the check table (AuditChecks)
// and the rules that find them name them by these constants. kAuditCheckIds lists them in the
// table's order; AuditCheckId takes only a listed one, so a rule cannot emit an identifier the
// table lacks: it does not compile.

#include <array>
#include <cstddef>
#include <string_view>

namespace sg {

// Answers
inline constexpr std::string_view kSiteUnreachable = "site-unreachable";
inline constexpr std::string_view kStatus4xx = "status-4xx";
inline constexpr std::string_view kStatus5xx = "status-5xx";
inline constexpr std::string_view kRedirectChain = "redirect-chain";
inline constexpr std::string_view kRedirectLoop = "redirect-loop";
inline constexpr std::string_view kInternalLinkToRedirect = "internal-link-to-redirect";
// Indexing
inline constexpr std::string_view kNoindex = "noindex";
inline constexpr std::string_view kBlockedByRobots = "blocked-by-robots";
inline constexpr std::string_view kNofollow = "nofollow";
inline constexpr std::string_view kRobotsTxtUnreachable = "robots-txt-unreachable";
inline constexpr std::string_view kRobotsTxtInvalid = "robots-txt-invalid";
inline constexpr std::string_view kAiCrawlersBlocked = "ai-crawlers-blocked";
// Canonical
inline constexpr std::string_view kCanonicalInvalid = "canonical-invalid";
inline constexpr std::string_view kCanonicalElsewhere = "canonical-elsewhere";
inline constexpr std::string_view kCanonicalTargetBad = "canonical-target-bad";
// Titles
inline constexpr std::string_view kTitleMissing = "title-missing";
inline constexpr std::string_view kTitleMultiple = "title-multiple";
inline constexpr std::string_view kTitleDuplicate = "title-duplicate";
inline constexpr std::string_view kTitleTooLong = "title-too-long";
inline constexpr std::string_view kTitleTooShort = "title-too-short";
// Descriptions
inline constexpr std::string_view kDescriptionMissing = "description-missing";
inline constexpr std::string_view kDescriptionMultiple = "description-multiple";
inline constexpr std::string_view kDescriptionDuplicate = "description-duplicate";
inline constexpr std::string_view kDescriptionTooLong = "description-too-long";
inline constexpr std::string_view kDescriptionTooShort = "description-too-short";
// Headings
inline constexpr std::string_view kH1Missing = "h1-missing";
inline constexpr std::string_view kH1Multiple = "h1-multiple";
inline constexpr std::string_view kH1TooLong = "h1-too-long";
// Sitemaps
inline constexpr std::string_view kSitemapMissing = "sitemap-missing";
inline constexpr std::string_view kSitemapInvalid = "sitemap-invalid";
inline constexpr std::string_view kSitemapUrlBad = "sitemap-url-bad";
inline constexpr std::string_view kSitemapOtherHost = "sitemap-other-host";
inline constexpr std::string_view kNotInSitemap = "not-in-sitemap";
inline constexpr std::string_view kSitemapOrphan = "sitemap-orphan";
// Content
inline constexpr std::string_view kDuplicateContent = "duplicate-content";
inline constexpr std::string_view kThinContent = "thin-content";
// Scripts
inline constexpr std::string_view kContentNeedsJs = "content-needs-js";
inline constexpr std::string_view kLinksNeedJs = "links-need-js";
inline constexpr std::string_view kJsErrors = "js-errors";
// HTTPS
inline constexpr std::string_view kHttpsMissing = "https-missing";
inline constexpr std::string_view kHttpNotRedirected = "http-not-redirected";
inline constexpr std::string_view kHttpPage = "http-page";
inline constexpr std::string_view kMixedContent = "mixed-content";
inline constexpr std::string_view kHttpLinkInternal = "http-link-internal";
inline constexpr std::string_view kHstsMissing = "hsts-missing";
// Speed
inline constexpr std::string_view kSlowResponse = "slow-response";
inline constexpr std::string_view kNotCompressed = "not-compressed";
inline constexpr std::string_view kShortCacheLifetime = "short-cache-lifetime";
inline constexpr std::string_view kHtmlTooLarge = "html-too-large";
inline constexpr std::string_view kImageTooLarge = "image-too-large";
inline constexpr std::string_view kPageTooHeavy = "page-too-heavy";
inline constexpr std::string_view kLcpSlow = "lcp-slow";
inline constexpr std::string_view kClsHigh = "cls-high";
inline constexpr std::string_view kTbtHigh = "tbt-high";
// Images
inline constexpr std::string_view kImgAltMissing = "img-alt-missing";
inline constexpr std::string_view kImgAltTooLong = "img-alt-too-long";
inline constexpr std::string_view kImgSizeMissing = "img-size-missing";
// Links
inline constexpr std::string_view kLinkTextGeneric = "link-text-generic";
inline constexpr std::string_view kAnchorNotCrawlable = "anchor-not-crawlable";
// Languages
inline constexpr std::string_view kLangMissing = "lang-missing";
inline constexpr std::string_view kLangInvalid = "lang-invalid";
inline constexpr std::string_view kHreflangInvalid = "hreflang-invalid";
inline constexpr std::string_view kHreflangRelative = "hreflang-relative";
inline constexpr std::string_view kHreflangNoReturn = "hreflang-no-return";
inline constexpr std::string_view kHreflangNoXDefault = "hreflang-no-x-default";
// Documents
inline constexpr std::string_view kViewportMissing = "viewport-missing";
inline constexpr std::string_view kViewportNoZoom = "viewport-no-zoom";
inline constexpr std::string_view kStructuredDataInvalid = "structured-data-invalid";
inline constexpr std::string_view kCharsetMissing = "charset-missing";
inline constexpr std::string_view kCharsetLate = "charset-late";
inline constexpr std::string_view kDoctypeMissing = "doctype-missing";

// Every identifier, in the order of the check table, a line per category.
// clang-format off
inline constexpr std::array kAuditCheckIds = {
    kSiteUnreachable, kStatus4xx, kStatus5xx, kRedirectChain, kRedirectLoop,
    kInternalLinkToRedirect,
    kNoindex, kBlockedByRobots, kNofollow, kRobotsTxtUnreachable, kRobotsTxtInvalid,
    kAiCrawlersBlocked,
    kCanonicalInvalid, kCanonicalElsewhere, kCanonicalTargetBad,
    kTitleMissing, kTitleMultiple, kTitleDuplicate, kTitleTooLong, kTitleTooShort,
    kDescriptionMissing, kDescriptionMultiple, kDescriptionDuplicate, kDescriptionTooLong,
    kDescriptionTooShort,
    kH1Missing, kH1Multiple, kH1TooLong,
    kSitemapMissing, kSitemapInvalid, kSitemapUrlBad, kSitemapOtherHost, kNotInSitemap,
    kSitemapOrphan,
    kDuplicateContent, kThinContent,
    kContentNeedsJs, kLinksNeedJs, kJsErrors,
    kHttpsMissing, kHttpNotRedirected, kHttpPage, kMixedContent, kHttpLinkInternal, kHstsMissing,
    kSlowResponse, kNotCompressed, kShortCacheLifetime, kHtmlTooLarge, kImageTooLarge,
    kPageTooHeavy, kLcpSlow, kClsHigh, kTbtHigh,
    kImgAltMissing, kImgAltTooLong, kImgSizeMissing,
    kLinkTextGeneric, kAnchorNotCrawlable,
    kLangMissing, kLangInvalid, kHreflangInvalid, kHreflangRelative, kHreflangNoReturn, kHreflangNoXDefault,
    kViewportMissing, kViewportNoZoom, kStructuredDataInvalid, kCharsetMissing, kCharsetLate,
    kDoctypeMissing,
};
// clang-format on

// Not constexpr, and defined nowhere: reached only for an identifier kAuditCheckIds lacks, where
// it stops the compile.
std::size_t UnknownAuditCheckId();

// A listed identifier, checked when compiled, with its place in kAuditCheckIds.
class AuditCheckId {
  public:
    // Implicit, so that a rule names a check by its constant.
    consteval AuditCheckId(std::string_view id) : index_(IndexOf(id)) {}
    std::size_t Index() const { return index_; }
    std::string_view Text() const { return kAuditCheckIds[index_]; }

  private:
    static consteval std::size_t IndexOf(std::string_view id) {
        for (std::size_t i = 0; i < kAuditCheckIds.size(); ++i) {
            if (kAuditCheckIds[i] == id) {
                return i;
            }
        }
        return UnknownAuditCheckId();
    }
    std::size_t index_;
};

}  // namespace sg
