#pragma once
// What the Site Audit found on each site: every page it judged, and every finding of its checks.
// Filled by the audit, read by its report pages, its summary page and the results files. All
// text is UTF-8.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// Worst first, so that a lower value is more severe.
enum class AuditSeverity { Error = 0, Warning = 1, Notice = 2 };

// "error", "warning", "notice".
std::string_view AuditSeverityName(AuditSeverity severity);
// "Errors", "Warnings", "Notices": a count's heading in the reports.
std::string_view AuditSeverityHeading(AuditSeverity severity);

struct AuditPage {
    std::string url;
    // The HTTP status of the address's own answer (301, 302, ... for one that redirects); 0
    // when none came.
    int status = 0;
    bool indexable = false;
    // Why a page is not indexable ("noindex", "blocked by robots.txt", ...); empty when it is.
    std::string notIndexableBecause;
    // The first of each, blanks collapsed; empty when the page has none.
    std::string title;
    std::string description;
    std::string h1;
    // The canonical address as resolved; empty when the page names none.
    std::string canonical;
    std::size_t words = 0;
    // Where its redirects ended; empty when it did not redirect (or redirects in a loop).
    std::string redirectsTo;
    // Loaded in a browser (the audit was run with rendering and the page answered 200 as HTML).
    bool rendered = false;
    // Its lab figures: largest contentful paint and total blocking time in ms, cumulative
    // layout shift; negative when the page was not rendered or the browser gave none.
    double lcpMs = -1;
    double cls = -1;
    double tbtMs = -1;
    // What went wrong as the browser loaded it: console errors, and its requests that failed
    // ("ADDRESS answers 404"), each list the first few (as js-errors says how many).
    std::vector<std::string> consoleErrors;
    std::vector<std::string> failedRequests;
};

struct AuditFinding {
    // An identifier of the check table ("title-missing"): the table's own text, which lives as
    // long as the program, so a site's many findings hold no copy of it.
    std::string_view check;
    AuditSeverity severity = AuditSeverity::Notice;
    // The page (or file) the finding is about; none for a finding about the whole site.
    std::optional<std::string> url;
    // What exactly was found, for a person ("71 characters", "disallowed for GPTBot, CCBot").
    std::string detail;
};

struct AuditSite {
    // The project's address of the site.
    std::string url;
    // Pages in the order the audit met them.
    std::vector<AuditPage> pages;
    // Grouped by check in the table's order, each check's findings in page order.
    std::vector<AuditFinding> findings;
    // The start page gave no answer (site-unreachable): nothing of the site was audited.
    bool unreachable = false;
    // The median time to the first byte of its pages' answers, in ms; -1 when none came.
    long long medianFirstByteMs = -1;
    // The pages loaded in a browser, and the median of each lab figure over those that have it
    // (as AuditPage); -1 when none has.
    std::size_t pagesRendered = 0;
    double medianLcpMs = -1;
    double medianCls = -1;
    double medianTbtMs = -1;
};

// A lab figure for a person, to six significant digits without trailing zeros: "2501",
// "0.1001", "183.5".
std::string AuditFigureText(double figure);

}  // namespace sg
