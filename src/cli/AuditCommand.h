#pragma once

#include "cli/CliCommand.h"

namespace sg {

// sitegauge-cli audit: the Site Audit of each site, with its checks listed in --help.
CliCommand AuditCommand();

}  // namespace sg
