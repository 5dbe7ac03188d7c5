#include "cli/CliCommand.h"

namespace sg {

void CliError(CliContext& context, std::string_view message) {
    context.err << "sitegauge-cli: " << message << '\n';
}

}  // namespace sg
