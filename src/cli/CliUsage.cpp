#include "cli/CliUsage.h"

#include <string_view>

#include "cli/CliCommands.h"

namespace sg {
namespace {

// Each line of `text` with `indent` in front.
void PrintIndented(std::ostream& out, std::string_view indent, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        out << indent << text.substr(0, end) << '\n';
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

}  // namespace

void PrintCliUsage(std::ostream& out) {
    out << "Usage: sitegauge-cli [--workdir DIR] [--connections N] [--engine-host "
           "ID=HOST[:PORT]]...\n"
           "                    [--metasearch URL] [--metasearch-pause MS]\n"
           "                    COMMAND ...\n"
           "       sitegauge-cli COMMAND --help\n"
           "       sitegauge-cli --help | --version\n"
           "\n"
           "Sitegauge checks web sites for search engines and writes HTML reports under the\n"
           "working folder's Reports folder. \"sitegauge-cli demo\" shows it all on two demo\n"
           "sites, with no internet connection needed.\n"
           "\n"
           "Options:\n"
           "  --workdir DIR  the working folder (default: the current directory)\n"
           "  --connections N\n"
           "                 at most N connections to one site at once (1..32, default 8 or\n"
           "                 the desktop program's setting); 1 asks one thing at a time. The\n"
           "                 results are the same either way, only sooner\n"
           "  --engine-host ID=HOST[:PORT]\n"
           "                 the host that stands for search engine ID (0..10 in the engine\n"
           "                 order; 2b and 5b: the link-count hosts of AllTheWeb and Euroseek);\n"
           "                 repeatable; it wins over SITEGAUGE_ENGINE_HOSTS (the same form,\n"
           "                 comma-separated)\n"
           "  --metasearch URL\n"
           "                 a self-hosted metasearch instance (http:// or https://, host,\n"
           "                 optional port and path) whose enabled general engines positions\n"
           "                 --engines can name; it wins over SITEGAUGE_METASEARCH and the\n"
           "                 desktop program's setting; \"\" for none\n"
           "  --metasearch-pause MS\n"
           "                 the pause between two result pages of the instance (default 1000)\n"
           "  --help         show this text (after a command: that command's help)\n"
           "  --version      show the program's version\n"
           "\n"
           "Commands:\n";
    for (const CliCommand& command : CliCommands()) {
        PrintIndented(out, "  ", command.usage);
    }
    out << "\n"
           "Exit codes:\n"
           "  0    success\n"
           "  1    the command could not do its work (for example, a profile could not be\n"
           "       written, or there is no internet connection)\n"
           "  2    bad usage, or input that cannot be read (a missing or malformed profile)\n"
           "  3    links --fail-on-broken found a broken or unreachable link, or readiness\n"
           "       --fail-on-warnings a page with a tag missing or too long or an image\n"
           "       without alt text (the report is written)\n"
           "  130  an analysis or the demo was stopped with Ctrl-C\n"
           "\"sitegauge-cli COMMAND --help\" lists the exit codes of one command.\n";
}

void PrintCommandUsage(std::ostream& out, const CliCommand& command) {
    out << "Usage: sitegauge-cli [global options] " << command.name << " ...\n\n";
    PrintIndented(out, "  ", command.usage);
    out << "\nExit codes:\n";
    PrintIndented(out, "  ", command.exitCodes);
    out << "\nThe global options (--workdir DIR, --connections N, --engine-host ID=HOST[:PORT],\n"
           "--metasearch URL, --metasearch-pause MS) come before the command; \"sitegauge-cli\n"
           "--help\" describes them.\n";
}

}  // namespace sg
