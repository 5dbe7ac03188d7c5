#include "cli/CliOptions.h"

#include <charconv>

#include "cli/CliArgs.h"
#include "engines/EngineHosts.h"
#include "net/ConnectionSetting.h"

namespace sg {

bool ParseCliOptions(std::vector<std::string> args, CliOptions& options, std::string& error) {
    CliArgs cursor(std::move(args));
    std::string engineHost;
    std::string connections;
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
        } else if (cursor.TakeValue("--connections", connections)) {
            int value = 0;
            const auto [end, failed] =
                std::from_chars(connections.data(), connections.data() + connections.size(), value);
            if (!cursor.Failed() &&
                (failed != std::errc() || end != connections.data() + connections.size() ||
                 value < 1 || value > kMaxConnectionsPerHost)) {
                cursor.Fail("--connections needs a number from 1 to " +
                            std::to_string(kMaxConnectionsPerHost) + ": " + connections);
            } else if (!cursor.Failed()) {
                // For the whole command, whatever the stored setting says.
                OverrideConnectionsPerHost(value);
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

bool TakeWorkDirAfterName(CliOptions& options, std::string& error) {
    constexpr std::string_view kOption = "--workdir";
    std::vector<std::string> rest;
    const std::vector<std::string>& args = options.commandArgs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == kOption || arg.starts_with("--workdir=")) {
            std::string folder;
            if (arg == kOption) {
                folder = ++i < args.size() ? args[i] : std::string();
            } else {
                folder = arg.substr(kOption.size() + 1);
            }
            if (folder.empty()) {
                error = "--workdir needs a folder";
                return false;
            }
            options.workDir = folder;
        } else {
            rest.push_back(args[i]);
        }
    }
    options.commandArgs = std::move(rest);
    return true;
}

}  // namespace sg
