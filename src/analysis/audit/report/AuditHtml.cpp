#include "analysis/audit/report/AuditHtml.h"

#include <unordered_set>

#include "reports/ReportEscape.h"

namespace sg {
namespace {

constexpr std::string_view kStyle = R"(<style>
:root { color-scheme: light; --ink: #1f2933; --muted: #52606d; --line: #d9e2ec;
  --error: #b42318; --warning: #9a6700; --notice: #175cd3; --head: #1c5584; }
* { box-sizing: border-box; }
body { margin: 0 auto; max-width: 72rem; padding: 1.5rem; color: var(--ink);
  font: 15px/1.5 system-ui, -apple-system, "Segoe UI", Roboto, "Noto Sans", sans-serif; }
a { color: var(--head); overflow-wrap: anywhere; }
h1 { font-size: 1.6rem; margin: 0 0 .25rem; color: var(--head); }
h2 { font-size: 1.25rem; margin: 2rem 0 .5rem; border-bottom: 2px solid var(--line); }
h3 { font-size: 1rem; margin: 1.25rem 0 .25rem; }
code { font: .9em ui-monospace, "DejaVu Sans Mono", monospace; }
.muted, .when { color: var(--muted); }
.count { color: var(--muted); font-weight: normal; }
.error { color: var(--error); } .warning { color: var(--warning); } .notice { color: var(--notice); }
.badge { display: inline-block; min-width: 4.5rem; padding: 0 .4rem; border-radius: .25rem;
  border: 1px solid currentColor; font-size: .8rem; text-align: center; }
dl.totals { display: flex; flex-wrap: wrap; gap: .5rem 2rem; margin: 1rem 0; }
dl.totals div { min-width: 7rem; } dl.totals dt { color: var(--muted); font-size: .85rem; }
dl.totals dd { margin: 0; font-size: 1.4rem; font-weight: 600; }
table { border-collapse: collapse; width: 100%; margin: .5rem 0; }
th, td { border: 1px solid var(--line); padding: .25rem .5rem; text-align: left;
  vertical-align: top; }
th { background: #f0f4f8; }
td.num, th.num { text-align: right; font-variant-numeric: tabular-nums; }
thead a { overflow-wrap: normal; }
td.zero { color: var(--muted); }
ul.pages { margin: .25rem 0; padding-left: 1.25rem; }
ul.pages li { margin: .1rem 0; }
details summary { cursor: pointer; color: var(--head); }
.charts { display: flex; flex-wrap: wrap; gap: 1rem; }
.charts figure { margin: 0; border: 1px solid var(--line); padding: .5rem; }
.charts figcaption { text-align: center; color: var(--muted); font-size: .85rem; }
tr.share th { font-weight: normal; }
footer { margin-top: 3rem; padding-top: .5rem; border-top: 1px solid var(--line);
  display: flex; justify-content: space-between; }
@media print {
  body { max-width: none; padding: 0; font-size: 11pt; }
  a { color: inherit; text-decoration: none; }
  h2, h3 { break-after: avoid; } tr, li { break-inside: avoid; }
  footer, nav { display: none; }
}
</style>)";

}  // namespace

std::string AuditPageStart(std::string_view title) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += ReportText(title);
    page += "</title>\n";
    page += kStyle;
    page += "\n</head>\n<body>\n";
    return page;
}

std::string AuditPageEnd() {
    return "<footer><a href=\"../../../tutorial/index.html\">Tutorial</a>"
           "<a href=\"../../../tutorial/help.html\">Tips and tricks</a></footer>\n"
           "</body>\n</html>\n";
}

std::string AuditDateText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) > 0 ? text : "";
}

std::string AuditLocalHref(std::string_view file) {
    return ReportAttr("./" + std::string(file));
}

std::string AuditCheckAnchor(std::string_view check) {
    return "check-" + std::string(check);
}

std::size_t AuditPagesOf(const std::vector<AuditFinding>& findings, std::string_view check) {
    std::unordered_set<std::string> urls;
    bool site = false;
    for (const AuditFinding& finding : findings) {
        if (finding.check != check) {
            continue;
        }
        if (finding.url) {
            urls.insert(*finding.url);
        } else {
            site = true;
        }
    }
    return urls.size() + (site ? 1 : 0);
}

}  // namespace sg
