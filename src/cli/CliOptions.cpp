#include "cli/CliOptions.h"

#include "cli/CliArgs.h"
#include "engines/EngineHosts.h"

namespace sg {

bool ParseCliOptions(std::vector<std::string> args, CliOptions& options, std::string& error) {
    CliArgs cursor(std::move(args));
    std::string engineHost;
    while (!cursor.AtEnd()) {
        if (cursor.TakeFlag("--help") || cursor.TakeFlag("-h")) {
            options.showHelp = true;
        } else if (cursor.TakeFlag("--version")) {
            options.showVersion = true;
        } else if (cursor.TakeValue("--workdir", options.workDir)) {
            if (!cursor.Failed() && options.workDir.empty()) {
                cursor.Fail("--workdir needs a folder");
            }
        } else if (cursor.TakeValue("--engine-host", engineHost)) {
            // Takes effect at once, for every engine request of the command.
            if (!cursor.Failed() && OverrideEngineHost(engineHost) != kHostsOk) {
                cursor.Fail("--engine-host needs ID=HOST[:PORT], ID 0..10, 2b or 5b: " +
                            engineHost);
            }
        } else if (cursor.TakePositional(options.command)) {
            options.commandArgs = cursor.TakeRest();
        } else {
            cursor.Fail("unknown option " + cursor.Current());
        }
        if (cursor.Failed()) {
            error = cursor.Error();
            return false;
        }
    }
    if (options.command.empty() && !options.showHelp && !options.showVersion) {
        error = "no command given";
        return false;
    }
    return true;
}

}  // namespace sg
