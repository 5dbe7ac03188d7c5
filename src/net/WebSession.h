#pragma once
// The connections of one run: every web request of a run goes through its session, which keeps
// one cache of open connections (persistent HTTP/1.1, HTTP/2 over TLS where the server offers
// it) and one cache of TLS sessions, and drives every transfer in flight from one thread of its
// own with one libcurl multi handle. A run makes one and puts it in scope on its thread; a client
// outside any run makes a private one. Nothing of it is process-wide.
//
// Bounds: at most the given number of connections to one host (host and port), and
// kTotalConnections in all; every wait of the session's thread is at most one
// RunControl::kWaitSliceMs, so each transfer's own bounds and its run's cancel are looked at
// within one slice. The destructor ends whatever is still in flight and joins the thread.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "net/ConnectionSetting.h"
#include "platform/WorkerThread.h"

namespace sg {

class WebSession {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kTotalConnections = kMaxConnectionsPerHost;

    // What the session drives: a fetch with its transfers. Its calls come on the session's
    // thread only.
    class Task {
      public:
        virtual ~Task() = default;
        // A transfer the task added has ended with curl's result (a CURLcode).
        virtual void OnTransferDone(void* easy, int code) = 0;
        // Called at least once a slice: the task checks its waits and its run's cancel. Returns
        // the next time it needs to be called at the latest (Clock::time_point::max() for
        // "within a slice").
        virtual Clock::time_point OnTick(Clock::time_point now) = 0;
    };

    // `perHost` connections to one host (kept within 1..kMaxConnectionsPerHost).
    explicit WebSession(int perHost = ConnectionsPerHost());
    ~WebSession();
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // Any thread: runs `job` on the session's thread, soon and in the order posted.
    void Post(std::function<void()> job);
    // Any thread: has the session's thread look at its tasks now instead of at the end of its
    // slice (after a cancel, for instance).
    void Wake();

    // The session's thread only. A task is ticked from AddTask until RemoveTask.
    void AddTask(Task* task);
    void RemoveTask(Task* task);
    // Starts the transfer of an easy handle (a CURL*) for `task`, which hears of its end through
    // OnTransferDone; false when it could not be started. The handle gets the session's TLS
    // session cache.
    bool AddTransfer(void* easy, Task* task);
    // Ends a transfer at once; its task is not told.
    void RemoveTransfer(void* easy);
    // The connections one host may have.
    int PerHost() const { return perHost_; }
    // The socket of the open connection whose local port is `localPort` (every connection's
    // socket is remembered once its first request goes out); -1 when there is none.
    void RememberSocket(int localPort, int fd);
    int SocketOf(int localPort) const;

    // The session of this thread's run while a scope lives; null outside.
    static std::shared_ptr<WebSession> Current();
    class Scope {
      public:
        explicit Scope(std::shared_ptr<WebSession> session);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        std::shared_ptr<WebSession> previous_;
    };

  private:
    struct Handles;
    void Loop();
    void RunPosted();
    void FinishTransfers();
    Clock::time_point TickTasks();

    const int perHost_;
    std::unique_ptr<Handles> handles_;
    std::mutex postMutex_;
    std::vector<std::function<void()>> posted_;
    bool stopping_ = false;
    // Session thread only.
    std::vector<Task*> tasks_;
    std::vector<std::pair<void*, Task*>> transfers_;
    std::vector<std::pair<int, int>> sockets_;
    WorkerThread thread_;
};

}  // namespace sg
