#pragma once
// The Site Audit of a project: for each site, a crawl of the whole site (AuditCrawl), the
// checks (AuditRules) and the site's page; then the summary page setting the sites side by side.
// Everything goes into siteAuditDir/reportName/.

#include <string>
#include <vector>

#include "model/AuditResults.h"

namespace sg {

class Fetcher;
class Project;
class UrlEntry;

// The site's page, in the run folder.
std::string SiteAuditFile(const UrlEntry& entry);

// Audits every site of the project in order, advancing the progress bar by the run's share for
// each, writes each site's page and appends its results to `sites` (and to App().results when a
// front end asks for them). True when every site was done; false when the run was cancelled,
// after which nothing more is written.
bool WriteSiteAudit(Project& project, Fetcher& fetcher, std::vector<AuditSite>& sites);

// Writes the summary page of the sites and makes it the page the run opens. Nothing is written
// once the run was cancelled.
void WriteSiteAuditSummary(Project& project, const std::vector<AuditSite>& sites);

}  // namespace sg
