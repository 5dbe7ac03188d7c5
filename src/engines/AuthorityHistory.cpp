#include "engines/AuthorityHistory.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "platform/FileSystem.h"
#include "reports/CsvText.h"

namespace sg {
namespace {

constexpr std::size_t kFields = 9;

std::string Number(const std::optional<std::int64_t>& value) {
    return value ? std::to_string(*value) : std::string();
}

std::string Score(const std::optional<double>& value) {
    if (!value) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *value);
    return text;
}

bool ParseNumber(const std::string& text, std::optional<std::int64_t>& value) {
    if (text.empty()) {
        return true;
    }
    std::int64_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    value = n;
    return error == std::errc() && end == text.data() + text.size() && n > 0;
}

bool ParseScore(const std::string& text, std::optional<double>& value) {
    if (text.empty()) {
        return true;
    }
    double d = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), d);
    value = d;
    return error == std::errc() && end == text.data() + text.size() && d >= 0 && d <= 10;
}

}  // namespace

std::string AuthorityHistoryCsvPath(const AppPaths& paths) {
    return paths.linkPopularityDir + "/history.csv";
}

std::string AuthorityHistoryPagePath(const AppPaths& paths) {
    return paths.linkPopularityDir + "/history.html";
}

int AppendAuthorityHistory(const std::string& path, std::span<const AuthorityHistoryRow> rows) {
    std::string records;
    for (const AuthorityHistoryRow& row : rows) {
        const SiteAuthority& a = row.authority;
        const std::string fields[kFields] = {row.date,
                                             row.site,
                                             row.own ? "own" : "",
                                             a.domain,
                                             Number(a.ccHarmonicRank),
                                             Number(a.ccPageRankRank),
                                             Score(a.oprScore),
                                             Number(a.oprRank),
                                             a.error};
        std::array<std::string_view, kFields> views;
        for (std::size_t i = 0; i < kFields; ++i) {
            views[i] = fields[i];
        }
        records += CsvRecord(views);
    }
    if (records.empty()) {
        return kAuthorityHistoryAppended;
    }
    return AppendInOneWrite(path, kAuthorityHistoryHeader, records) ? kAuthorityHistoryAppended
                                                                    : kAuthorityHistoryNotWritten;
}

std::vector<AuthorityHistoryRow> ParseAuthorityHistory(std::string_view text) {
    std::vector<AuthorityHistoryRow> rows;
    for (std::vector<std::string>& record : ParseCsv(text)) {
        if (record.size() != kFields || record[0] == "date") {
            continue;
        }
        AuthorityHistoryRow row;
        SiteAuthority& a = row.authority;
        if (!ParseNumber(record[4], a.ccHarmonicRank) ||
            !ParseNumber(record[5], a.ccPageRankRank) || !ParseScore(record[6], a.oprScore) ||
            !ParseNumber(record[7], a.oprRank)) {
            continue;
        }
        row.date = std::move(record[0]);
        row.site = std::move(record[1]);
        row.own = record[2] == "own";
        a.domain = std::move(record[3]);
        a.error = std::move(record[8]);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace sg
