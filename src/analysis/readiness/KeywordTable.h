#pragma once
// The keyword tags table: one row per keyword phrase found in any site's keywords tag, one
// column per project URL, and in each cell the phrase's density bar for that site's page.

namespace sg {

class Project;
class UrlEntry;

// With an entry: appended to that entry's readiness report (its nested one when `nested`),
// its own column highlighted. Without one (nullptr): appended, centred and without highlight,
// to the run's summary page readinessDir/reportName/reportName.html. Reads the project's
// keyword scores, so RebuildKeywordScores must have run after the analysis.
void WriteKeywordTable(const Project& project, const UrlEntry* entry, bool nested);

}  // namespace sg
