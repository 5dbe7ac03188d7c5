#pragma once

#include <ostream>

namespace sg {

// The --help text: the global options, every command and the exit codes.
void PrintCliUsage(std::ostream& out);

}  // namespace sg
