#pragma once
// A program started with two one-way channels beside its standard streams: it reads what we
// write on its descriptor 3 and writes what we read on its descriptor 4 (the shape of a
// browser's debugging pipe). The channels are stream sockets, so that our writes can refuse to
// raise SIGPIPE (send with MSG_NOSIGNAL) when the child has gone. Its standard streams go to
// /dev/null, it gets no other descriptor of ours, and it leads a process group of its own, so that
// Stop ends it with every process it started.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace sg {

class PipedChild {
  public:
    // Results of Start.
    static constexpr int kStarted = 0;
    static constexpr int kPipeFailed = 1;
    static constexpr int kSpawnFailed = 2;

    PipedChild() = default;
    // Stops the child (Stop) when it still runs.
    ~PipedChild();
    PipedChild(const PipedChild&) = delete;
    PipedChild& operator=(const PipedChild&) = delete;

    // Starts `program` (a path, or a name looked up on PATH) with `args` after its name.
    // kStarted; kPipeFailed when the pipes could not be made; kSpawnFailed when the program
    // could not be started. Only once per object.
    int Start(const std::string& program, const std::vector<std::string>& args);

    // Our ends (sockets): write to the child's descriptor 3, read from its descriptor 4; -1
    // before a start. Non-blocking, closed on exec.
    int WriteFd() const { return toChild_; }
    int ReadFd() const { return fromChild_; }
    pid_t Pid() const { return pid_; }

    // Whether the child has ended (reaped here); true before a start.
    bool Ended();
    // Kills the child's process group and reaps the child, waiting at most `bound`; closes our
    // pipe ends. Afterwards Ended() is true unless the child could not be reaped in time.
    void Stop(std::chrono::milliseconds bound = std::chrono::milliseconds(5000));

  private:
    void ClosePipes();

    pid_t pid_ = -1;
    bool reaped_ = true;
    int toChild_ = -1;
    int fromChild_ = -1;
};

// The memory of a process and all its descendants in bytes: the sum of their proportional set
// sizes (/proc/PID/smaps_rollup; the resident size where that cannot be read). 0 when `root` is
// gone. Reads /proc once for the tree, linear in the number of processes.
std::size_t ProcessTreeMemory(pid_t root);

// The path of an executable `name` (with a "/": itself, when executable), else the first
// executable match in the folders of $PATH; empty when there is none.
std::string FindProgram(const std::string& name);

}  // namespace sg
