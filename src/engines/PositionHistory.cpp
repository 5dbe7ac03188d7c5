#include "engines/PositionHistory.h"

#include <array>
#include <charconv>

#include "platform/FileSystem.h"
#include "reports/CsvText.h"

namespace sg {
namespace {

constexpr std::size_t kFieldCount = 6;
constexpr std::size_t kOldFieldCount = 5;

// False for anything but an empty field or a number from 1 up.
bool ParsePosition(const std::string& text, std::int32_t& position) {
    position = 0;
    if (text.empty()) {
        return true;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, position);
    return error == std::errc() && stop == end && position > 0;
}

}  // namespace

std::string PositionHistoryRecords(std::span<const PositionHistoryRow> rows) {
    std::string records;
    for (const PositionHistoryRow& row : rows) {
        const std::string position = row.position > 0 ? std::to_string(row.position) : "";
        const std::array<std::string_view, kFieldCount> fields = {
            row.date, row.keyword, row.site, row.engine, position, row.error};
        records += CsvRecord(fields);
    }
    return records;
}

int AppendPositionHistory(const std::string& path, std::span<const PositionHistoryRow> rows) {
    if (rows.empty()) {
        return kHistoryAppended;
    }
    std::string existing;
    if (ReadWholeFile(path, existing) && existing.starts_with(kOldPositionHistoryHeader)) {
        existing.replace(0, kOldPositionHistoryHeader.size(), kPositionHistoryHeader);
        if (!WriteFileAtomically(path, existing)) {
            return kHistoryNotWritten;
        }
    }
    return AppendInOneWrite(path, kPositionHistoryHeader, PositionHistoryRecords(rows))
               ? kHistoryAppended
               : kHistoryNotWritten;
}

std::vector<PositionHistoryRow> ParsePositionHistory(std::string_view text) {
    std::vector<PositionHistoryRow> rows;
    for (std::vector<std::string>& record : ParseCsv(text)) {
        if ((record.size() != kFieldCount && record.size() != kOldFieldCount) ||
            record[0] == "date") {
            continue;
        }
        PositionHistoryRow row;
        if (!ParsePosition(record[4], row.position)) {
            continue;
        }
        row.date = std::move(record[0]);
        row.keyword = std::move(record[1]);
        row.site = std::move(record[2]);
        row.engine = std::move(record[3]);
        if (record.size() == kFieldCount) {
            row.error = std::move(record[5]);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace sg
