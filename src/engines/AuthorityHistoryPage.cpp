#include "engines/AuthorityHistoryPage.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/FileSystem.h"
#include "reports/ChartScript.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

struct Measure {
    const char* title;
    bool reverse;
    // The figure of a row, as a number, when it has one.
    std::optional<double> (*value)(const SiteAuthority&);
};

template <typename T>
std::optional<double> AsDouble(const std::optional<T>& v) {
    return v ? std::optional<double>(static_cast<double>(*v)) : std::nullopt;
}

constexpr std::array<Measure, 4> kMeasures = {{
    {"Common Crawl harmonic-centrality rank", true,
     [](const SiteAuthority& a) { return AsDouble(a.ccHarmonicRank); }},
    {"Common Crawl PageRank rank", true,
     [](const SiteAuthority& a) { return AsDouble(a.ccPageRankRank); }},
    {"Open PageRank score", false, [](const SiteAuthority& a) { return AsDouble(a.oprScore); }},
    {"Open PageRank rank", true, [](const SiteAuthority& a) { return AsDouble(a.oprRank); }},
}};

struct Cell {
    std::optional<double> value;
    std::string error;
};

std::string Shown(double value, bool rank) {
    char text[32];
    std::snprintf(text, sizeof text, rank ? "%.0f" : "%.2f", value);
    return text;
}

constexpr std::string_view kDrawScript = R"JS(<script>
(function () {
  var colours = ['#1f77b4', '#ff7f0e', '#2ca02c', '#d62728', '#9467bd', '#8c564b', '#e377c2',
                 '#7f7f7f', '#bcbd22', '#17becf'];
  var charts = JSON.parse(document.getElementById('authority-data').textContent);
  charts.forEach(function (chart, index) {
    var datasets = chart.series.map(function (series, s) {
      var colour = colours[s % colours.length];
      return {label: series.label, data: series.values, borderColor: colour,
              backgroundColor: colour, spanGaps: false, tension: 0,
              borderWidth: series.own ? 4 : 2, pointRadius: series.own ? 4 : 3};
    });
    new Chart(document.getElementById('authority-' + index), {
      type: 'line',
      data: {labels: chart.dates, datasets: datasets},
      options: {
        animation: false,
        responsive: false,
        scales: {
          y: {reverse: chart.reverse, title: {display: true, text: chart.title}},
          x: {title: {display: true, text: 'Run'}}
        }
      }
    });
  });
})();
</script>
)JS";

}  // namespace

std::string AuthorityHistoryPageText(std::span<const AuthorityHistoryRow> rows) {
    std::vector<std::string> dates;
    std::vector<std::pair<std::string, bool>> sites;
    for (const AuthorityHistoryRow& row : rows) {
        dates.push_back(row.date);
        auto known = std::find_if(sites.begin(), sites.end(),
                                  [&row](const auto& s) { return s.first == row.site; });
        if (known == sites.end()) {
            sites.emplace_back(row.site, row.own);
        } else {
            known->second = known->second || row.own;
        }
    }
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());

    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset='utf-8'>\n"
        "<title>Link authority history</title>\n"
        "<style>body{font-family:Verdana,Arial,Helvetica,sans-serif;color:#245885}"
        "table.figures{border-collapse:collapse;font-size:12px;margin:8px 0 24px 0}"
        "table.figures th,table.figures td{border:1px solid #9fb8cc;padding:2px 6px}"
        "table.figures td{text-align:center}td.failed{color:#b05f00}</style>\n"
        "</head><body>\n<h1>Link authority history</h1>\n";
    if (rows.empty()) {
        page += "<p>No Link Popularity run has been recorded yet.</p>\n</body></html>\n";
        return page;
    }
    page +=
        "<p>Each line is one site, one point per Link Popularity run; the own site's line is "
        "the thicker one. For a rank, 1 is the best and at the top. A gap is a run without "
        "that figure; the table under each chart says why.</p>\n";
    nlohmann::json data = nlohmann::json::array();
    for (std::size_t m = 0; m < kMeasures.size(); ++m) {
        const Measure& measure = kMeasures[m];
        // cells[site][date]
        std::vector<std::vector<Cell>> cells(sites.size(), std::vector<Cell>(dates.size()));
        for (const AuthorityHistoryRow& row : rows) {
            const auto s = static_cast<std::size_t>(
                std::find_if(sites.begin(), sites.end(),
                             [&row](const auto& one) { return one.first == row.site; }) -
                sites.begin());
            const auto d = static_cast<std::size_t>(
                std::lower_bound(dates.begin(), dates.end(), row.date) - dates.begin());
            cells[s][d].value = measure.value(row.authority);
            cells[s][d].error = row.authority.error;
        }
        page += "<h2>" + std::string(measure.title) + "</h2>\n";
        page += "<canvas id='authority-" + std::to_string(m) +
                "' width='760' height='340' role='img' aria-label='" + measure.title +
                "'>The chart needs scripts; the table below holds its figures.</canvas>\n";
        page += "<table class='figures'>\n<tr><th>Site</th>";
        for (const std::string& date : dates) {
            std::string shown = date;
            std::replace(shown.begin(), shown.end(), 'T', ' ');
            page += "<th>" + ReportText(shown) + "</th>";
        }
        page += "</tr>\n";
        nlohmann::json series = nlohmann::json::array();
        for (std::size_t s = 0; s < sites.size(); ++s) {
            const std::string label = sites[s].first + (sites[s].second ? " (own site)" : "");
            page += "<tr><th>" + ReportText(label) + "</th>";
            nlohmann::json values = nlohmann::json::array();
            for (const Cell& cell : cells[s]) {
                if (cell.value) {
                    page += "<td>" + Shown(*cell.value, measure.reverse) + "</td>";
                    values.push_back(*cell.value);
                } else {
                    page += cell.error.empty()
                                ? "<td></td>"
                                : "<td class='failed'>" + ReportText(cell.error) + "</td>";
                    values.push_back(nullptr);
                }
            }
            page += "</tr>\n";
            series.push_back({{"label", label}, {"own", sites[s].second}, {"values", values}});
        }
        page += "</table>\n";
        nlohmann::json shownDates = nlohmann::json::array();
        for (std::string date : dates) {
            std::replace(date.begin(), date.end(), 'T', ' ');
            shownDates.push_back(date);
        }
        data.push_back({{"title", measure.title},
                        {"reverse", measure.reverse},
                        {"dates", shownDates},
                        {"series", series}});
    }
    page += "<script type='application/json' id='";
    page += kAuthorityDataId;
    page += "'>";
    page += ScriptElementText(data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    page += "</script>\n";
    page += ChartLibraryScript();
    page += kDrawScript;
    page += "</body></html>\n";
    return page;
}

int WriteAuthorityHistoryPage(const std::string& csvPath, const std::string& pagePath) {
    std::string table;
    if (!ReadWholeFile(csvPath, table)) {
        return kAuthorityPageNoTable;
    }
    const std::vector<AuthorityHistoryRow> rows = ParseAuthorityHistory(table);
    return WriteFileAtomically(pagePath, AuthorityHistoryPageText(rows)) ? kAuthorityPageWritten
                                                                         : kAuthorityPageNotWritten;
}

}  // namespace sg
