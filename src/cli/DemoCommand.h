#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "demo [--workdir DIR]": every analysis on the demo sites, served on this machine.
CliCommand DemoCommand();

}  // namespace sg
