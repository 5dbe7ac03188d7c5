#pragma once

#include <ostream>

#include "cli/CliCommand.h"

namespace sg {

// The --help text: the global options, every command and the exit codes.
void PrintCliUsage(std::ostream& out);

// "COMMAND --help": the command's invocations and what it does, its exit codes, and where the
// global options are described.
void PrintCommandUsage(std::ostream& out, const CliCommand& command);

}  // namespace sg
