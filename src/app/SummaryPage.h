#pragma once
// The page that ends an analysis run: it names the run, lists every site of the project with a
// link to that site's report, and for Link Popularity carries that report itself.

#include <ctime>
#include <string>

#include "app/SummaryKind.h"
#include "model/Project.h"

namespace sg {

// The summary page of `kind` for the project's current report name: the run folder of the
// kind's analysis + "/" + reportName + ".html". Empty for SummaryKind::None.
std::string SummaryPagePath(const Project& project, SummaryKind kind);

// The date text of the banner: strftime's "%c" of `when` in local time, in the "C" locale so
// that the page (declared iso-8859-1) never gets a locale's multi-byte month names.
std::string SummaryDateText(std::time_t when);

// Sets pageToOpen and writes the page for `kind`, stamped with now (or `when`). Kind 1 (Link
// Popularity) creates its run folder and queries the engines while it writes their section into
// the page; kinds 3 and 4 end with the keyword tags table.
// Kind None writes nothing and leaves pageToOpen as it was.
void WriteSummaryPage(Project& project, SummaryKind kind);
void WriteSummaryPage(Project& project, SummaryKind kind, std::time_t when);

}  // namespace sg
