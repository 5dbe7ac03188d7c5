#include "platform/PipedChild.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>
#include <thread>
#include <unordered_map>

extern char** environ;

namespace sg {
namespace {

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// The parent pid from /proc/PID/stat ("pid (comm) state ppid ..."); the name may hold blanks
// and parentheses, so the fields are read after its last ')'.
pid_t ParentOf(const char* pidText) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pidText);
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line)) {
        return -1;
    }
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 4 >= line.size()) {
        return -1;
    }
    // ") S PPID"
    return static_cast<pid_t>(std::atol(line.c_str() + close + 4));
}

// Bytes of one process: its Pss line in smaps_rollup, else its resident pages from statm.
std::size_t MemoryOf(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/smaps_rollup", static_cast<int>(pid));
    std::ifstream rollup(path);
    std::string line;
    while (std::getline(rollup, line)) {
        if (line.rfind("Pss:", 0) == 0) {
            return static_cast<std::size_t>(std::atoll(line.c_str() + 4)) * 1024;
        }
    }
    std::snprintf(path, sizeof path, "/proc/%d/statm", static_cast<int>(pid));
    std::ifstream statm(path);
    long long size = 0;
    long long resident = 0;
    if (statm >> size >> resident) {
        return static_cast<std::size_t>(resident) *
               static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    }
    return 0;
}

}  // namespace

PipedChild::~PipedChild() {
    Stop();
}

int PipedChild::Start(const std::string& program, const std::vector<std::string>& args) {
    if (pid_ >= 0) {
        return kSpawnFailed;
    }
    // Stream sockets rather than pipes, so that a write to a child that has gone fails with an
    // error instead of a SIGPIPE (send with MSG_NOSIGNAL).
    int down[2];  // we write on [1], the child reads [0] as 3
    int up[2];    // the child writes [1] as 4, we read [0]
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, down) != 0) {
        return kPipeFailed;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, up) != 0) {
        ::close(down[0]);
        ::close(down[1]);
        return kPipeFailed;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, down[0], 3);
    posix_spawn_file_actions_adddup2(&actions, up[1], 4);
    // Nothing else of ours (sockets of the run, files) reaches the child.
    posix_spawn_file_actions_addclosefrom_np(&actions, 5);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(down[0]);
    ::close(up[1]);
    // Each direction is one way only.
    ::shutdown(down[1], SHUT_RD);
    ::shutdown(up[0], SHUT_WR);
    if (spawned != 0) {
        ::close(down[1]);
        ::close(up[0]);
        return kSpawnFailed;
    }
    pid_ = pid;
    reaped_ = false;
    toChild_ = down[1];
    fromChild_ = up[0];
    ::fcntl(toChild_, F_SETFL, ::fcntl(toChild_, F_GETFL) | O_NONBLOCK);
    ::fcntl(fromChild_, F_SETFL, ::fcntl(fromChild_, F_GETFL) | O_NONBLOCK);
    return kStarted;
}

bool PipedChild::Ended() {
    if (reaped_) {
        return true;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
    }
    return reaped_;
}

void PipedChild::Stop(std::chrono::milliseconds bound) {
    ClosePipes();
    if (pid_ < 0) {
        return;
    }
    // The group holds the helpers the child started; the child itself may have ended first.
    ::kill(-pid_, SIGKILL);
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
    }
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!Ended() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void PipedChild::ClosePipes() {
    CloseFd(toChild_);
    CloseFd(fromChild_);
}

std::size_t ProcessTreeMemory(pid_t root) {
    if (root <= 0) {
        return 0;
    }
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return 0;
    }
    std::unordered_map<pid_t, pid_t> parents;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') {
            continue;
        }
        const pid_t parent = ParentOf(entry->d_name);
        if (parent >= 0) {
            parents.emplace(static_cast<pid_t>(std::atol(entry->d_name)), parent);
        }
    }
    ::closedir(proc);
    if (parents.find(root) == parents.end()) {
        return 0;
    }
    // Children of each process, then a walk down from the root: linear in the processes.
    std::unordered_multimap<pid_t, pid_t> children;
    for (const auto& [pid, parent] : parents) {
        children.emplace(parent, pid);
    }
    std::size_t total = 0;
    std::vector<pid_t> todo{root};
    while (!todo.empty()) {
        const pid_t pid = todo.back();
        todo.pop_back();
        total += MemoryOf(pid);
        auto [from, to] = children.equal_range(pid);
        for (; from != to; ++from) {
            todo.push_back(from->second);
        }
    }
    return total;
}

std::string FindProgram(const std::string& name) {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string::npos) {
        return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        if (!folder.empty()) {
            std::string candidate = std::string(folder) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        folders.remove_prefix(colon + 1);
    }
}

}  // namespace sg
