#pragma once
// Gathers what the Site Audit's checks read about one site. The site is crawled whole by the
// Link Validator's crawl (each page once, up to the page bound), and each page's facts are read
// from the answer that crawl got, so a page is fetched once. The audit fetches besides only
// robots.txt (at the root of the host the start page ended on, redirects followed), the
// sitemaps, and the pages that a sitemap lists or a canonical link names but the crawl did not
// visit (these count against the page bound), plus a second look at a page that got no answer
// after redirects (to tell a redirect loop) or whose first byte came late, and one request of
// the root in the other scheme (https for an http site, http for an https one). A site whose
// start page gives no answer, asked twice, is asked nothing more. Progress and cancel as the
// crawl's.

#include <cstddef>
#include <string>

#include "analysis/audit/formats/Sitemap.h"
#include "analysis/audit/gather/AuditSiteData.h"
#include "analysis/crawl/CrawlManners.h"

namespace sg {

class Fetcher;

struct AuditGatherBounds {
    // Pages visited or fetched per site; 0: the program's setting (MaxPagesPerSite()).
    int maxPages = 0;
    // Sitemap files read per site (indexes and the sitemaps they list).
    std::size_t sitemapFiles = 100;
    // Addresses kept from the sitemaps per site.
    std::size_t listed = 200000;
    // Pages without an answer looked at again for a redirect loop.
    std::size_t loopProbes = 50;
    // A page whose first byte came later than this (ms) is asked once more, at most
    // slowProbes of them, so that one busy moment of the server or of this computer is not
    // taken for a slow site.
    long long slowFirstByteMs = 600;
    std::size_t slowProbes = 50;
    SitemapLimits sitemap;
    // robots.txt and the rate, as for the crawl; the pages robots.txt keeps it from are listed
    // as not asked, and the audit asks nothing else of them either.
    CrawlManners manners;
};

// The site at the project address `siteUrl`, fetched through `fetcher`. A cancelled run ends it
// early with what it has.
AuditSiteData GatherSite(Fetcher& fetcher, const std::string& siteUrl,
                         const AuditGatherBounds& bounds = {});

}  // namespace sg
