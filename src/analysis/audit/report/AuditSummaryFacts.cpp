#include "analysis/audit/report/AuditSummaryFacts.h"

#include <optional>

#include <nlohmann/json.hpp>

#include "model/AuditResults.h"

namespace sg {
namespace {

// The chart data holds the sites' addresses as written, without the escaping of the table.
constexpr std::string_view kChartData =
    "<script type=\"application/json\" id=\"audit-chart-data\">";
constexpr std::string_view kScriptEnd = "</script>";

std::vector<std::string> ChartSites(std::string_view page) {
    const std::size_t start = page.find(kChartData);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t from = start + kChartData.size();
    const std::size_t end = page.find(kScriptEnd, from);
    if (end == std::string_view::npos) {
        return {};
    }
    const nlohmann::json charts =
        nlohmann::json::parse(page.substr(from, end - from), nullptr, false);
    if (!charts.is_array() || charts.empty() || !charts[0].contains("sites") ||
        !charts[0]["sites"].is_array()) {
        return {};
    }
    std::vector<std::string> sites;
    for (const nlohmann::json& site : charts[0]["sites"]) {
        if (site.is_string()) {
            sites.push_back(site.get<std::string>());
        }
    }
    return sites;
}

// The sum of the number cells of the row of `severity` ("Errors", ...).
std::optional<std::size_t> FindingsOf(std::string_view page, AuditSeverity severity) {
    const std::string name(AuditSeverityName(severity));
    const std::string row = "<tr><th scope=\"row\">" + std::string(AuditSeverityHeading(severity)) +
                            "</th><td><span class=\"badge " + name + "\">" + name + "</span></td>";
    const std::size_t start = page.find(row);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t end = page.find("</tr>", start);
    const std::string_view cells = page.substr(
        start + row.size(), end == std::string_view::npos ? 0 : end - start - row.size());
    std::size_t total = 0;
    for (std::size_t at = cells.find("<td class=\"num"); at != std::string_view::npos;
         at = cells.find("<td class=\"num", at + 1)) {
        std::size_t digit = cells.find('>', at);
        // A count may be a link to the check on the site's page.
        if (digit != std::string_view::npos && cells.substr(digit + 1, 2) == "<a") {
            digit = cells.find('>', digit + 1);
        }
        std::size_t count = 0;
        for (std::size_t i = digit == std::string_view::npos ? cells.size() : digit + 1;
             i < cells.size() && cells[i] >= '0' && cells[i] <= '9'; ++i) {
            count = count * 10 + static_cast<std::size_t>(cells[i] - '0');
        }
        total += count;
    }
    return total;
}

}  // namespace

bool ReadAuditSummaryFacts(std::string_view page, AuditSummaryFacts& facts) {
    facts = AuditSummaryFacts();
    facts.sites = ChartSites(page);
    if (facts.sites.empty()) {
        return false;
    }
    for (AuditSeverity severity :
         {AuditSeverity::Error, AuditSeverity::Warning, AuditSeverity::Notice}) {
        std::optional<std::size_t> found = FindingsOf(page, severity);
        // A page of another making has no such counts: nothing read, rather than none found.
        if (!found) {
            facts = AuditSummaryFacts();
            return false;
        }
        facts.findings[static_cast<std::size_t>(severity)] = *found;
    }
    return true;
}

}  // namespace sg
