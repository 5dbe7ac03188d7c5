#pragma once

#include <span>
#include <string_view>

#include "cli/CliCommand.h"

namespace sg {

// Every command, in the order --help lists them. A new command is one more file that provides
// a CliCommand, plus its line in CliCommands.cpp.
std::span<const CliCommand> CliCommands();
const CliCommand* FindCliCommand(std::string_view name);

}  // namespace sg
