#pragma once
// A scriptable TCP server on 127.0.0.1 and a free port, for the network tests. It runs on its own
// thread and serves connections one after the other, in accept order: each accepted connection is
// handed to the handler, and closed when the handler returns. The destructor stops the thread
// within about 50 ms; handlers that loop should check conn.Stopping(), and every
// LoopbackConnection wait ends by itself when the server stops.
//
//   sg::test::LoopbackServer server([](sg::test::LoopbackConnection& conn) {
//       std::string head = conn.ReadUntilBlankLine();
//       conn.Send("HTTP/1.0 200 OK\r\n\r\nhello");
//   });
//   client.OpenConnection(server.Port(), "127.0.0.1");
//   ...
//   server.WaitHandled(1);  // the handler's captures are safe to read after this

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "support/LoopbackConnection.h"

namespace sg::test {

class LoopbackServer {
  public:
    using Handler = std::function<void(LoopbackConnection&)>;
    using Milliseconds = std::chrono::milliseconds;
    // Concurrently: each connection gets a thread of its own, for clients that keep several
    // open at once; the handler must then be safe to run on many threads.
    enum class Serving { OneAtATime, Concurrently };

    explicit LoopbackServer(Handler handler, Serving serving = Serving::OneAtATime);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // 0 when the listening socket could not be set up.
    int Port() const { return port_; }
    int Accepted() const { return accepted_.load(); }
    // True once `count` handlers have returned (within the time-out). Gives the test a safe
    // point to read what the handlers recorded.
    bool WaitHandled(int count, Milliseconds timeout = Milliseconds(2000));

    // A loopback port that nothing listens on (bound, then released): connecting is refused.
    static int ClosedPort();

  private:
    void Run();
    void Handle(int fd);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::mutex mutex_;
    std::condition_variable handledChanged_;
    int handled_ = 0;
    Serving serving_;
    // Connection threads still running (Concurrently); they are detached and waited for.
    int active_ = 0;
    std::thread thread_;
};

}  // namespace sg::test
