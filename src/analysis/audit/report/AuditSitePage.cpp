#include "analysis/audit/report/AuditSitePage.h"

#include <array>
#include <ostream>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "analysis/audit/checks/AuditChecks.h"
#include "analysis/audit/report/AuditHtml.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

struct SeverityGroup {
    AuditSeverity severity;
    std::string_view heading;
    std::string_view anchor;
};

constexpr std::array<SeverityGroup, 3> kGroups = {{
    {AuditSeverity::Error, "Errors", "errors"},
    {AuditSeverity::Warning, "Warnings", "warnings"},
    {AuditSeverity::Notice, "Notices", "notices"},
}};

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string PageItem(const AuditFinding& finding) {
    std::string item = "<li>";
    if (finding.url) {
        item +=
            "<a href=\"" + ReportLinkHref(*finding.url) + "\">" + ReportText(*finding.url) + "</a>";
    } else {
        item += "<span class=\"muted\">the whole site</span>";
    }
    if (!finding.detail.empty()) {
        item += " &mdash; " + ReportText(finding.detail);
    }
    item += "</li>\n";
    return item;
}

// What a check's findings are about, as they are: "3 pages", "85 files", "2 pages, 1 file",
// "the whole site" (each address once).
std::string CountText(const std::vector<const AuditFinding*>& found,
                      const std::unordered_set<std::string_view>& pages) {
    std::unordered_set<std::string_view> onPages;
    std::unordered_set<std::string_view> onFiles;
    bool whole = false;
    for (const AuditFinding* finding : found) {
        if (!finding->url) {
            whole = true;
        } else {
            (pages.count(*finding->url) > 0 ? onPages : onFiles).insert(*finding->url);
        }
    }
    std::string text;
    if (!onPages.empty()) {
        text = Plural(onPages.size(), "page", "pages");
    }
    if (!onFiles.empty()) {
        text += (text.empty() ? "" : ", ") + Plural(onFiles.size(), "file", "files");
    }
    if (whole) {
        text += (text.empty() ? "" : ", ") + std::string("the whole site");
    }
    return text;
}

void CheckSection(std::ostream& html, const AuditCheck& check,
                  const std::vector<const AuditFinding*>& found, const std::string& count) {
    const std::string severity(AuditSeverityName(check.severity));
    html << "<section class=\"check\" id=\"" + AuditCheckAnchor(check.id) + "\">\n";
    html << "<h3><span class=\"badge " + severity + "\">" + severity + "</span> <code>" +
                ReportText(check.id) + "</code> " + ReportText(check.summary) +
                " <span class=\"count\">(" + count + ")</span></h3>\n";
    html << "<p class=\"fix\"><strong>How to fix:</strong> " + ReportText(check.fix) + ".</p>\n";
    html << "<ul class=\"pages\">\n";
    std::size_t shown = 0;
    for (; shown < found.size() && shown < kShownPages; ++shown) {
        html << PageItem(*found[shown]);
    }
    html << "</ul>\n";
    if (shown < found.size()) {
        html << "<details><summary>and " + std::to_string(found.size() - shown) +
                    " more</summary>\n<ul class=\"pages\">\n";
        for (; shown < found.size(); ++shown) {
            html << PageItem(*found[shown]);
        }
        html << "</ul>\n</details>\n";
    }
    html << "</section>\n";
}

// The checks that found something on a page, each linked to its section.
std::string FindingsCell(const std::vector<std::size_t>* checks) {
    std::string cell = "<td>";
    if (checks != nullptr) {
        const auto all = AuditChecks();
        for (std::size_t i = 0; i < checks->size(); ++i) {
            const std::string_view id = all[(*checks)[i]].id;
            cell += (i > 0 ? ", " : "") + std::string("<a href=\"#") + AuditCheckAnchor(id) +
                    "\">" + ReportText(id) + "</a>";
        }
    }
    return cell + "</td>";
}

// A rendered page's lab figures (those the browser gave) and what went wrong as it loaded.
std::string RenderCell(const AuditPage& page) {
    std::string cell = "<td>";
    std::string figures;
    const auto figure = [&](std::string_view name, double value, std::string_view unit) {
        if (value >= 0) {
            figures += (figures.empty() ? "" : " &middot; ") + std::string(name) + " " +
                       AuditFigureText(value) + std::string(unit);
        }
    };
    figure("LCP", page.lcpMs, " ms");
    figure("CLS", page.cls, "");
    figure("TBT", page.tbtMs, " ms");
    cell += figures;
    if (!page.consoleErrors.empty() || !page.failedRequests.empty()) {
        cell += "<ul class=\"pages\">";
        for (const std::string& error : page.consoleErrors) {
            cell += "<li>console error: " + ReportText(error) + "</li>";
        }
        for (const std::string& request : page.failedRequests) {
            cell += "<li>failed request: " + ReportText(request) + "</li>";
        }
        cell += "</ul>";
    }
    return cell + "</td>";
}

std::string PageRow(const AuditPage& page, const std::vector<std::size_t>* checks, bool rendering) {
    std::string row = "<tr><td><a href=\"" + ReportLinkHref(page.url) + "\">" +
                      ReportText(page.url) + "</a></td>";
    row += "<td class=\"num\">" +
           (page.status == 0 ? std::string("&ndash;") : std::to_string(page.status)) +
           (page.redirectsTo.empty() ? std::string()
                                     : " &rarr; <a href=\"" + ReportLinkHref(page.redirectsTo) +
                                           "\">" + ReportText(page.redirectsTo) + "</a>") +
           "</td>";
    row += page.indexable ? "<td>yes</td>"
                          : "<td>no: " + ReportText(page.notIndexableBecause) + "</td>";
    row += "<td>" + ReportText(page.title) + "</td>";
    row += "<td class=\"num\">" + std::to_string(page.words) + "</td>";
    return row + FindingsCell(checks) + (rendering ? RenderCell(page) : std::string()) + "</tr>\n";
}

}  // namespace

void WriteAuditSitePage(std::ostream& html, const AuditSite& site, std::string_view project,
                        std::string_view summaryFile, std::time_t when) {
    const auto checks = AuditChecks();
    // Each check's findings, in the table's order.
    std::vector<std::vector<const AuditFinding*>> byCheck(checks.size());
    // Each page's checks with findings, in the table's order, each once.
    std::unordered_map<std::string_view, std::vector<std::size_t>> checksOfPage;
    for (const AuditFinding& finding : site.findings) {
        for (std::size_t i = 0; i < checks.size(); ++i) {
            if (checks[i].id == finding.check) {
                byCheck[i].push_back(&finding);
                if (finding.url) {
                    std::vector<std::size_t>& found = checksOfPage[*finding.url];
                    if (found.empty() || found.back() != i) {
                        found.push_back(i);
                    }
                }
                break;
            }
        }
    }
    std::size_t indexable = 0;
    std::unordered_set<std::string_view> pageUrls;
    for (const AuditPage& page : site.pages) {
        indexable += page.indexable ? 1 : 0;
        pageUrls.insert(page.url);
    }

    html << AuditPageStart("Site Audit of " + site.url);
    html << "<header>\n<p><a href=\"" + AuditLocalHref(summaryFile) + "\">Site Audit of " +
                ReportText(project) + "</a></p>\n";
    html << "<h1>Site Audit of <a href=\"" + ReportLinkHref(site.url) + "\">" +
                ReportText(site.url) + "</a></h1>\n";
    html << "<p class=\"when\">" + ReportText(AuditDateText(when)) + "</p>\n</header>\n";
    if (site.unreachable) {
        html << "<p class=\"error\"><strong>The site gave no answer: nothing of it was "
                "audited.</strong> The error below says why.</p>\n";
    }

    std::array<std::size_t, 3> checksOf{};
    std::array<std::size_t, 3> findingsOf{};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        if (!byCheck[i].empty()) {
            const auto s = static_cast<std::size_t>(checks[i].severity);
            ++checksOf[s];
            findingsOf[s] += byCheck[i].size();
        }
    }
    html << "<dl class=\"totals\">\n";
    html << "<div><dt>Pages audited</dt><dd>" + std::to_string(site.pages.size()) + "</dd></div>\n";
    html << "<div><dt>Indexable</dt><dd>" + std::to_string(indexable) + "</dd></div>\n";
    for (const SeverityGroup& group : kGroups) {
        const auto s = static_cast<std::size_t>(group.severity);
        html << "<div><dt>" + std::string(group.heading) + "</dt><dd class=\"" +
                    std::string(AuditSeverityName(group.severity)) + "\">" +
                    std::to_string(findingsOf[s]) + "</dd></div>\n";
    }
    html << "</dl>\n";
    html << "<nav><p><a href=\"#errors\">Errors</a> &middot; <a href=\"#warnings\">Warnings</a> "
            "&middot; <a href=\"#notices\">Notices</a> &middot; <a href=\"#pages\">All "
            "pages</a></p></nav>\n";

    for (const SeverityGroup& group : kGroups) {
        const auto s = static_cast<std::size_t>(group.severity);
        html << "<section id=\"" + std::string(group.anchor) + "\">\n<h2>" +
                    std::string(group.heading) + " <span class=\"count\">(" +
                    Plural(checksOf[s], "check", "checks") + ", " +
                    Plural(findingsOf[s], "finding", "findings") + ")</span></h2>\n";
        if (checksOf[s] == 0) {
            html << "<p class=\"muted\">None.</p>\n";
        }
        for (std::size_t i = 0; i < checks.size(); ++i) {
            if (checks[i].severity == group.severity && !byCheck[i].empty()) {
                CheckSection(html, checks[i], byCheck[i], CountText(byCheck[i], pageUrls));
            }
        }
        html << "</section>\n";
    }

    html << "<section id=\"pages\">\n<h2>All pages <span class=\"count\">(" +
                std::to_string(site.pages.size()) + ")</span></h2>\n";
    // A site audited without a browser keeps the page table it always had.
    const bool rendering = site.pagesRendered > 0;
    html << "<table>\n<thead><tr><th>Address</th><th class=\"num\">Status</th><th>Indexable</th>"
            "<th>Title</th><th class=\"num\">Words</th><th>Findings</th>"
         << (rendering ? "<th>In the browser</th>" : "") << "</tr></thead>\n<tbody>\n";
    for (const AuditPage& page : site.pages) {
        const auto found = checksOfPage.find(page.url);
        html << PageRow(page, found == checksOfPage.end() ? nullptr : &found->second, rendering);
    }
    html << "</tbody>\n</table>\n</section>\n";
    // Printed, every finding shows, also those folded under "and N more".
    html << "<script>addEventListener('beforeprint', function () {\n"
            "  document.querySelectorAll('details').forEach(function (d) { d.open = true; });\n"
            "});</script>\n";
    html << AuditPageEnd();
}

std::string AuditSitePage(const AuditSite& site, std::string_view project,
                          std::string_view summaryFile, std::time_t when) {
    std::ostringstream html;
    WriteAuditSitePage(html, site, project, summaryFile, when);
    return std::move(html).str();
}

}  // namespace sg
