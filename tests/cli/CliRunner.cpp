#include "cli/CliRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/FileSystem.h"

extern char** environ;

namespace sg::test {

CliResult RunCli(const std::string& folder, const std::vector<std::string>& args) {
    const std::string outPath = folder + "/.cli-stdout";
    const std::string errPath = folder + "/.cli-stderr";
    std::vector<std::string> argStorage;
    argStorage.push_back(SITEGAUGE_CLI_PATH);
    argStorage.insert(argStorage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStorage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    CliResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    ReadWholeFile(outPath, result.out);
    ReadWholeFile(errPath, result.err);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

}  // namespace sg::test
