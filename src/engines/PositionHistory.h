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
    // 0 when the site was not found or the engine failed.
    std::int32_t position = 0;
    // Why the engine could not be searched for the site; empty when it was searched.
    std::string error;
};

// The first record of a new table.
inline constexpr std::string_view kPositionHistoryHeader =
    "date,keyword,site,engine,position,error\r\n";
// The first record of a table written before failures were kept; such a table is still read,
// and gets the new header when a run next appends to it.
inline constexpr std::string_view kOldPositionHistoryHeader =
    "date,keyword,site,engine,position\r\n";

// AppendPositionHistory's answers.
inline constexpr int kHistoryAppended = 0;
// The table could not be opened or written; nothing of this run is in it.
inline constexpr int kHistoryNotWritten = 1;

// The rows as table records, in order; a position of 0 is an empty field.
std::string PositionHistoryRecords(std::span<const PositionHistoryRow> rows);
// Adds the rows to the table at `path` in one write, with the header first when the table is
// new; an old table's header is replaced first (its records stay as they are). No rows: nothing
// is written and the answer is kHistoryAppended.
int AppendPositionHistory(const std::string& path, std::span<const PositionHistoryRow> rows);
// The rows of a table's text in file order. The header and any record that has neither five
// fields (an old table's: no error) nor six, or whose position is neither empty nor a positive
// number, are left out.
std::vector<PositionHistoryRow> ParsePositionHistory(std::string_view text);

}  // namespace sg
