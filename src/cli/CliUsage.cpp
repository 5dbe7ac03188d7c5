#include "cli/CliUsage.h"

#include "cli/CliCommands.h"

namespace sg {

void PrintCliUsage(std::ostream& out) {
    out << "Usage: sitegauge-cli [--workdir DIR] COMMAND ...\n"
           "       sitegauge-cli --help | --version\n"
           "\n"
           "Options:\n"
           "  --workdir DIR  the working folder (default: the current directory)\n"
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
