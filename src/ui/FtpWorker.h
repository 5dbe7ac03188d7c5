#pragma once
// Runs the FTP Center's agent calls on a thread of their own, one at a time in the order they
// were posted, so the window keeps painting and answering while a server is slow. What a call
// returns is handed to the window thread as a queued call on the receiver. The agent is made,
// used and destroyed on the worker thread only, so no two threads ever touch it.

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

#include "net/FtpWaits.h"
#include "platform/WorkerThread.h"

namespace sg {

class CFtpAgent;

class FtpWorker {
  public:
    // Runs on the worker; the function it returns (when not empty) runs on the receiver's
    // thread.
    using Call = std::function<std::function<void()>(CFtpAgent& agent)>;
    // Runs on the worker while it stops.
    using LastCall = std::function<void(CFtpAgent& agent)>;

    // `receiver` gets the results; it must outlive the worker or call Stop before it dies.
    FtpWorker(QObject* receiver, const FtpWaits& waits);
    ~FtpWorker();
    FtpWorker(const FtpWorker&) = delete;
    FtpWorker& operator=(const FtpWorker&) = delete;

    // A fresh thread with a fresh agent; nothing when one is running.
    void Start();
    bool Running() const { return state_ != nullptr; }

    void Post(Call call);
    // Ends the waits of the call in flight (within one wait slice of the socket layer); the
    // call then fails as if it had timed out. Calls posted after it still run.
    void CancelCurrent();

    // From now on no result is delivered. The call in flight is cancelled, queued calls are
    // dropped, `last` runs (when not empty) and the agent is destroyed, which closes any
    // connection. Waits at most `wait` for that; then cancels `last` too and waits a little
    // longer. A thread still busy after that (stuck in a name lookup, which no flag reaches)
    // is left to end on its own; it touches nothing but its own state. True when the thread
    // ended in time.
    bool Stop(LastCall last, std::chrono::milliseconds wait);

  private:
    struct State;
    static void Loop(std::shared_ptr<State> state);

    QObject* receiver_;
    FtpWaits waits_;
    std::shared_ptr<State> state_;
    WorkerThread worker_;
};

}  // namespace sg
