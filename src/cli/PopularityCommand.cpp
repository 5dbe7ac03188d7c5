#include "cli/PopularityCommand.h"

#include "cli/AnalysisCommand.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "popularity [--open] [--json FILE] [--csv FILE] [AUTHORITY] PROFILE\n"
    "popularity [--open] [--json FILE] [--csv FILE] [AUTHORITY]\n"
    "           --name NAME --url URL... [--keyword WORD]...\n"
    "                 ask nine search engines how many pages link to each site (URLs without\n"
    "                 \"http://\", kept in the order given) and write the Link Popularity page;\n"
    "                 progress goes to stderr, the last line of stdout is the page, which\n"
    "                 --open shows in the browser. A project that cannot be analysed exits 2;\n"
    "                 Ctrl-C cancels (exit 130, no page). Engine hosts all on this machine\n"
    "                 (see --engine-host) need no internet connection. --json FILE and\n"
    "                 --csv FILE also write the counts as data (\"-\": stdout, and the page's\n"
    "                 path goes to stderr instead). Then the table \"Link authority today\":\n"
    "                 each site's registrable domain in Common Crawl's domain ranks file\n"
    "                 (--cc-ranks FILE, the .txt.gz as downloaded; the first run indexes it)\n"
    "                 and on Open PageRank (--opr-key KEY, or SITEGAUGE_OPR_KEY; its address\n"
    "                 SITEGAUGE_OPR_URL); both options are kept in the settings for later runs.\n"
    "                 Each run adds to Reports/Link Popularity/history.csv and history.html.\n"
    "                 AUTHORITY is [--cc-ranks FILE] [--opr-key KEY]";

int Run(CliContext& context) {
    return RunAnalysisCommand(context, "popularity", AnalysisKind::LinkPopularity);
}

}  // namespace

CliCommand PopularityCommand() {
    return CliCommand{"popularity", kUsage, &Run, kAnalysisExitCodes};
}

}  // namespace sg
