#include "cli/ReadinessCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "readiness [--nested] [--open] PROJECT\n"
    "                 check each site's page for search engines (--nested: also every page of\n"
    "                 the site a crawl reaches); PROJECT is a profile file, or\n"
    "                 --name NAME [--url URL]... [--keyword WORD]... (URLs without \"http://\",\n"
    "                 kept in the order given). Progress goes to stderr; the last line of\n"
    "                 stdout is the summary page, which --open shows in the browser. A project\n"
    "                 that cannot be analysed exits 2; Ctrl-C cancels (exit 130, no summary\n"
    "                 page). Sites all on this machine (127.x.x.x, localhost) need no internet\n"
    "                 connection; any other site requires one (exit 1 without)";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "readiness", true);
}

}  // namespace

CliCommand ReadinessCommand() {
    return CliCommand{"readiness", kUsage, &Run};
}

}  // namespace sg
