#pragma once
// The page that ends a Site Audit run: the project's sites side by side, a column each, with
// their pages audited and indexable and, for every check that fires on any site, how many of
// each site's pages fail it (linked to that check on the site's page). The checks that no site
// fails are named below the table.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "model/AuditResults.h"

namespace sg {

struct AuditSummarySite {
    const AuditSite* site;
    // The site's page, in the same folder.
    std::string file;
};

// The whole page, UTF-8.
std::string AuditSummaryPage(const std::vector<AuditSummarySite>& sites, std::string_view project,
                             std::time_t when);

}  // namespace sg
