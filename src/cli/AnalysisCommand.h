#pragma once

#include <string_view>

#include "cli/CliCommand.h"

namespace sg {

// The exit codes of popularity, for its --help.
inline constexpr std::string_view kAnalysisExitCodes =
    "0    the summary page was written (its path is the last line of stdout)\n"
    "1    no internet connection (a site not on this machine), or the summary page or a\n"
    "     --json/--csv file could not be written\n"
    "2    bad usage, a profile that cannot be read, or a project that cannot be analysed\n"
    "     (no URLs, an empty URL, a URL without \".\", an empty project name)\n"
    "130  cancelled with Ctrl-C; no summary page is left";

// The exit codes of readiness, whose --fail-on-warnings adds 3.
inline constexpr std::string_view kReadinessExitCodes =
    "0    the summary page was written (its path is the last line of stdout)\n"
    "1    no internet connection (a site not on this machine), or the summary page or a\n"
    "     --json/--csv file could not be written\n"
    "2    bad usage, a profile that cannot be read, a project that cannot be analysed\n"
    "     (no URLs, an empty URL, a URL without \".\", an empty project name), or --render\n"
    "     without chromium\n"
    "3    --fail-on-warnings and a page has a title, description or keywords tag missing or\n"
    "     over its limit, or an image without alt text (the summary page is written)\n"
    "130  cancelled with Ctrl-C; no summary page is left";

// The exit codes of audit, whose --fail-on adds 3.
inline constexpr std::string_view kAuditExitCodes =
    "0    the summary page was written (its path is the last line of stdout)\n"
    "1    no internet connection (a site not on this machine), the summary page or a\n"
    "     --json/--csv file could not be written, or no site answered at all (the\n"
    "     summary page and the files are written, each site with site-unreachable)\n"
    "2    bad usage, a profile that cannot be read, a project that cannot be analysed\n"
    "     (no URLs, an empty URL, a URL without \".\", an empty project name), or --render\n"
    "     without chromium\n"
    "3    --fail-on and a finding of that severity or worse (the summary page is written)\n"
    "130  cancelled with Ctrl-C; no summary page is left";

// The exit codes of links, whose --fail-on-broken adds 3.
inline constexpr std::string_view kLinksExitCodes =
    "0    the summary page was written (its path is the last line of stdout)\n"
    "1    no internet connection (a site not on this machine), or the summary page or a\n"
    "     --json/--csv file could not be written\n"
    "2    bad usage, a profile that cannot be read, a project that cannot be analysed\n"
    "     (no URLs, an empty URL, a URL without \".\", an empty project name), or --render\n"
    "     without chromium\n"
    "3    --fail-on-broken and a link is broken or unreachable (the summary page is written)\n"
    "130  cancelled with Ctrl-C; no summary page is left";

// What readiness, links and popularity share: the project from a profile or inline, the
// readiness check, the run on a worker with the terminal's progress bar, Ctrl-C, and the summary
// page path as the last line of stdout. `kind` selects the one analysis.
enum class AnalysisKind { Readiness, LinkValidator, LinkPopularity, SiteAudit };

// Parses the options and PROJECT, runs the one analysis on a worker with the progress on stderr,
// and prints the summary page's path as the last line of stdout.
int RunAnalysisCommand(CliContext& context, std::string_view command, AnalysisKind kind);

}  // namespace sg
