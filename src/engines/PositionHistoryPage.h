#pragma once
// The position history page: one line chart per keyword, drawn from the whole history table by
// Chart.js (written into the page, so it opens offline), with a table of the same figures under
// each chart, so the page reads without scripts. Each site and engine pair is one coloured
// line over the keyword's runs in date order, position 1 at the top. A run where the pair was
// not found breaks its line and is marked with a cross on the "not found" row under the
// positions; a run where the engine failed breaks it too and is marked with a triangle on the
// "failed" row, its reason in the point's label; a run that did not search the pair leaves a
// plain gap.

#include <span>
#include <string>

#include "engines/PositionHistory.h"

namespace sg {

// WritePositionHistoryPage's answers.
inline constexpr int kHistoryPageWritten = 0;
// The history table could not be read: the page is left as it was.
inline constexpr int kHistoryPageNoTable = 1;
// The page could not be written: an older page, if any, is left whole.
inline constexpr int kHistoryPageNotWritten = 2;

// The id of the script element that holds the charts' figures as JSON: a list of charts, each
// {"keyword", "dates": [...], "lowest", "series": [{"label", "positions": [n or null],
// "notFound": [bool], "failed": [reason or null]}]}.
inline constexpr const char* kHistoryDataId = "history-data";

// The whole page (UTF-8) for the rows; keywords in order of first appearance, and within a
// chart the pairs in order of first appearance. Every text from the rows is escaped.
std::string PositionHistoryPageText(std::span<const PositionHistoryRow> rows);
// Reads the table at csvPath and replaces the page at pagePath with its chart page.
int WritePositionHistoryPage(const std::string& csvPath, const std::string& pagePath);

}  // namespace sg
