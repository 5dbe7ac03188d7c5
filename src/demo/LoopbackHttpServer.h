#pragma once
// The listener under the stand-in servers (the engine emulator, the demo sites): 127.0.0.1 and
// a free port, one connection at a time. Each request head is read within bounds and handed to
// the owner, whose answer is sent back before the connection is closed. A client that sends no
// complete head in time, or too long a one, gets no answer.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace sg {

class LoopbackHttpServer {
  public:
    // The response bytes for one request head (request line and header lines, up to and
    // including the blank line); an empty answer sends nothing.
    using Answer = std::function<std::string(std::string_view head)>;

    explicit LoopbackHttpServer(std::size_t maxHead) : maxHead_(maxHead) {}
    ~LoopbackHttpServer() { Stop(); }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Listens and starts the server thread; false when the socket could not be set up. True at
    // once when it already runs.
    bool Start(Answer answer);
    // Closes the port and ends the server thread (within about 50 ms).
    void Stop();
    bool Running() const { return listenFd_ >= 0; }
    // 0 before Start.
    int Port() const { return port_; }

  private:
    void Run();
    void Serve(int fd);

    const std::size_t maxHead_;
    Answer answer_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace sg
