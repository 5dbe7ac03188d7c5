#include "engines/PositionHistoryPage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

constexpr int kChartWidth = 640;
constexpr int kChartHeight = 320;
// At most this many position labels and run labels, so that they never overlap.
constexpr std::int32_t kMostPositionLabels = 6;
constexpr std::size_t kMostRunLabels = 6;

// Colours far enough apart to tell the lines from one another; they repeat after ten pairs.
constexpr std::array<std::string_view, 10> kColours = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                                       "#9467bd", "#8c564b", "#e377c2", "#7f7f7f",
                                                       "#bcbd22", "#17becf"};

struct Series {
    std::string site;
    std::string engine;
    // One per run of the keyword; 0 where not found.
    std::vector<std::int32_t> positions;
};

struct KeywordChart {
    std::string keyword;
    std::vector<std::string> dates;
    std::vector<Series> series;
    std::int32_t lowest = 1;
};

// One decimal at most, and none when it is 0, so that coordinates read as they were meant.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string number = text;
    if (number.size() > 2 && number.ends_with(".0")) {
        number.resize(number.size() - 2);
    }
    return number == "-0" ? "0" : number;
}

double RunX(std::size_t index, std::size_t count) {
    if (count < 2) {
        return (kHistoryPlotLeft + kHistoryPlotRight) / 2;
    }
    return kHistoryPlotLeft + (kHistoryPlotRight - kHistoryPlotLeft) * static_cast<double>(index) /
                                  static_cast<double>(count - 1);
}

double PositionY(std::int32_t position, std::int32_t lowest) {
    if (lowest < 2) {
        return kHistoryPlotTop;
    }
    return kHistoryPlotTop + (kHistoryPlotBottom - kHistoryPlotTop) *
                                 static_cast<double>(position - 1) /
                                 static_cast<double>(lowest - 1);
}

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
            series.positions.assign(chart.dates.size(), 0);
        }
    }
    for (const PositionHistoryRow& row : rows) {
        if (row.position <= 0) {
            continue;
        }
        KeywordChart& chart = chartOf(row.keyword);
        const auto run = static_cast<std::size_t>(
            std::lower_bound(chart.dates.begin(), chart.dates.end(), row.date) -
            chart.dates.begin());
        for (Series& series : chart.series) {
            // A pair found twice in one run keeps its better place.
            std::int32_t& kept = series.positions[run];
            if (series.site == row.site && series.engine == row.engine &&
                (kept == 0 || row.position < kept)) {
                kept = row.position;
            }
        }
        chart.lowest = std::max(chart.lowest, row.position);
    }
    return charts;
}

void AppendAxes(std::string& page, const KeywordChart& chart) {
    const std::string left = Number(kHistoryPlotLeft);
    const std::string right = Number(kHistoryPlotRight);
    const std::int32_t step = std::max<std::int32_t>(
        1, (chart.lowest - 1 + kMostPositionLabels - 2) / (kMostPositionLabels - 1));
    std::vector<std::int32_t> ticks;
    // A label closer than half a step above the lowest one would crowd it.
    for (std::int32_t p = 1; p < chart.lowest && (p == 1 || 2 * (chart.lowest - p) >= step);
         p += step) {
        ticks.push_back(p);
    }
    ticks.push_back(chart.lowest);
    for (std::int32_t p : ticks) {
        const std::string y = Number(PositionY(p, chart.lowest));
        page += "<line class='grid' x1='" + left + "' y1='" + y + "' x2='" + right + "' y2='" + y +
                "' stroke='#dddddd'/>\n";
        page += "<text class='position' x='" + Number(kHistoryPlotLeft - 8) + "' y='" +
                Number(PositionY(p, chart.lowest) + 4) + "' text-anchor='end'>" +
                std::to_string(p) + "</text>\n";
    }
    page += "<line x1='" + left + "' y1='" + Number(kHistoryPlotTop) + "' x2='" + left + "' y2='" +
            Number(kHistoryPlotBottom) + "' stroke='#245885'/>\n";
    page += "<text x='14' y='" + Number((kHistoryPlotTop + kHistoryPlotBottom) / 2) +
            "' text-anchor='middle' transform='rotate(-90 14 " +
            Number((kHistoryPlotTop + kHistoryPlotBottom) / 2) + ")'>Position</text>\n";
    const std::size_t count = chart.dates.size();
    const std::size_t every = (count + kMostRunLabels - 1) / kMostRunLabels;
    for (std::size_t run = 0; run < count; run += every) {
        const std::string x = Number(RunX(run, count));
        const std::string_view date = chart.dates[run];
        const std::size_t t = date.find('T');
        page += "<line x1='" + x + "' y1='" + Number(kHistoryPlotBottom) + "' x2='" + x + "' y2='" +
                Number(kHistoryPlotBottom + 5) + "' stroke='#245885'/>\n";
        page += "<text class='run' x='" + x + "' y='" + Number(kHistoryPlotBottom + 18) +
                "' text-anchor='middle'>" + ReportText(date.substr(0, t)) + "</text>\n";
        if (t != std::string_view::npos) {
            page += "<text class='run' x='" + x + "' y='" + Number(kHistoryPlotBottom + 31) +
                    "' text-anchor='middle'>" + ReportText(date.substr(t + 1)) + "</text>\n";
        }
    }
}

void AppendSeries(std::string& page, const KeywordChart& chart, const Series& series,
                  std::string_view colour) {
    const std::size_t count = chart.dates.size();
    const std::string name = ReportText(series.site + " on " + series.engine);
    std::string points;
    std::size_t inRun = 0;
    auto endLine = [&] {
        // One point is no line; its circle shows it.
        if (inRun > 1) {
            page += "<polyline class='series' fill='none' stroke='" + std::string(colour) +
                    "' stroke-width='2' points='" + points + "'><title>" + name +
                    "</title></polyline>\n";
        }
        points.clear();
        inRun = 0;
    };
    for (std::size_t run = 0; run < count; ++run) {
        const std::int32_t position = series.positions[run];
        if (position == 0) {
            endLine();
            continue;
        }
        if (!points.empty()) {
            points += ' ';
        }
        points += Number(RunX(run, count)) + "," + Number(PositionY(position, chart.lowest));
        ++inRun;
    }
    endLine();
    for (std::size_t run = 0; run < count; ++run) {
        const std::int32_t position = series.positions[run];
        if (position != 0) {
            page += "<circle class='point' cx='" + Number(RunX(run, count)) + "' cy='" +
                    Number(PositionY(position, chart.lowest)) + "' r='3' fill='" +
                    std::string(colour) + "'><title>" + name + ": " + std::to_string(position) +
                    "</title></circle>\n";
        }
    }
}

void AppendChart(std::string& page, const KeywordChart& chart) {
    page += "<h2>Searching key: " + ReportText(chart.keyword) + "</h2>\n";
    page += "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(kChartWidth) +
            "' height='" + std::to_string(kChartHeight) + "' viewBox='0 0 " +
            std::to_string(kChartWidth) + " " + std::to_string(kChartHeight) +
            "' role='img' aria-label='Positions for " + ReportText(chart.keyword) + "'>\n";
    AppendAxes(page, chart);
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        AppendSeries(page, chart, chart.series[i], kColours[i % kColours.size()]);
    }
    page += "</svg>\n<ul class='legend'>\n";
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        page += "<li><span style='color:" + std::string(kColours[i % kColours.size()]) +
                "'>&#9632;</span> " + ReportText(chart.series[i].site) + " on " +
                ReportText(chart.series[i].engine) + "</li>\n";
    }
    page += "</ul>\n";
}

}  // namespace

std::string PositionHistoryPageText(std::span<const PositionHistoryRow> rows) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset='utf-8'>\n"
        "<title>Position history</title>\n"
        "<style>body{font-family:Verdana,Arial,Helvetica,sans-serif;color:#245885}"
        "svg text{font-size:11px;fill:#245885}"
        "ul.legend{list-style:none;padding-left:50px;font-size:13px}</style>\n"
        "</head><body>\n<h1>Position history</h1>\n";
    const std::vector<KeywordChart> charts = Charts(rows);
    if (charts.empty()) {
        page += "<p>No Position Analyzer run has been recorded yet.</p>\n";
    } else {
        page +=
            "<p>Each line is one site on one engine, one point per run. Position 1 is at the "
            "top; a gap is a run in which the site was not found.</p>\n";
    }
    for (const KeywordChart& chart : charts) {
        AppendChart(page, chart);
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
