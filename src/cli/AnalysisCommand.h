#pragma once

#include <string_view>

#include "cli/CliCommand.h"

namespace sg {

// Exit code of a run stopped by Ctrl-C (128 + SIGINT, as shells report it).
inline constexpr int kExitInterrupted = 130;

// What "readiness" and "links" share: the project from a profile or inline, the readiness
// check, the run on a worker with the terminal's progress bar, Ctrl-C, and the summary page path
// as the last line of stdout. `readiness` selects that analysis, else the Link Validator.
enum class AnalysisKind { Readiness, LinkValidator, LinkPopularity };

// Parses the options and PROJECT, runs the one analysis on a worker with the progress on stderr,
// and prints the summary page's path as the last line of stdout.
int RunAnalysisCommand(CliContext& context, std::string_view command, AnalysisKind kind);

}  // namespace sg
