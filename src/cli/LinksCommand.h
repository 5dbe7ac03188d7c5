#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "links [--nested] [--open] PROJECT": the Link Validator analysis.
CliCommand LinksCommand();

}  // namespace sg
