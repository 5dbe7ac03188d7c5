#pragma once
// The link authority history page: one line chart per measure (the two Common Crawl ranks,
// the Open PageRank score and rank), drawn by Chart.js from the whole history table (written
// into the page, so it opens offline), one line per site over the runs in date order, the own
// site's line thicker; ranks have 1 at the top. A table of the same figures stands under each
// chart, so the page reads without scripts; a missing figure breaks the line and its cell
// gives the reason.

#include <span>
#include <string>

#include "engines/AuthorityHistory.h"

namespace sg {

// WriteAuthorityHistoryPage's answers.
inline constexpr int kAuthorityPageWritten = 0;
inline constexpr int kAuthorityPageNoTable = 1;
inline constexpr int kAuthorityPageNotWritten = 2;

// The id of the script element holding the figures: a list of charts, each {"title",
// "reverse", "dates": [...], "series": [{"label", "own", "values": [n or null]}]}.
inline constexpr const char* kAuthorityDataId = "authority-data";

// The whole page (UTF-8); sites in order of first appearance. Every text from the rows is
// escaped.
std::string AuthorityHistoryPageText(std::span<const AuthorityHistoryRow> rows);
// Reads the table at csvPath and replaces the page at pagePath (atomically) with its page.
int WriteAuthorityHistoryPage(const std::string& csvPath, const std::string& pagePath);

}  // namespace sg
