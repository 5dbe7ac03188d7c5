#include "platform/OpenDocument.h"

#include <spawn.h>
#include <sys/wait.h>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

extern char** environ;

namespace sg {
namespace {

std::mutex openerMutex;
DocumentOpener customOpener;

bool Spawn(const std::string& program, const std::string& path) {
    if (program.empty()) {
        return false;
    }
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()),
                               nullptr};
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be executed as an error, so the fallback works.
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace

bool LaunchDocumentViewer(const std::string& program, const std::string& fallbackProgram,
                          const std::string& path) {
    return Spawn(program, path) || Spawn(fallbackProgram, path);
}

bool OpenDocument(const std::string& path) {
    DocumentOpener opener;
    {
        std::lock_guard<std::mutex> lock(openerMutex);
        opener = customOpener;
    }
    if (opener) {
        return opener(path);
    }
    const char* browser = std::getenv("BROWSER");
    return LaunchDocumentViewer("xdg-open", browser != nullptr ? browser : "", path);
}

void SetDocumentOpener(DocumentOpener opener) {
    std::lock_guard<std::mutex> lock(openerMutex);
    customOpener = std::move(opener);
}

}  // namespace sg
