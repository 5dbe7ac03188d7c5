#pragma once
// A client of a browser's debugging protocol over its pipe: NUL-separated JSON messages, a
// command answered by the message with its id, events delivered to the session they name. One
// reader thread reads the pipe; any thread may call. Every wait is bounded by the caller's
// time-out and ends within RunControl::kWaitSliceMs of a cancel or a Wake.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>

#include "platform/WorkerThread.h"

namespace sg {

class RunControl;

struct DevToolsEvent {
    std::string method;
    nlohmann::json params;
};

class DevToolsPipe {
  public:
    // Results of Call and NextEvent.
    static constexpr int kAnswered = 0;
    static constexpr int kTimedOut = 1;
    // The pipe ended (the browser is gone) or a message broke the protocol.
    static constexpr int kClosed = 2;
    // The browser answered with an error (its message in the result's "message").
    static constexpr int kRefused = 3;
    static constexpr int kCancelled = 4;

    // A message longer than this ends the pipe: a document of the 8 MiB body cap, escaped.
    static constexpr std::size_t kMaxMessageBytes = 64u << 20;
    // Events kept per session before the oldest are dropped.
    static constexpr std::size_t kMaxQueuedEvents = 20000;

    // Reads `readFd` and writes `writeFd` (non-blocking stream sockets the caller keeps open
    // for the life of this object; PipedChild's).
    DevToolsPipe(int readFd, int writeFd);
    // Stops the reader within a slice.
    ~DevToolsPipe();
    DevToolsPipe(const DevToolsPipe&) = delete;
    DevToolsPipe& operator=(const DevToolsPipe&) = delete;

    // Sends `method` with `params` to `session` (empty: the browser) and waits at most `bound`
    // for its answer. kAnswered with the answer's result in `result`; kRefused with the error;
    // kTimedOut, kClosed, or kCancelled when `control` was cancelled.
    int Call(const std::string& session, const std::string& method, nlohmann::json params,
             std::chrono::milliseconds bound, RunControl& control,
             nlohmann::json* result = nullptr);

    // Events of `session` are queued from now on (until Forget). The browser's own events
    // about a target (its crash, its detaching) reach the session attached to it as well.
    void Listen(const std::string& session, const std::string& targetId);
    void Forget(const std::string& session);
    // The next queued event of `session`, waited for at most `bound`: kAnswered, kTimedOut,
    // kClosed (and no event left), kCancelled.
    int NextEvent(const std::string& session, std::chrono::milliseconds bound, RunControl& control,
                  DevToolsEvent& event);

    // The pipe has ended.
    bool Closed() const;
    // Waiters look at their controls now.
    void Wake();

  private:
    struct Pending {
        bool done = false;
        bool error = false;
        nlohmann::json result;
    };
    struct Queue {
        std::string targetId;
        std::deque<DevToolsEvent> events;
    };

    void ReadLoop();
    void Dispatch(std::string_view text);
    bool Send(const std::string& text, std::chrono::steady_clock::time_point until);

    int readFd_;
    int writeFd_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::mutex writeMutex_;
    bool closed_ = false;
    bool stopping_ = false;
    long long nextId_ = 1;
    std::unordered_map<long long, Pending> pending_;
    std::map<std::string, Queue> sessions_;
    WorkerThread reader_;
};

}  // namespace sg
