#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "readiness [--nested] [--open] PROJECT": the Search Engine Readiness analysis.
CliCommand ReadinessCommand();

}  // namespace sg
