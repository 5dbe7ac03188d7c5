#pragma once
// Runs the sitegauge-cli binary in a given folder and collects what it printed.

#include <string>
#include <vector>

namespace sg::test {

struct CliResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs SITEGAUGE_CLI_PATH with `args` (no shell involved), current directory `folder`; its
// output goes through files in `folder`, which are removed again.
CliResult RunCli(const std::string& folder, const std::vector<std::string>& args);

}  // namespace sg::test
