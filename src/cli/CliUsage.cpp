#include "cli/CliUsage.h"

#include "cli/CliCommands.h"

namespace sg {

void PrintCliUsage(std::ostream& out) {
    out << "Usage: sitegauge-cli [--workdir DIR] [--engine-host ID=HOST[:PORT]]... COMMAND ...\n"
           "       sitegauge-cli --help | --version\n"
           "\n"
           "Options:\n"
           "  --workdir DIR  the working folder (default: the current directory)\n"
           "  --engine-host ID=HOST[:PORT]\n"
           "                 the host that stands for search engine ID (0..10 in the engine\n"
           "                 order; 2b and 5b: the link-count hosts of AllTheWeb and Euroseek);\n"
           "                 repeatable; it wins over SITEGAUGE_ENGINE_HOSTS (the same form,\n"
           "                 comma-separated)\n"
           "  --help         show this text\n"
           "  --version      show the program's version\n"
           "\n"
           "Commands:\n";
    for (const CliCommand& command : CliCommands()) {
        std::string_view usage = command.usage;
        while (!usage.empty()) {
            std::size_t end = usage.find('\n');
            out << "  " << usage.substr(0, end) << '\n';
            usage = end == std::string_view::npos ? std::string_view() : usage.substr(end + 1);
        }
    }
    out << "\n"
           "Exit codes:\n"
           "  0  success\n"
           "  1  the command could not do its work (for example, a profile could not be written)\n"
           "  2  bad usage, or input that cannot be read (a missing or malformed profile)\n";
}

}  // namespace sg
