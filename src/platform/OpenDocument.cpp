#include "platform/OpenDocument.h"

#include <spawn.h>
#include <sys/wait.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>
#include <vector>

extern char** environ;

namespace sg {
namespace {

std::mutex openerMutex;
DocumentOpener customOpener;

// The viewer's pid, or 0 when it could not be started.
pid_t Spawn(const std::string& program, const std::string& path) {
    if (program.empty()) {
        return 0;
    }
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()),
                               nullptr};
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be executed as an error, so the fallback works.
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return 0;
    }
    return pid;
}

}  // namespace

DocumentLaunch::DocumentLaunch(std::chrono::milliseconds grace, std::string fallback,
                               std::string path)
    : deadline_(Clock::now() + grace), fallback_(std::move(fallback)), path_(std::move(path)) {}

int DocumentLaunch::ResultLocked() const {
    // A viewer that started and has not failed by the end of the grace period shows it (a
    // fallback still being started then is late enough to count as well).
    if (result_ == kPending && started_ && Clock::now() >= deadline_) {
        result_ = kShown;
        settled_.notify_all();
    }
    return result_;
}

int DocumentLaunch::Result() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ResultLocked();
}

int DocumentLaunch::WaitFor(std::chrono::milliseconds timeout) const {
    const Clock::time_point until = Clock::now() + timeout;
    std::unique_lock<std::mutex> lock(mutex_);
    while (ResultLocked() == kPending) {
        const Clock::time_point now = Clock::now();
        if (now >= until) {
            return kPending;
        }
        // Woken at the end of the grace period too, when the result settles by itself.
        settled_.wait_until(lock, deadline_ > now ? std::min(until, deadline_) : until);
    }
    return result_;
}

bool DocumentLaunch::Started() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return started_;
}

void DocumentLaunch::Settle(int result) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (result_ == kPending) {
        result_ = result;
        settled_.notify_all();
    }
}

bool DocumentLaunch::Start(const std::string& program, bool isFallback) {
    const pid_t pid = Spawn(program, path_);
    if (pid == 0) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = true;
    }
    std::thread([self = shared_from_this(), pid, isFallback] {
        self->Watch(pid, isFallback);
    }).detach();
    return true;
}

void DocumentLaunch::Watch(int pid, bool isFallback) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::unique_lock<std::mutex> lock(mutex_);
    if (result_ != kPending) {
        return;
    }
    // Ending well, or failing only after it ran through the grace period, is showing it.
    if (ok || Clock::now() >= deadline_) {
        result_ = kShown;
    } else if (!isFallback && !fallback_.empty()) {
        lock.unlock();
        if (Start(fallback_, true)) {
            return;
        }
        lock.lock();
        if (result_ != kPending) {
            return;
        }
        result_ = kViewerFailed;
    } else {
        result_ = kViewerFailed;
    }
    settled_.notify_all();
}

std::shared_ptr<DocumentLaunch> LaunchDocumentViewer(const std::string& program,
                                                     const std::string& fallbackProgram,
                                                     const std::string& path,
                                                     std::chrono::milliseconds grace) {
    auto launch = std::make_shared<DocumentLaunch>(grace, fallbackProgram, path);
    if (!launch->Start(program, false) && !launch->Start(fallbackProgram, true)) {
        launch->Settle(DocumentLaunch::kNoViewer);
    }
    return launch;
}

std::shared_ptr<const DocumentLaunch> LaunchDocument(const std::string& path) {
    DocumentOpener opener;
    {
        std::lock_guard<std::mutex> lock(openerMutex);
        opener = customOpener;
    }
    if (opener) {
        auto launch = std::make_shared<DocumentLaunch>(std::chrono::milliseconds(0), "", path);
        launch->Settle(opener(path) ? DocumentLaunch::kShown : DocumentLaunch::kNoViewer);
        return launch;
    }
    const char* browser = std::getenv("BROWSER");
    return LaunchDocumentViewer("xdg-open", browser != nullptr ? browser : "", path);
}

bool OpenDocument(const std::string& path) {
    const std::shared_ptr<const DocumentLaunch> launch = LaunchDocument(path);
    return launch->Started() || launch->Result() == DocumentLaunch::kShown;
}

void SetDocumentOpener(DocumentOpener opener) {
    std::lock_guard<std::mutex> lock(openerMutex);
    customOpener = std::move(opener);
}

}  // namespace sg
