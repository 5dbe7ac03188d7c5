#include "cli/LinksCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "links [--nested] [--open] [--fail-on-broken] [--json FILE] [--csv FILE] PROJECT\n"
    "                 judge every link of each site's start page (--nested: of every page of\n"
    "                 the site a crawl reaches) and list the broken, available and unreachable\n"
    "                 ones; PROJECT, progress, output, exit codes and the connection rule as\n"
    "                 for readiness. --fail-on-broken exits 3 when a link is broken or\n"
    "                 unreachable; --json FILE and --csv FILE as for readiness";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "links", AnalysisKind::LinkValidator);
}

}  // namespace

CliCommand LinksCommand() {
    return CliCommand{"links", kUsage, &Run, kLinksExitCodes};
}

}  // namespace sg
