#pragma once
// popularity's --cc-ranks FILE and --opr-key KEY: the Common Crawl ranks file and the Open
// PageRank key, chosen once: each is put in force and kept in the link authority settings
// file (owner-only), for later runs and the desktop program.

#include <string>

#include "cli/CliArgs.h"
#include "cli/CliCommand.h"

namespace sg {

struct AuthorityArgs {
    std::string ranksFile;
    std::string oprKey;
};

// True when the current argument was one of the two options (a missing value fails `args`).
bool TakeAuthorityOption(CliArgs& args, AuthorityArgs& parsed);
// Puts the given ones in force and stores them beside what the settings file held: kExitOk;
// kExitUsage when the ranks file is missing, kExitFailed when the settings file could not be
// written, the reason on stderr (never the key).
int ApplyAuthorityOptions(CliContext& context, std::string_view command,
                          const AuthorityArgs& parsed);

}  // namespace sg
