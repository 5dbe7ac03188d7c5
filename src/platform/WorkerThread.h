#pragma once
// One worker thread and whether its body has returned: the shape every run of the program
// shares (the analysis run, the Position Analyzer run, the FTP Center's worker). The owner keeps
// its own policy; the run control, when given, is the one the body's waits check.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace sg {

class RunControl;

class WorkerThread {
  public:
    WorkerThread();
    // Joins a thread that was neither waited for nor detached; owners cancel their body first.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `body` on a new thread, inside RunControl::Scope(control) when a control is given.
    // False, and nothing started, while the thread started before has not ended; an ended one
    // is collected first.
    bool Start(std::function<void()> body);
    bool Start(RunControl& control, std::function<void()> body);
    // Started and the body has not returned yet.
    bool Running() const;
    // Until the body has returned and the thread is collected; at once when none was started.
    void Wait();
    // True when the body returned within the time-out (at once when none is running).
    bool WaitFor(std::chrono::milliseconds timeout);
    // Gives up on a thread that does not end: it goes on alone and is never joined, and Start
    // may start another.
    void Detach();

  private:
    struct State;
    // Shared with the thread, so that a detached thread may outlive this object.
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace sg
