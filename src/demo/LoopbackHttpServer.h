#pragma once
// The listener under the stand-in servers (the engine emulator, the demo sites): 127.0.0.1 and
// a free port, one connection at a time, plain or TLS. Each request head is read within bounds
// and handed to the owner, whose answer is sent back before the connection is closed. A client
// that sends no complete head in time (a TLS client: that does not finish its handshake and
// send its head in time), or too long a one, gets no answer.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "platform/RunControl.h"

namespace sg {

class TlsServerContext;

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
    // once when it already runs. With `tls`, which must outlive the server, every connection
    // is TLS presenting its certificate.
    bool Start(Answer answer, const TlsServerContext* tls = nullptr);
    // The port the next Start tries first (0: any free one). Taken when it is free, so that a
    // demo site keeps its address from one session to the next; else any free port.
    void PreferPort(int port) { preferredPort_ = port; }
    // Closes the port and ends the server thread (within about 100 ms).
    void Stop();
    bool Running() const { return listenFd_ >= 0; }
    // 0 before Start.
    int Port() const { return port_; }

  private:
    void Run();
    void Serve(int fd);

    const std::size_t maxHead_;
    Answer answer_;
    const TlsServerContext* tls_ = nullptr;
    int listenFd_ = -1;
    int port_ = 0;
    int preferredPort_ = 0;
    std::atomic<bool> stop_{false};
    // The server thread's run control: Stop cancels it, which ends any wait of a connection
    // within one wait slice.
    std::unique_ptr<RunControl> control_;
    std::thread thread_;
};

}  // namespace sg
