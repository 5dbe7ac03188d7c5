#pragma once
// A run's results of one analysis as CSV (RFC 4180): one header row, then one row per page,
// link record, site and engine count, position or audit finding; each row ends in CR LF.

#include <ostream>
#include <string>
#include <string_view>

#include "app/ResultsKind.h"
#include "model/RunResults.h"
#include "reports/CsvText.h"

namespace sg {

// The results of WriteResultsCsv.
inline constexpr int kCsvWritten = 0;
// The stream failed (it was bad or failed before or while the table was written).
inline constexpr int kCsvNotWritten = 1;

// Writes the table. The columns, in order:
//   readiness:  site,page,analyzed,title,titleLength,titleOk,description,descriptionLength,
//               descriptionOk,keywords,keywordsLength,keywordsOk,images,imagesWithoutAlt
//               (a site's own page first, page = site, then its nested sub-pages)
//   links:      site,from,link,status
//   popularity: site,engine,count
//   positions:  keyword,site,engine,position (empty when not found)
//   audit:      site,check,severity,url,detail (url empty for a finding about the whole site)
// `controls` as CsvRecord takes it: Kept for a file, AsQuestionMarks for a terminal.
// Written one record at a time: memory stays that of one record whatever the count.
int WriteResultsCsv(std::ostream& out, const RunResults& results, ResultsKind kind,
                    CsvControls controls = CsvControls::Kept);

// The same table as one string.
std::string ResultsCsv(const RunResults& results, ResultsKind kind,
                       CsvControls controls = CsvControls::Kept);

}  // namespace sg
