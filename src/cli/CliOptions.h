#pragma once

#include <string>
#include <vector>

namespace sg {

// The options that come before the command name, and the command with its own arguments.
struct CliOptions {
    std::string workDir;  // empty: the current directory
    bool showHelp = false;
    bool showVersion = false;
    std::string command;
    std::vector<std::string> commandArgs;
};

// Parses `args` (without the program name). Returns false with a one-line `error` on bad usage;
// no command is bad usage unless --help or --version was given.
bool ParseCliOptions(std::vector<std::string> args, CliOptions& options, std::string& error);

// Moves "--workdir DIR" (or "--workdir=DIR") from the command's arguments into workDir, for the
// commands that take it after their name. False with `error` when its folder is missing.
bool TakeWorkDirAfterName(CliOptions& options, std::string& error);

}  // namespace sg
