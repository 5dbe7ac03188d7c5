#include "cli/CliCommand.h"

#include <string>

#include "cli/ExitCode.h"

namespace sg {

void CliError(CliContext& context, std::string_view message) {
    context.err << "sitegauge-cli: " << message << '\n';
}

int CliUsageError(CliContext& context, std::string_view command, std::string_view message) {
    CliError(context, std::string(command) + ": " + std::string(message) + " (see --help)");
    return kExitUsage;
}

}  // namespace sg
