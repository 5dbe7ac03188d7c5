#include "cli/LinksCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "links [--nested] [--max-pages N] [--open] [--fail-on-broken] [--json FILE] [--csv FILE]\n"
    "      PROJECT    judge every link, image, stylesheet and script of each site's start page\n"
    "                 (--nested: of every page of the site a crawl reaches, each page once, at\n"
    "                 most N pages a site, 10000 unless set) and list the broken, available\n"
    "                 and unreachable ones; PROJECT, progress, output, exit codes and the\n"
    "                 connection rule as for readiness. The last line on stderr counts the\n"
    "                 pages visited, links judged, broken and unreachable. --fail-on-broken\n"
    "                 exits 3 when a link is broken or unreachable; --json FILE and --csv FILE\n"
    "                 as for readiness";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "links", AnalysisKind::LinkValidator);
}

}  // namespace

CliCommand LinksCommand() {
    return CliCommand{"links", kUsage, &Run, kLinksExitCodes};
}

}  // namespace sg
