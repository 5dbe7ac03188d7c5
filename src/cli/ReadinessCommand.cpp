#include "cli/ReadinessCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "readiness [--nested [--render]] [--max-pages N] [--max-links-per-page N] [--ignore-robots]\n"
    "      [--rate N] [--open] [--fail-on-warnings] [--json FILE] [--csv FILE] PROJECT\n"
    "                 check each site's page for search engines (--nested: also every page of\n"
    "                 the site a crawl reaches, at most N, 10000 unless set; the crawl keeps\n"
    "                 robots.txt, --max-links-per-page, --ignore-robots and --rate N as for\n"
    "                 links); PROJECT is a profile file, or\n"
    "                 --name NAME [--url URL]... [--keyword WORD]... (kept in the order\n"
    "                 given; \"http://\" is dropped from a URL). Progress goes to stderr; the\n"
    "                 last line of stdout is the summary page, which --open shows in the\n"
    "                 browser. A project that cannot be analysed exits 2; Ctrl-C cancels\n"
    "                 (exit 130, no summary page). Sites all on this machine (127.x.x.x,\n"
    "                 localhost) need no internet connection; any other site requires one\n"
    "                 (exit 1 without). --fail-on-warnings exits 3 when a page has a tag\n"
    "                 missing or over its limit or an image without alt text; --json FILE\n"
    "                 and --csv FILE also write the results as data (\"-\": stdout, and the\n"
    "                 summary page's path goes to stderr instead); --render as for links";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "readiness", AnalysisKind::Readiness);
}

}  // namespace

CliCommand ReadinessCommand() {
    return CliCommand{"readiness", kUsage, &Run, kReadinessExitCodes};
}

}  // namespace sg
