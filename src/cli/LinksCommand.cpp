#include "cli/LinksCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "links [--nested] [--open] PROJECT\n"
    "                 judge every link of each site's start page (--nested: of every page of\n"
    "                 the site a crawl reaches) and list the broken, available and unreachable\n"
    "                 ones; PROJECT, progress, output, exit codes and the connection rule as\n"
    "                 for readiness";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "links", AnalysisKind::LinkValidator);
}

}  // namespace

CliCommand LinksCommand() {
    return CliCommand{"links", kUsage, &Run, kAnalysisExitCodes};
}

}  // namespace sg
