#pragma once
// The Site Audit's page of one site: its totals, its findings grouped by severity (each check
// with the count of its pages and the pages themselves, a long list folded after the first
// kShownPages), and a table of every page audited.

#include <cstddef>
#include <ctime>
#include <iosfwd>
#include <string>
#include <string_view>

#include "model/AuditResults.h"

namespace sg {

inline constexpr std::size_t kShownPages = 10;

// Writes the page, UTF-8, piece by piece (a site of many pages is never one string in memory).
// `summaryFile` is the run's summary page, in the same folder.
void WriteAuditSitePage(std::ostream& out, const AuditSite& site, std::string_view project,
                        std::string_view summaryFile, std::time_t when);
// The whole page as one string.
std::string AuditSitePage(const AuditSite& site, std::string_view project,
                          std::string_view summaryFile, std::time_t when);

}  // namespace sg
