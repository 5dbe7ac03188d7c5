#include "cli/AuthorityOptions.h"

#include <filesystem>
#include <system_error>

#include "cli/ExitCode.h"
#include "model/AppState.h"
#include "model/LinkAuthoritySettings.h"
#include "platform/FileSystem.h"

namespace sg {

bool TakeAuthorityOption(CliArgs& args, AuthorityArgs& parsed) {
    if (args.TakeValue("--cc-ranks", parsed.ranksFile)) {
        if (!args.Failed() && parsed.ranksFile.empty()) {
            args.Fail("--cc-ranks needs a file");
        }
        return true;
    }
    if (args.TakeValue("--opr-key", parsed.oprKey)) {
        if (!args.Failed() && parsed.oprKey.empty()) {
            args.Fail("--opr-key needs a key");
        }
        return true;
    }
    return false;
}

int ApplyAuthorityOptions(CliContext& context, std::string_view command,
                          const AuthorityArgs& parsed) {
    if (parsed.ranksFile.empty() && parsed.oprKey.empty()) {
        return kExitOk;
    }
    const std::string prefix = std::string(command) + ": ";
    LinkAuthoritySettings stored;
    LoadLinkAuthoritySettings(App().paths.linkAuthorityFile, stored);
    if (!parsed.ranksFile.empty()) {
        std::error_code error;
        const std::string path = std::filesystem::absolute(parsed.ranksFile, error).string();
        if (error || !FileExists(path)) {
            CliError(context, prefix + "the ranks file " + parsed.ranksFile + " is not there");
            return kExitUsage;
        }
        stored.ranksFile = path;
        App().authority.ranksFile = path;
    }
    if (!parsed.oprKey.empty()) {
        stored.oprKey = parsed.oprKey;
        App().authority.oprKey = parsed.oprKey;
    }
    if (!SaveLinkAuthoritySettings(App().paths.linkAuthorityFile, stored)) {
        CliError(context,
                 prefix + "the settings could not be kept in " + App().paths.linkAuthorityFile);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace sg
