#pragma once
// What the analyses of one run found, as data beside their reports: filled while the reports
// are written when a front end sets App().results, read once the run has ended. All text is
// UTF-8.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/AuditResults.h"
#include "model/LinkRecords.h"

namespace sg {

// A title, description or keywords tag of one page.
struct TagResult {
    // The content as on the page (for the meta tags without their enclosing quotes).
    std::string text;
    // The characters the report shows for it.
    std::size_t length = 0;
    std::size_t limit = 0;
    bool found = false;
    // Found and, as the report's blue says, within its limit.
    bool ok = false;
};

struct DensityResult {
    std::string keyword;
    double percent = 0.0;
};

// One analyzed page; a site's start page holds its nested sub-pages in `pages`.
struct PageReadiness {
    std::string url;
    // False when the page could not be fetched or lacks its closing head or html tag.
    bool analyzed = false;
    TagResult title;
    TagResult description;
    TagResult keywords;
    std::size_t images = 0;
    std::size_t imagesWithoutAlt = 0;
    std::vector<DensityResult> density;
    std::vector<PageReadiness> pages;
};

struct SiteLinks {
    std::string url;
    // As the crawl made them; the addresses as found on the pages (UTF-8 once written).
    LinkRecords records;
    int pagesVisited = 0;
    // The page bound stopped the crawl: pages were found that it would have visited.
    bool limitReached = false;
    // Links of pages past the per-page limit, not read.
    std::size_t linksNotRead = 0;
};

struct EngineCount {
    std::string engine;
    std::int64_t count = 0;
};

// Today's link authority of one site. A value is none when it was not looked up, failed, or
// the source does not rank the domain; `error` then says which and why.
struct SiteAuthority {
    // The registrable domain looked up.
    std::string domain;
    std::optional<std::int64_t> ccHarmonicRank;
    std::optional<std::int64_t> ccPageRankRank;
    std::optional<double> oprScore;
    std::optional<std::int64_t> oprRank;
    std::string error;
};

struct SitePopularity {
    std::string url;
    std::vector<EngineCount> counts;
    // Filled by the authority lookup after the counts; none when it did not run.
    std::optional<SiteAuthority> authority;
};

struct PositionResult {
    std::string keyword;
    std::string site;
    std::string engine;
    // None when the site was not found down to the run's depth, or when the engine failed.
    std::optional<std::int32_t> position;
    // Why the engine could not be searched for the site (a live engine's failed page); empty
    // when it was searched.
    std::string error;
};

struct RunResults {
    std::vector<PageReadiness> readiness;
    std::vector<SiteLinks> links;
    std::vector<SitePopularity> popularity;
    // The Position Analyzer's depth (0: all results).
    int depth = 0;
    std::vector<PositionResult> positions;
    std::vector<AuditSite> audit;
};

// True when a page or sub-page has a tag missing or over its limit, or an image without alt
// text. A page that could not be analyzed counts as missing its tags.
bool HasReadinessWarnings(const RunResults& results);

// True when a link is broken or unreachable.
bool HasFailedLinks(const RunResults& results);

// True when the Site Audit found something of `severity` or worse.
bool HasAuditFindings(const RunResults& results, AuditSeverity severity);

}  // namespace sg
