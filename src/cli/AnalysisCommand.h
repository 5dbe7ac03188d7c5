#pragma once

#include <string_view>

#include "cli/CliCommand.h"

namespace sg {

// The exit codes of readiness, links and popularity, for their --help.
inline constexpr std::string_view kAnalysisExitCodes =
    "0    the summary page was written (its path is the last line of stdout)\n"
    "1    no internet connection (a site not on this machine), or the summary page could not\n"
    "     be written\n"
    "2    bad usage, a profile that cannot be read, or a project that cannot be analysed\n"
    "     (no URLs, an empty URL, a URL without \".\", an empty project name)\n"
    "130  cancelled with Ctrl-C; no summary page is left";

// What readiness, links and popularity share: the project from a profile or inline, the
// readiness check, the run on a worker with the terminal's progress bar, Ctrl-C, and the summary
// page path as the last line of stdout. `kind` selects the one analysis.
enum class AnalysisKind { Readiness, LinkValidator, LinkPopularity };

// Parses the options and PROJECT, runs the one analysis on a worker with the progress on stderr,
// and prints the summary page's path as the last line of stdout.
int RunAnalysisCommand(CliContext& context, std::string_view command, AnalysisKind kind);

}  // namespace sg
