#include "engines/PositionHistoryPage.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/FileSystem.h"
#include "reports/ChartScript.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

// What one run says of one pair.
struct Point {
    bool searched = false;
    std::int32_t position = 0;
    std::string error;
};

struct Series {
    std::string site;
    std::string engine;
    // One per run of the keyword.
    std::vector<Point> points;
};

struct KeywordChart {
    std::string keyword;
    std::vector<std::string> dates;
    std::vector<Series> series;
    std::int32_t lowest = 1;
};

std::vector<KeywordChart> Charts(std::span<const PositionHistoryRow> rows) {
    std::vector<KeywordChart> charts;
    auto chartOf = [&charts](const std::string& keyword) -> KeywordChart& {
        for (KeywordChart& chart : charts) {
            if (chart.keyword == keyword) {
                return chart;
            }
        }
        charts.push_back({keyword, {}, {}, 1});
        return charts.back();
    };
    for (const PositionHistoryRow& row : rows) {
        KeywordChart& chart = chartOf(row.keyword);
        chart.dates.push_back(row.date);
        if (std::none_of(chart.series.begin(), chart.series.end(), [&row](const Series& s) {
                return s.site == row.site && s.engine == row.engine;
            })) {
            chart.series.push_back({row.site, row.engine, {}});
        }
    }
    for (KeywordChart& chart : charts) {
        std::sort(chart.dates.begin(), chart.dates.end());
        chart.dates.erase(std::unique(chart.dates.begin(), chart.dates.end()), chart.dates.end());
        for (Series& series : chart.series) {
            series.points.assign(chart.dates.size(), Point());
        }
    }
    for (const PositionHistoryRow& row : rows) {
        KeywordChart& chart = chartOf(row.keyword);
        const auto run = static_cast<std::size_t>(
            std::lower_bound(chart.dates.begin(), chart.dates.end(), row.date) -
            chart.dates.begin());
        for (Series& series : chart.series) {
            if (series.site != row.site || series.engine != row.engine) {
                continue;
            }
            // A pair searched twice in one run keeps its better answer: a position over a
            // failure over "not found".
            Point& kept = series.points[run];
            if (row.position > 0) {
                if (kept.position == 0 || row.position < kept.position) {
                    kept.position = row.position;
                    kept.error.clear();
                }
            } else if (!row.error.empty() && kept.position == 0) {
                kept.error = row.error;
            }
            kept.searched = true;
        }
        chart.lowest = std::max(chart.lowest, row.position);
    }
    return charts;
}

std::string ShownDate(const std::string& date) {
    std::string shown = date;
    std::replace(shown.begin(), shown.end(), 'T', ' ');
    return shown;
}

nlohmann::json ChartData(const KeywordChart& chart) {
    nlohmann::json dates = nlohmann::json::array();
    for (const std::string& date : chart.dates) {
        dates.push_back(ShownDate(date));
    }
    nlohmann::json series = nlohmann::json::array();
    for (const Series& one : chart.series) {
        nlohmann::json positions = nlohmann::json::array();
        nlohmann::json notFound = nlohmann::json::array();
        nlohmann::json failed = nlohmann::json::array();
        for (const Point& point : one.points) {
            positions.push_back(point.position > 0 ? nlohmann::json(point.position) : nullptr);
            notFound.push_back(point.searched && point.position == 0 && point.error.empty());
            failed.push_back(point.position == 0 && !point.error.empty()
                                 ? nlohmann::json(point.error)
                                 : nlohmann::json(nullptr));
        }
        series.push_back({{"label", one.site + " on " + one.engine},
                          {"positions", std::move(positions)},
                          {"notFound", std::move(notFound)},
                          {"failed", std::move(failed)}});
    }
    return {{"keyword", chart.keyword},
            {"dates", std::move(dates)},
            {"lowest", chart.lowest},
            {"series", std::move(series)}};
}

// The figures of one chart as a table: a row per pair, a column per run.
void AppendTable(std::string& page, const KeywordChart& chart) {
    page += "<table class='figures'>\n<tr><th>Site on engine</th>";
    for (const std::string& date : chart.dates) {
        page += "<th>" + ReportText(ShownDate(date)) + "</th>";
    }
    page += "</tr>\n";
    for (const Series& series : chart.series) {
        page += "<tr><th>" + ReportText(series.site) + " on " + ReportText(series.engine) + "</th>";
        for (const Point& point : series.points) {
            if (point.position > 0) {
                page += "<td>" + std::to_string(point.position) + "</td>";
            } else if (!point.error.empty()) {
                page += "<td class='failed'>failed: " + ReportText(point.error) + "</td>";
            } else if (point.searched) {
                page += "<td class='notfound'>x</td>";
            } else {
                page += "<td></td>";
            }
        }
        page += "</tr>\n";
    }
    page += "</table>\n";
}

// Draws every chart from the figures: a line per pair (null breaks it), and under the
// positions two rows of marks, "not found" (crosses) and "failed" (triangles, the reason in
// the label). The marks' datasets stay out of the legend.
constexpr std::string_view kDrawScript = R"JS(<script>
(function () {
  var colours = ['#1f77b4', '#ff7f0e', '#2ca02c', '#d62728', '#9467bd', '#8c564b', '#e377c2',
                 '#7f7f7f', '#bcbd22', '#17becf'];
  var charts = JSON.parse(document.getElementById('history-data').textContent);
  charts.forEach(function (chart, index) {
    // The two rows of marks lie apart from the positions and from each other.
    var gap = Math.max(1, Math.ceil(chart.lowest / 8));
    var notFoundRow = chart.lowest + gap, failedRow = chart.lowest + 2 * gap;
    var datasets = [];
    chart.series.forEach(function (series, s) {
      var colour = colours[s % colours.length];
      datasets.push({label: series.label, data: series.positions, borderColor: colour,
                     backgroundColor: colour, spanGaps: false, tension: 0, pointRadius: 3});
      datasets.push({label: series.label + ': not found', sgMark: true, showLine: false,
                     data: series.notFound.map(function (x) { return x ? notFoundRow : null; }),
                     borderColor: colour, backgroundColor: colour, pointStyle: 'crossRot',
                     pointRadius: 6, pointBorderWidth: 2});
      datasets.push({label: series.label + ': failed', sgMark: true, showLine: false,
                     sgReasons: series.failed,
                     data: series.failed.map(function (x) { return x !== null ? failedRow : null; }),
                     borderColor: colour, backgroundColor: colour, pointStyle: 'triangle',
                     pointRadius: 6});
    });
    new Chart(document.getElementById('chart-' + index), {
      type: 'line',
      data: {labels: chart.dates, datasets: datasets},
      options: {
        animation: false,
        responsive: false,
        scales: {
          y: {reverse: true, min: 1, max: failedRow,
              title: {display: true, text: 'Position'},
              afterBuildTicks: function (axis) {
                var ticks = axis.ticks.filter(function (t) {
                  return Number.isInteger(t.value) && t.value <= chart.lowest;
                });
                ticks.push({value: notFoundRow}, {value: failedRow});
                axis.ticks = ticks;
              },
              ticks: {callback: function (value) {
                return value === notFoundRow ? 'not found' : value === failedRow ? 'failed' : value;
              }}},
          x: {title: {display: true, text: 'Run'}}
        },
        plugins: {
          legend: {labels: {filter: function (item, data) {
            return !data.datasets[item.datasetIndex].sgMark;
          }}},
          tooltip: {callbacks: {label: function (item) {
            var set = item.dataset;
            if (set.sgReasons) { return set.label + ' (' + set.sgReasons[item.dataIndex] + ')'; }
            if (set.sgMark) { return set.label; }
            return set.label + ': ' + item.raw;
          }}}
        }
      }
    });
  });
})();
</script>
)JS";

}  // namespace

std::string PositionHistoryPageText(std::span<const PositionHistoryRow> rows) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset='utf-8'>\n"
        "<title>Position history</title>\n"
        "<style>body{font-family:Verdana,Arial,Helvetica,sans-serif;color:#245885}"
        "table.figures{border-collapse:collapse;font-size:12px;margin:8px 0 24px 0}"
        "table.figures th,table.figures td{border:1px solid #9fb8cc;padding:2px 6px}"
        "table.figures td{text-align:center}td.notfound{color:#aa0000;font-weight:bold}"
        "td.failed{color:#b05f00}</style>\n"
        "</head><body>\n<h1>Position history</h1>\n";
    const std::vector<KeywordChart> charts = Charts(rows);
    if (charts.empty()) {
        page += "<p>No Position Analyzer run has been recorded yet.</p>\n";
    } else {
        page +=
            "<p>Each line is one site on one engine, one point per run. Position 1 is at the "
            "top. A gap is a run in which the site was not found (a cross on the "
            "&quot;not found&quot; row) or in which the engine failed, so that nobody knows "
            "(a triangle on the &quot;failed&quot; row; point at it for the reason). The "
            "table under each chart holds its figures: x is not found.</p>\n";
    }
    nlohmann::json data = nlohmann::json::array();
    for (std::size_t i = 0; i < charts.size(); ++i) {
        const KeywordChart& chart = charts[i];
        page += "<h2>Searching key: " + ReportText(chart.keyword) + "</h2>\n";
        // The legend takes a line for every two pairs; the plot keeps its height under it.
        const std::size_t height = 320 + 22 * ((chart.series.size() + 1) / 2);
        page += "<canvas id='chart-" + std::to_string(i) + "' width='760' height='" +
                std::to_string(height) + "' role='img' aria-label='Positions for " +
                ReportText(chart.keyword) +
                "'>The chart needs scripts; the table below holds its figures.</canvas>\n";
        AppendTable(page, chart);
        data.push_back(ChartData(chart));
    }
    if (!charts.empty()) {
        page += "<script type='application/json' id='";
        page += kHistoryDataId;
        page += "'>";
        page +=
            ScriptElementText(data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        page += "</script>\n";
        page += ChartLibraryScript();
        page += kDrawScript;
    }
    page += "</body></html>\n";
    return page;
}

int WritePositionHistoryPage(const std::string& csvPath, const std::string& pagePath) {
    std::string table;
    if (!ReadWholeFile(csvPath, table)) {
        return kHistoryPageNoTable;
    }
    const std::vector<PositionHistoryRow> rows = ParsePositionHistory(table);
    return WriteFileAtomically(pagePath, PositionHistoryPageText(rows)) ? kHistoryPageWritten
                                                                        : kHistoryPageNotWritten;
}

}  // namespace sg
