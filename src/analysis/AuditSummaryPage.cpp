#include "analysis/AuditSummaryPage.h"

#include "analysis/AuditChecks.h"
#include "analysis/AuditHtml.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

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
    html += "<section id=\"sites\">\n<h2>The sites side by side</h2>\n";
    html += "<p class=\"muted\">Each cell: how many of the site's pages fail the check.</p>\n";
    html += "<table class=\"sites\">\n<thead><tr><th>Check</th><th>Severity</th>";
    for (const AuditSummarySite& entry : sites) {
        html += "<th class=\"num\"><a href=\"" + AuditLocalHref(entry.file) + "\">" +
                ReportText(entry.site->url) + "</a></th>";
    }
    html += "</tr></thead>\n<tbody>\n";

    html += "<tr><th scope=\"row\">Pages audited</th><td></td>";
    for (const AuditSummarySite& entry : sites) {
        html += NumberCell(entry.site->pages.size(), entry.file + "#pages");
    }
    html += "</tr>\n<tr><th scope=\"row\">Indexable pages</th><td></td>";
    for (const AuditSummarySite& entry : sites) {
        std::size_t indexable = 0;
        for (const AuditPage& page : entry.site->pages) {
            indexable += page.indexable ? 1 : 0;
        }
        html += NumberCell(indexable, "");
    }
    html += "</tr>\n";
    for (AuditSeverity severity :
         {AuditSeverity::Error, AuditSeverity::Warning, AuditSeverity::Notice}) {
        const std::string name(AuditSeverityName(severity));
        html += "<tr><th scope=\"row\">Findings</th><td><span class=\"badge " + name + "\">" +
                name + "</span></td>";
        for (const AuditSummarySite& entry : sites) {
            std::size_t count = 0;
            for (const AuditFinding& finding : entry.site->findings) {
                count += finding.severity == severity ? 1 : 0;
            }
            html += NumberCell(count, "");
        }
        html += "</tr>\n";
    }

    std::string passed;
    for (std::size_t c = 0; c < checks.size(); ++c) {
        std::size_t any = 0;
        for (std::size_t count : failing[c]) {
            any += count;
        }
        if (any == 0) {
            passed += (passed.empty() ? "" : ", ") + std::string("<code>") +
                      ReportText(checks[c].id) + "</code>";
            continue;
        }
        const std::string severity(AuditSeverityName(checks[c].severity));
        html += "<tr><td><code>" + ReportText(checks[c].id) + "</code> <span class=\"muted\">" +
                ReportText(checks[c].summary) + "</span></td><td><span class=\"badge " + severity +
                "\">" + severity + "</span></td>";
        for (std::size_t s = 0; s < sites.size(); ++s) {
            html += NumberCell(failing[c][s], sites[s].file + "#" + AuditCheckAnchor(checks[c].id));
        }
        html += "</tr>\n";
    }
    html += "</tbody>\n</table>\n";
    if (!passed.empty()) {
        html += "<p>Passed on every site: " + passed + ".</p>\n";
    }
    html += "</section>\n";
    html += AuditPageEnd();
    return html;
}

}  // namespace sg
