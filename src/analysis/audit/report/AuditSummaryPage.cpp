#include "analysis/audit/report/AuditSummaryPage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <unordered_set>

#include "analysis/audit/checks/AuditCheckIds.h"
#include "analysis/audit/checks/AuditChecks.h"
#include "analysis/audit/report/AuditHtml.h"
#include "reports/ChartScript.h"
#include "reports/PreviousReports.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

constexpr const char* kChartDataId = "audit-chart-data";

// Draws a bar chart of the sites' shares into each canvas; the table holds the same figures.
constexpr const char* kDrawScript = R"JS(<script>
(function () {
  var charts = JSON.parse(document.getElementById('audit-chart-data').textContent);
  var colours = ['#1c5584', '#b42318', '#9a6700', '#175cd3', '#2f855a', '#6b46c1', '#c05621'];
  charts.forEach(function (chart, n) {
    if (chart.unit !== undefined) {
      figureChart(chart, n);
      return;
    }
    new Chart(document.getElementById('audit-chart-' + n), {
      type: 'bar',
      data: {labels: chart.sites, datasets: [{label: 'Pages with findings (%)', data: chart.shares,
        backgroundColor: chart.sites.map(function (s, i) { return colours[i % colours.length]; })}]},
      options: {responsive: false, animation: false,
        scales: {y: {min: 0, max: 100, ticks: {callback: function (v) { return v + '%'; }}},
                 x: {ticks: {callback: function (v) {
                   var t = this.getLabelForValue(v); return t.length > 24 ? t.slice(0, 23) + '…' : t;
                 }}}},
        plugins: {legend: {display: false},
          tooltip: {callbacks: {label: function (item) {
            if (item.raw === null) { return 'not judged'; }
            return item.raw + '% (' + chart.pages[item.dataIndex] + ' of ' +
              chart.audited[item.dataIndex] + ' pages)';
          }}}}}
    });
  });
  // A lab figure's chart: each site's median, in the figure's unit.
  function figureChart(chart, n) {
    new Chart(document.getElementById('audit-chart-' + n), {
      type: 'bar',
      data: {labels: chart.sites, datasets: [{label: chart.title, data: chart.medians,
        backgroundColor: chart.sites.map(function (s, i) { return colours[i % colours.length]; })}]},
      options: {responsive: false, animation: false,
        scales: {y: {min: 0, ticks: {callback: function (v) { return v + chart.unit; }}},
                 x: {ticks: {callback: function (v) {
                   var t = this.getLabelForValue(v); return t.length > 24 ? t.slice(0, 23) + '…' : t;
                 }}}},
        plugins: {legend: {display: false},
          tooltip: {callbacks: {label: function (item) {
            return item.raw === null ? 'not rendered' : item.raw + chart.unit;
          }}}}}
    });
  }
})();
</script>
)JS";

// The lab figures the summary sets side by side: the row's and chart's caption, the unit after
// a value, and the site's median.
struct LabFigure {
    std::string_view caption;
    std::string_view unit;
    double AuditSite::*median;
};
constexpr LabFigure kLabFigures[] = {
    {"Median largest contentful paint", " ms", &AuditSite::medianLcpMs},
    {"Median cumulative layout shift", "", &AuditSite::medianCls},
    {"Median total blocking time", " ms", &AuditSite::medianTbtMs},
};

// Whether any site has a page loaded in a browser: only then has the summary lab figures.
bool AnyRendered(const std::vector<AuditSummarySite>& sites) {
    return std::any_of(sites.begin(), sites.end(),
                       [](const AuditSummarySite& entry) { return entry.site->pagesRendered > 0; });
}

// Per chart group, per site: how many of the site's pages have a finding of the group.
std::vector<std::vector<std::size_t>> PagesWithFindings(
    const std::vector<AuditSummarySite>& sites) {
    const auto checks = AuditChecks();
    const std::size_t groups = AuditChartGroups().size();
    std::vector<std::vector<std::size_t>> counts(groups, std::vector<std::size_t>(sites.size(), 0));
    for (std::size_t s = 0; s < sites.size(); ++s) {
        std::unordered_set<std::string> pages;
        for (const AuditPage& page : sites[s].site->pages) {
            pages.insert(page.url);
        }
        std::vector<std::unordered_set<std::string>> found(groups);
        for (const AuditFinding& finding : sites[s].site->findings) {
            const AuditCheck* check = FindAuditCheck(finding.check);
            // A finding about the whole site, a file or a resource is no page's.
            if (check == nullptr || !finding.url || pages.count(*finding.url) == 0) {
                continue;
            }
            const std::size_t group = AuditChartGroupOf(*check);
            if (group < groups) {
                found[group].insert(*finding.url);
            }
        }
        for (std::size_t g = 0; g < groups; ++g) {
            counts[g][s] = found[g].size();
        }
    }
    (void)checks;
    return counts;
}

// A whole percentage of `part` in `whole`; 0 of none.
long Percent(std::size_t part, std::size_t whole) {
    return whole == 0 ? 0 : static_cast<long>((part * 100 + whole / 2) / whole);
}

// What a check's counts count, where they are not pages: " (files)" when its findings are all
// about files (robots.txt, sitemaps, images, scripts), " (pages and files)" when both.
std::string UnitOf(const std::vector<AuditSummarySite>& sites, std::string_view check) {
    bool pages = false;
    bool files = false;
    for (const AuditSummarySite& entry : sites) {
        std::unordered_set<std::string_view> known;
        for (const AuditPage& page : entry.site->pages) {
            known.insert(page.url);
        }
        for (const AuditFinding& finding : entry.site->findings) {
            if (finding.check == check && finding.url) {
                (known.count(*finding.url) > 0 ? pages : files) = true;
            }
        }
    }
    return !files  ? std::string()
           : pages ? " <span class=\"count\">(pages and files)</span>"
                   : " <span class=\"count\">(files)</span>";
}

constexpr const char* kNotAuditedCell = "<td class=\"num zero\">not audited</td>";
// A check that cannot be judged on a site (the https checks of a site without https).
constexpr const char* kNotJudgedCell = "<td class=\"num zero\">&ndash;</td>";

// Whether a check says anything about a site: nothing does of a site that gave no answer but
// site-unreachable, and the https checks say nothing of a site with no https at all.
bool Judged(const AuditSite& site, const AuditCheck& check) {
    if (check.id == kSiteUnreachable) {
        return true;
    }
    if (site.unreachable) {
        return false;
    }
    if (AuditCheckNeedsBrowser(check.id)) {
        return site.pagesRendered > 0;
    }
    if (check.category == "HTTPS" && check.id != kHttpsMissing) {
        return std::none_of(site.findings.begin(), site.findings.end(),
                            [](const AuditFinding& f) { return f.check == kHttpsMissing; });
    }
    return true;
}

// A site without https has no share of pages with https findings: its chart bar and cell say
// so rather than 0%.
bool WithoutHttps(const AuditSite& site, std::string_view group) {
    return group == "HTTPS" &&
           std::any_of(site.findings.begin(), site.findings.end(),
                       [](const AuditFinding& f) { return f.check == kHttpsMissing; });
}

std::string NumberCell(std::size_t count, const std::string& href) {
    if (count == 0) {
        return "<td class=\"num zero\">0</td>";
    }
    if (href.empty()) {
        return "<td class=\"num\">" + std::to_string(count) + "</td>";
    }
    return "<td class=\"num\"><a href=\"" + AuditLocalHref(href) + "\">" + std::to_string(count) +
           "</a></td>";
}

}  // namespace

std::string AuditSummaryPage(const std::vector<AuditSummarySite>& sites, std::string_view project,
                             std::time_t when) {
    const auto checks = AuditChecks();
    // Pages failing each check, per site.
    std::vector<std::vector<std::size_t>> failing(checks.size(),
                                                  std::vector<std::size_t>(sites.size(), 0));
    for (std::size_t s = 0; s < sites.size(); ++s) {
        for (std::size_t c = 0; c < checks.size(); ++c) {
            failing[c][s] = AuditPagesOf(sites[s].site->findings, checks[c].id);
        }
    }

    std::string html = AuditPageStart("Site Audit of " + std::string(project));
    html += "<header>\n<h1>Site Audit of " + ReportText(project) + "</h1>\n";
    html += "<p class=\"when\">" + ReportText(AuditDateText(when)) + "</p>\n</header>\n";
    const bool noneAnswered =
        std::all_of(sites.begin(), sites.end(),
                    [](const AuditSummarySite& entry) { return entry.site->unreachable; });
    if (noneAnswered) {
        html += "<p class=\"error\"><strong>" + std::string(kNoSiteAnsweredBanner) +
                "</strong> Check the addresses, the proxy settings and this computer's "
                "connection, then run the audit again.</p>\n";
    }
    const std::vector<std::string_view> groups = AuditChartGroups();
    const std::vector<std::vector<std::size_t>> withFindings = PagesWithFindings(sites);
    nlohmann::json charts = nlohmann::json::array();
    html += "<section id=\"charts\">\n<h2>Pages with findings</h2>\n";
    html +=
        "<p class=\"muted\">The share of each site's pages with a finding of the kind; the "
        "table below holds the figures.</p>\n<div class=\"charts\">\n";
    for (std::size_t g = 0; g < groups.size(); ++g) {
        nlohmann::json chart;
        chart["title"] = std::string(groups[g]);
        for (std::size_t s = 0; s < sites.size(); ++s) {
            const std::size_t audited = sites[s].site->pages.size();
            const bool unreachable = sites[s].site->unreachable;
            chart["sites"].push_back(sites[s].site->url + (unreachable ? " (not audited)" : ""));
            chart["shares"].push_back(unreachable || WithoutHttps(*sites[s].site, groups[g])
                                          ? nlohmann::json(nullptr)
                                          : nlohmann::json(Percent(withFindings[g][s], audited)));
            chart["pages"].push_back(withFindings[g][s]);
            chart["audited"].push_back(audited);
        }
        charts.push_back(std::move(chart));
        html +=
            "<figure><canvas id=\"audit-chart-" + std::to_string(g) +
            "\" width=\"264\" height=\"190\" role=\"img\" aria-label=\"" +
            ReportAttr("Share of pages with findings: " + std::string(groups[g])) +
            "\">The chart needs scripts; the table below holds its figures.</canvas><figcaption>" +
            ReportText(groups[g]) + "</figcaption></figure>\n";
    }
    if (AnyRendered(sites)) {
        for (const LabFigure& figure : kLabFigures) {
            nlohmann::json chart;
            chart["title"] = std::string(figure.caption);
            chart["unit"] = std::string(figure.unit);
            for (const AuditSummarySite& entry : sites) {
                const double median = entry.site->*figure.median;
                chart["sites"].push_back(entry.site->url);
                chart["medians"].push_back(median < 0 ? nlohmann::json(nullptr)
                                                      : nlohmann::json(median));
            }
            html += "<figure><canvas id=\"audit-chart-" + std::to_string(charts.size()) +
                    "\" width=\"264\" height=\"190\" role=\"img\" aria-label=\"" +
                    ReportAttr(figure.caption) +
                    "\">The chart needs scripts; the table below holds its figures.</canvas>"
                    "<figcaption>" +
                    ReportText(figure.caption) + "</figcaption></figure>\n";
            charts.push_back(std::move(chart));
        }
    }
    html += "</div>\n</section>\n";
    html += "<section id=\"sites\">\n<h2>The sites side by side</h2>\n";
    html +=
        "<p class=\"muted\">Each cell: how many of the site's pages fail the check, or how many "
        "files where the check says so.</p>\n";
    html += "<table class=\"sites\">\n<thead><tr><th>Check</th><th>Severity</th>";
    for (std::size_t s = 0; s < sites.size(); ++s) {
        // The project's first site is the user's own.
        html += "<th class=\"num\"><a href=\"" + AuditLocalHref(sites[s].file) + "\">" +
                ReportText(sites[s].site->url) + "</a>" +
                (s == 0 ? "<br><span class=\"muted\">own site</span>" : "") + "</th>";
    }
    html += "</tr></thead>\n<tbody>\n";

    html += "<tr><th scope=\"row\">Pages audited</th><td></td>";
    for (const AuditSummarySite& entry : sites) {
        html += entry.site->unreachable
                    ? kNotAuditedCell
                    : NumberCell(entry.site->pages.size(), entry.file + "#pages");
    }
    html += "</tr>\n<tr><th scope=\"row\">Indexable pages</th><td></td>";
    for (const AuditSummarySite& entry : sites) {
        if (entry.site->unreachable) {
            html += kNotAuditedCell;
            continue;
        }
        std::size_t indexable = 0;
        for (const AuditPage& page : entry.site->pages) {
            indexable += page.indexable ? 1 : 0;
        }
        html += NumberCell(indexable, "");
    }
    html += "</tr>\n<tr><th scope=\"row\">Median time to first byte</th><td></td>";
    for (const AuditSummarySite& entry : sites) {
        const long long ms = entry.site->medianFirstByteMs;
        html += entry.site->unreachable ? std::string(kNotAuditedCell)
                : ms < 0                ? std::string(kNotJudgedCell)
                                        : "<td class=\"num\">" + std::to_string(ms) + " ms</td>";
    }
    html += "</tr>\n";
    if (AnyRendered(sites)) {
        for (const LabFigure& figure : kLabFigures) {
            html += "<tr><th scope=\"row\">" + std::string(figure.caption) + "</th><td></td>";
            for (const AuditSummarySite& entry : sites) {
                const double median = entry.site->*figure.median;
                html += entry.site->unreachable ? std::string(kNotAuditedCell)
                        : median < 0            ? std::string(kNotJudgedCell)
                                                : "<td class=\"num\">" + AuditFigureText(median) +
                                           std::string(figure.unit) + "</td>";
            }
            html += "</tr>\n";
        }
    }
    for (AuditSeverity severity :
         {AuditSeverity::Error, AuditSeverity::Warning, AuditSeverity::Notice}) {
        const std::string name(AuditSeverityName(severity));
        html += "<tr><th scope=\"row\">" + std::string(AuditSeverityHeading(severity)) +
                "</th><td><span class=\"badge " + name + "\">" + name + "</span></td>";
        for (const AuditSummarySite& entry : sites) {
            std::size_t count = 0;
            for (const AuditFinding& finding : entry.site->findings) {
                count += finding.severity == severity ? 1 : 0;
            }
            html += NumberCell(count, "");
        }
        html += "</tr>\n";
    }

    for (std::size_t g = 0; g < groups.size(); ++g) {
        html +=
            "<tr class=\"share\"><th scope=\"row\">Pages with findings: " + ReportText(groups[g]) +
            "</th><td></td>";
        for (std::size_t s = 0; s < sites.size(); ++s) {
            const std::size_t pages = withFindings[g][s];
            if (sites[s].site->unreachable) {
                html += kNotAuditedCell;
                continue;
            }
            if (WithoutHttps(*sites[s].site, groups[g])) {
                html += "<td class=\"num\">no https</td>";
                continue;
            }
            html += std::string("<td class=\"num") + (pages == 0 ? " zero" : "") + "\">" +
                    std::to_string(Percent(pages, sites[s].site->pages.size())) + "% <span " +
                    "class=\"muted\">(" + std::to_string(pages) + ")</span></td>";
        }
        html += "</tr>\n";
    }

    std::string passed;
    std::string notJudged;
    for (std::size_t c = 0; c < checks.size(); ++c) {
        std::size_t any = 0;
        bool judged = false;
        for (std::size_t s = 0; s < sites.size(); ++s) {
            any += failing[c][s];
            judged = judged || Judged(*sites[s].site, checks[c]);
        }
        if (any == 0 && !judged) {
            notJudged += (notJudged.empty() ? "" : ", ") + std::string("<code>") +
                         ReportText(checks[c].id) + "</code>";
            continue;
        }
        if (any == 0) {
            passed += (passed.empty() ? "" : ", ") + std::string("<code>") +
                      ReportText(checks[c].id) + "</code>";
            continue;
        }
        const std::string severity(AuditSeverityName(checks[c].severity));
        html += "<tr><td><code>" + ReportText(checks[c].id) + "</code> <span class=\"muted\">" +
                ReportText(checks[c].summary) + "</span>" + UnitOf(sites, checks[c].id) +
                "</td><td><span class=\"badge " + severity + "\">" + severity + "</span></td>";
        for (std::size_t s = 0; s < sites.size(); ++s) {
            if (!Judged(*sites[s].site, checks[c])) {
                html += sites[s].site->unreachable ? kNotAuditedCell : kNotJudgedCell;
                continue;
            }
            html += NumberCell(failing[c][s], sites[s].file + "#" + AuditCheckAnchor(checks[c].id));
        }
        html += "</tr>\n";
    }
    html += "</tbody>\n</table>\n";
    if (!passed.empty()) {
        html += "<p>Passed on every site: " + passed + ".</p>\n";
    }
    if (!notJudged.empty()) {
        html += "<p>Not judged on any site: " + notJudged + ".</p>\n";
    }
    html += "</section>\n";
    html +=
        "<script type=\"application/json\" id=\"" + std::string(kChartDataId) + "\">" +
        ScriptElementText(charts.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)) +
        "</script>\n";
    html += ChartLibraryScript();
    html += kDrawScript;
    html += AuditPageEnd();
    return html;
}

}  // namespace sg
