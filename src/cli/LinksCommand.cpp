#include "cli/LinksCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "links [--nested] [--max-pages N] [--max-links-per-page N] [--ignore-robots] [--rate N]\n"
    "      [--render] [--open] [--fail-on-broken] [--json FILE] [--csv FILE] PROJECT\n"
    "                 judge every link, image, stylesheet and script of each site's start page\n"
    "                 (--nested: of every page of the site a crawl reaches, each page once, at\n"
    "                 most N pages a site, 10000 unless set) and list the broken, available\n"
    "                 and unreachable ones; PROJECT, progress, output, exit codes and the\n"
    "                 connection rule as for readiness. Of one page at most\n"
    "                 --max-links-per-page links are read (10000 unless set; the rest are\n"
    "                 counted and said). Each site's robots.txt is read first\n"
    "                 and kept: a link it disallows is not asked and is listed as blocked, and\n"
    "                 its Crawl-delay (at most 30 s) spaces the requests to the site.\n"
    "                 --ignore-robots does not keep it on the own site (the first URL; never on\n"
    "                 a competitor's); --rate N asks each host at most N times a second. The\n"
    "                 last line on stderr counts the pages visited, links judged, broken and\n"
    "                 unreachable (and blocked, and the page limit when it stopped a crawl).\n"
    "                 --fail-on-broken exits 3 when a link is broken or unreachable; --json FILE\n"
    "                 and --csv FILE as for readiness. --render loads each page of the sites\n"
    "                 in a headless chromium (slower) and reads the document after its\n"
    "                 scripts, with the requests the browser made; without chromium it exits 2";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "links", AnalysisKind::LinkValidator);
}

}  // namespace

CliCommand LinksCommand() {
    return CliCommand{"links", kUsage, &Run, kLinksExitCodes};
}

}  // namespace sg
