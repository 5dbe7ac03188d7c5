#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// What a command gets to work with: its own arguments (after the command name) and the two
// terminal streams. Text for the terminal is UTF-8; the core's text is Windows-1252.
struct CliContext {
    std::vector<std::string> args;
    std::ostream& out;
    std::ostream& err;
};

// One command of sitegauge-cli. `run` returns an exit code (ExitCode.h); it is called after
// StartUp.
struct CliCommand {
    std::string_view name;
    // Lines for --help, each a full invocation without the program name, then what it does.
    std::string_view usage;
    int (*run)(CliContext& context);
    // "COMMAND --help" ends with these lines: each exit code the command gives and its meaning.
    std::string_view exitCodes;
    // The command also takes the global --workdir DIR after its name (main takes it out before
    // StartUp, so the command never sees it).
    bool workDirAfterName = false;
};

// Writes "sitegauge-cli: " + message as one line on the error stream.
void CliError(CliContext& context, std::string_view message);

// Writes "sitegauge-cli: COMMAND: MESSAGE (see --help)" and answers kExitUsage, for a command's
// bad usage.
int CliUsageError(CliContext& context, std::string_view command, std::string_view message);

}  // namespace sg
