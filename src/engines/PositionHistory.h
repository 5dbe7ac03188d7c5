#pragma once
// The positions of every Position Analyzer run, kept in one table that each finished run
// appends to: a record per keyword, site and checked engine, all with the run's date.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

struct PositionHistoryRow {
    // The run's local date-time, ISO 8601 ("2026-12-08T03:58:05"); the same for a whole run.
    std::string date;
    std::string keyword;
    std::string site;
    std::string engine;
    // 0 when the site was not found.
    std::int32_t position = 0;
};

// The first record of a new table.
inline constexpr std::string_view kPositionHistoryHeader = "date,keyword,site,engine,position\r\n";

// AppendPositionHistory's answers.
inline constexpr int kHistoryAppended = 0;
// The table could not be opened or written; nothing of this run is in it.
inline constexpr int kHistoryNotWritten = 1;

// The rows as table records, in order; a position of 0 is an empty field.
std::string PositionHistoryRecords(std::span<const PositionHistoryRow> rows);
// Adds the rows to the table at `path` in one write, with the header first when the table is
// new. No rows: nothing is written and the answer is kHistoryAppended.
int AppendPositionHistory(const std::string& path, std::span<const PositionHistoryRow> rows);
// The rows of a table's text in file order. The header and any record that has not five fields
// or whose position is neither empty nor a positive number are left out.
std::vector<PositionHistoryRow> ParsePositionHistory(std::string_view text);

}  // namespace sg
