#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "profile create FILE --name NAME [--url URL]... [--keyword WORD]..." and "profile show FILE".
CliCommand ProfileCommand();

}  // namespace sg
