#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "popularity": a Link Popularity run over the project's sites.
CliCommand PopularityCommand();

}  // namespace sg
