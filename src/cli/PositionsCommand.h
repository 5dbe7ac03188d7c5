#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "positions": a Position Analyzer run in the terminal.
CliCommand PositionsCommand();

}  // namespace sg
