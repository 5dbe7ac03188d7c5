#pragma once
// The position history page: one line chart per keyword, drawn from the whole history table.
// Each site and engine pair is one coloured line; the keyword's runs are evenly spaced from
// left to right in date order; position 1 is at the top and the lowest position found for the
// keyword at the bottom. A run where the pair was not found (or not searched) breaks its line,
// and every point also gets a small circle, so a point between two gaps still shows.

#include <span>
#include <string>

#include "engines/PositionHistory.h"

namespace sg {

// The plot area inside each chart, in SVG user units: the first run lies on kHistoryPlotLeft,
// the last on kHistoryPlotRight (a single run halfway between), position 1 on kHistoryPlotTop
// and the lowest position on kHistoryPlotBottom (a keyword whose lowest is 1 has it on top).
inline constexpr double kHistoryPlotLeft = 50;
inline constexpr double kHistoryPlotRight = 610;
inline constexpr double kHistoryPlotTop = 20;
inline constexpr double kHistoryPlotBottom = 280;

// WritePositionHistoryPage's answers.
inline constexpr int kHistoryPageWritten = 0;
// The history table could not be read: the page is left as it was.
inline constexpr int kHistoryPageNoTable = 1;
// The page could not be written: an older page, if any, is left whole.
inline constexpr int kHistoryPageNotWritten = 2;

// The whole page (UTF-8) for the rows; keywords in order of first appearance, and within a
// chart the pairs in order of first appearance. Every text from the rows is escaped.
std::string PositionHistoryPageText(std::span<const PositionHistoryRow> rows);
// Reads the table at csvPath and replaces the page at pagePath with its chart page.
int WritePositionHistoryPage(const std::string& csvPath, const std::string& pagePath);

}  // namespace sg
