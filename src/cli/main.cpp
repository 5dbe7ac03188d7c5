// sitegauge-cli: the headless front end over the core.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliUsage.h"
#include "cli/ExitCode.h"
#include "model/AppState.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    sg::CliOptions options;
    std::string error;
    if (!sg::ParseCliOptions(std::move(args), options, error)) {
        std::cerr << "sitegauge-cli: " << error << " (see --help)\n";
        return sg::kExitUsage;
    }
    // Help and version only print: they create no working folder.
    if (options.showHelp) {
        sg::PrintCliUsage(std::cout);
        return sg::kExitOk;
    }
    if (options.showVersion) {
        std::cout << sg::kAppTitle << '\n';
        return sg::kExitOk;
    }

    const sg::CliCommand* command = sg::FindCliCommand(options.command);
    if (command == nullptr) {
        std::cerr << "sitegauge-cli: unknown command " << options.command << " (see --help)\n";
        return sg::kExitUsage;
    }
    if (!options.commandArgs.empty() &&
        (options.commandArgs.front() == "--help" || options.commandArgs.front() == "-h")) {
        sg::PrintCommandUsage(std::cout, *command);
        return sg::kExitOk;
    }
    if (command->workDirAfterName && !sg::TakeWorkDirAfterName(options, error)) {
        std::cerr << "sitegauge-cli: " << options.command << ": " << error << " (see --help)\n";
        return sg::kExitUsage;
    }
    // A folder that is not there yet is made, as a user expects; one that cannot be made
    // stops the command before any work.
    if (!options.workDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.workDir, error);
        if (!std::filesystem::is_directory(options.workDir)) {
            std::cerr << "sitegauge-cli: the working folder " << options.workDir
                      << " cannot be created"
                      << (error ? ": " + error.message() : std::string(": not a folder")) << '\n';
            return sg::kExitUsage;
        }
    }
    sg::StartUp(options.workDir);
    sg::CliContext context{std::move(options.commandArgs), std::cout, std::cerr};
    return command->run(context);
}
