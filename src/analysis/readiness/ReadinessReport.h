#pragma once
// The Search Engine Readiness reports: one HTML file per project URL in
// readinessDir/reportName/, each analyzing the page at that URL and, when the project has more
// than one URL, ending with the keyword tags table that compares all sites. The nested report
// also crawls each site and analyzes every reachable page of it on a sub-page of its own.

namespace sg {

class Fetcher;
class Project;

// The single report, into each entry's readinessFile, its pages fetched through `fetcher`. The
// entry's phrases and densities are replaced by those of its page. True when every URL was
// processed; false when the run was cancelled, after which nothing more is written.
bool WriteReadinessReport(Project& project, Fetcher& fetcher);

// The nested report, into each entry's nestedReadinessFile, with the sub-pages
// shortName + n + "-nest.html" beside it, n being the position in the crawl's record list of
// the first available record of the page; where that name was already given to a sub-page of an
// earlier site of the run, a "-" goes before n (shortName + "-" + n + "-nest.html"). A page gets a
// sub-page when its link holds the site URL, no "cgi" and ".htm" (exact case). Only the project
// URLs' pages feed the keyword table.
bool WriteNestedReadinessReport(Project& project, Fetcher& fetcher);

}  // namespace sg
