#include "cli/CliOptions.h"

#include <charconv>
#include <chrono>
#include <cstdlib>

#include "cli/CliArgs.h"
#include "engines/EngineHosts.h"
#include "engines/LiveSearch.h"
#include "net/ConnectionSetting.h"
#include "net/MetasearchSetting.h"

namespace sg {
namespace {

constexpr const char* kMetasearchEnv = "SITEGAUGE_METASEARCH";

// For the whole command, whatever the stored setting says; false for an address of another form.
bool OverrideMetasearch(const std::string& text) {
    std::string address;
    if (ParseMetasearchAddress(text, address) != kMetasearchAddressOk) {
        return false;
    }
    OverrideMetasearchInstance(address);
    return true;
}

bool ParseMilliseconds(const std::string& text, int& value) {
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && failed == std::errc() && end == text.data() + text.size() &&
           value >= 0 && value <= 60000;
}

}  // namespace

bool ParseCliOptions(std::vector<std::string> args, CliOptions& options, std::string& error) {
    CliArgs cursor(std::move(args));
    std::string engineHost;
    std::string connections;
    std::string metasearch;
    if (const char* env = std::getenv(kMetasearchEnv); env != nullptr && *env != '\0') {
        if (!OverrideMetasearch(env)) {
            error = std::string(kMetasearchEnv) +
                    " needs http:// or https://, a host, an optional port and path: " + env;
            return false;
        }
    }
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
        } else if (cursor.TakeValue("--metasearch", metasearch)) {
            if (!cursor.Failed() && !OverrideMetasearch(metasearch)) {
                cursor.Fail(
                    "--metasearch needs http:// or https://, a host, an optional port "
                    "and path: " +
                    metasearch);
            }
        } else if (cursor.TakeValue("--metasearch-pause", metasearch)) {
            int pause = 0;
            if (!cursor.Failed() && !ParseMilliseconds(metasearch, pause)) {
                cursor.Fail("--metasearch-pause needs milliseconds from 0 to 60000: " + metasearch);
            } else if (!cursor.Failed()) {
                SetLivePagePause(std::chrono::milliseconds(pause));
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
