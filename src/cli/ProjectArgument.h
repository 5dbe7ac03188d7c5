#pragma once
// The PROJECT argument of the analysis commands: a profile file, or --name with --url and
// --keyword in any order, the lists kept in the order given (as "profile create" takes them).

#include <string>
#include <string_view>
#include <vector>

#include "cli/CliArgs.h"
#include "cli/CliCommand.h"
#include "model/Project.h"

namespace sg {

struct ProjectArgument {
    std::string profile;
    bool inline_ = false;
    std::string name;
    std::vector<std::string> urls;
    std::vector<std::string> keywords;
};

// Takes the current argument when it belongs to the project (--name, --url, --keyword or the
// profile path); false when it is not one of them.
bool TakeProjectArgument(CliArgs& args, ProjectArgument& project);
// After the last argument: exactly one of the two forms must have been given.
bool CheckProjectArgument(CliArgs& args, const ProjectArgument& project);
// Fills `project` (URLs typed inline lose their "http://", as the Project dialog does). Prints
// what is wrong and answers false for a profile that cannot be read.
bool LoadProjectArgument(CliContext& context, std::string_view command,
                         const ProjectArgument& argument, Project& project);
// Why IsProjectReady fails, in one phrase; empty when it holds.
std::string NotReadyReason(const Project& project);

}  // namespace sg
