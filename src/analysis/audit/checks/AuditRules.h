#pragma once
// The Site Audit's judgement of one site: from what was gathered (AuditSiteData), each page's
// state (indexable, or why not) and every finding of the checks of AuditChecks.h. No network,
// no files: the same data always gives the same result.

#include <ctime>
#include <string>
#include <vector>

#include "analysis/audit/gather/AuditSiteData.h"
#include "model/AuditResults.h"

namespace sg {

// The pages (in the order of data.answers) and the findings (grouped by check in the table's
// order, each check's in page order). `now` decides whether an unavailable_after date has
// passed. Linear in the number of pages, links and listed addresses.
AuditSite JudgeSite(const AuditSiteData& data, std::time_t now);

// The AI crawlers whose blocking ai-crawlers-blocked reports, in the order it names them.
inline constexpr const char* kAiCrawlers[] = {"GPTBot", "Google-Extended", "ClaudeBot",
                                              "CCBot",  "PerplexityBot",   "OAI-SearchBot"};

// Title, description and heading bounds, in characters.
inline constexpr std::size_t kTitleMax = 60;
inline constexpr std::size_t kTitleMin = 30;
inline constexpr std::size_t kDescriptionMax = 155;
inline constexpr std::size_t kDescriptionMin = 70;
inline constexpr std::size_t kH1Max = 70;
// Speed: the first byte of an answer later than this; HTML larger than this (2 MB); an image
// larger than this (100 KB); a page and its resources heavier than this (4,000 KiB).
inline constexpr long long kSlowFirstByteMs = 600;
inline constexpr std::size_t kHtmlMaxBytes = 2000000;
inline constexpr std::size_t kImageMaxBytes = 100000;
inline constexpr std::size_t kPageMaxBytes = 4000u * 1024u;
// Lab figures of a rendered page over these are poor, as web.dev rates them: the largest
// contentful paint (ms), the cumulative layout shift, the total blocking time (ms).
inline constexpr double kLcpSlowAboveMs = 2500;
inline constexpr double kClsHighAbove = 0.1;
inline constexpr double kTbtHighAboveMs = 200;
// A viewport's maximum-scale under this forbids the zoom readers need.
inline constexpr int kViewportMinMaxScale = 5;
// Fewer visible words than this is thin content.
inline constexpr std::size_t kThinWords = 200;

}  // namespace sg
