#pragma once
// The link authority of every Link Popularity run, kept in one table each run appends to
// ("Reports/Link Popularity/history.csv"): a record per site, all with the run's date. A figure
// the run did not get is an empty field, its reason in the error field.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/AppPaths.h"
#include "model/RunResults.h"

namespace sg {

struct AuthorityHistoryRow {
    // The run's local date-time, ISO 8601; the same for a whole run.
    std::string date;
    std::string site;
    bool own = false;
    SiteAuthority authority;
};

inline constexpr std::string_view kAuthorityHistoryHeader =
    "date,site,own,domain,ccHarmonicRank,ccPageRankRank,oprScore,oprRank,error\r\n";

// AppendAuthorityHistory's answers.
inline constexpr int kAuthorityHistoryAppended = 0;
inline constexpr int kAuthorityHistoryNotWritten = 1;

std::string AuthorityHistoryCsvPath(const AppPaths& paths);
std::string AuthorityHistoryPagePath(const AppPaths& paths);

// Adds the rows in one write, the header first when the table is new.
int AppendAuthorityHistory(const std::string& path, std::span<const AuthorityHistoryRow> rows);
// The rows of a table's text in file order; the header and records of another shape or with
// a figure that is not a number are left out.
std::vector<AuthorityHistoryRow> ParseAuthorityHistory(std::string_view text);

}  // namespace sg
