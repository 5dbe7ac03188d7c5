#pragma once
// The Link Validator report: one HTML file per project URL listing, after a crawl of that site,
// the broken links, the available links and the links whose server could not be reached, each
// with the page it was found on.

#include <string>

namespace sg {

class CrawlRecordList;
class Fetcher;
class Project;

// Past this many records, the Available table lists each link once with the number of pages
// that link to it; broken and unreachable records are always listed in full.
inline constexpr int kGroupedAvailableAbove = 1000;

// Writes the report of every project URL into linkValidatorDir/reportName/, advancing the
// progress bar by the run's share for each site, and keeps each site's counts on its entry
// (UrlEntry::SetLinkCounts). The crawl fetches through `fetcher`; with `followSite` it visits
// the whole site, otherwise only the start page and its frames. True when every URL was processed;
// false when the run was cancelled, after which nothing more is written.
bool WriteLinkValidatorReport(Project& project, Fetcher& fetcher, bool followSite);

// Appends the tables of the record list (broken, available, unreachable; each only when it has
// rows) to the file at `reportPath`.
void WriteLinkTables(const CrawlRecordList& records, const std::string& reportPath);

}  // namespace sg
