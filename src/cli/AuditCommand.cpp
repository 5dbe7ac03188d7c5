#include "cli/AuditCommand.h"

#include <string>

#include "analysis/audit/checks/AuditChecks.h"
#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "audit [--max-pages N] [--max-links-per-page N] [--ignore-robots] [--rate N] [--render]\n"
    "      [--open] [--fail-on error|warning] [--json FILE] [--csv FILE] PROJECT\n"
    "                 crawl each site whole (each page once, at most N pages; the stored\n"
    "                 setting, 10,000 unless set) and check whether search engines can index\n"
    "                 each page and what they show for it; one page per site and a summary\n"
    "                 page setting the sites side by side. PROJECT, progress, output and the\n"
    "                 connection rule as for readiness; robots.txt, --max-links-per-page,\n"
    "                 --ignore-robots, --rate N and --render as for links. --fail-on exits 3 when "
    "a\n"
    "                 finding of that severity or worse exists; --json FILE and --csv FILE as\n"
    "                 for readiness. The checks, by identifier as in the data:";

// The usage with one line per check, made once from the table so that no check is left out.
const std::string& Usage() {
    static const std::string usage = [] {
        std::string text(kUsage);
        for (const AuditCheck& check : AuditChecks()) {
            std::string line = "\n                   " + std::string(check.id);
            line.append(line.size() < 47 ? 47 - line.size() : 1, ' ');
            line += AuditSeverityName(check.severity);
            text += line;
        }
        return text;
    }();
    return usage;
}

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "audit", AnalysisKind::SiteAudit);
}

}  // namespace

CliCommand AuditCommand() {
    return CliCommand{"audit", Usage(), &Run, kAuditExitCodes};
}

}  // namespace sg
