#pragma once

#include <string>

namespace sg {

// The check boxes of the Analyze dialog at the moment a run starts. The nested option is not an
// analysis of its own: it changes how the readiness and Link Validator analyses crawl. The Site
// Audit always crawls each site whole.
struct AnalysisSelection {
    bool readiness = false;
    bool linkValidator = false;
    bool linkPopularity = false;
    bool nested = false;
    bool siteAudit = false;
    // robots.txt ignored on the own site; requests per second per host (0: no limit).
    bool ignoreOwnRobots = false;
    int requestsPerSecond = 0;
    // The browser that renders the sites' pages (FindRenderBrowser); empty: pages are read as
    // fetched.
    std::string renderBrowser;

    bool AnyAnalysis() const { return readiness || linkValidator || linkPopularity || siteAudit; }
};

}  // namespace sg
