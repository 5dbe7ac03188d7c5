#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "fetch [--head] URL": one page (or head) fetch with the proxy settings applied.
CliCommand FetchCommand();

}  // namespace sg
