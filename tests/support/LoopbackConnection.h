#pragma once
// One TCP connection on the test side of a loopback exchange: the server end handed to a
// LoopbackServer handler, or a connection the handler opens itself (an FTP server's active data
// connection). Every operation is bounded by its time-out and ends early when the owning server
// is being torn down, so a script can never hang a test.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sg {
class TlsServerContext;
class TlsSession;
}  // namespace sg

namespace sg::test {

class LoopbackConnection {
  public:
    using Milliseconds = std::chrono::milliseconds;
    static constexpr Milliseconds kDefaultWait{2000};

    // Takes ownership of `fd`. `stop`, when given, is the owning server's tear-down flag.
    explicit LoopbackConnection(int fd, const std::atomic<bool>* stop = nullptr);
    ~LoopbackConnection();
    LoopbackConnection(LoopbackConnection&& other) noexcept;
    LoopbackConnection& operator=(LoopbackConnection&& other) noexcept;
    LoopbackConnection(const LoopbackConnection&) = delete;
    LoopbackConnection& operator=(const LoopbackConnection&) = delete;

    // A new connection to 127.0.0.1:port sharing this one's stop flag; not open on failure.
    LoopbackConnection ConnectTo(int port, Milliseconds timeout = kDefaultWait) const;
    // The next connection to the listening socket `listenFd`, sharing this one's stop flag; not
    // open when none came in time.
    LoopbackConnection AcceptOn(int listenFd, Milliseconds timeout = kDefaultWait) const;

    // The server side of a TLS handshake presenting `server` (which must outlive the
    // connection); from then on every send and read goes through it. False when it failed.
    bool AcceptTls(const TlsServerContext& server, Milliseconds timeout = kDefaultWait);
    // The session after AcceptTls, else null.
    const TlsSession* Tls() const { return tls_.get(); }

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    bool Stopping() const { return stop_ != nullptr && stop_->load(); }

    // All of `bytes`, or false (error, time-out, stop).
    bool Send(std::string_view bytes, Milliseconds timeout = kDefaultWait);
    // Each segment in its own send with a pause between, so that the peer sees them apart (the
    // socket has TCP_NODELAY). Use it to split a CR from its LF.
    bool SendSegments(const std::vector<std::string>& segments,
                      Milliseconds pause = Milliseconds(50));

    // Through the next LF (included); what arrived so far on time-out or close.
    std::string ReadLine(Milliseconds timeout = kDefaultWait);
    // Through the first blank line (CR LF CR LF or LF LF), e.g. a request head.
    std::string ReadUntilBlankLine(Milliseconds timeout = kDefaultWait);
    // Everything until the peer closes (or the time-out, or `limit` bytes).
    std::string ReadUntilClosed(Milliseconds timeout = kDefaultWait, size_t limit = 64u << 20);

    // Sleeps, waking early when the server stops.
    void Sleep(Milliseconds duration) const;
    // Orderly close (FIN).
    void Close();
    // Abortive close: SO_LINGER 0, so the peer gets a reset.
    void Reset();

  private:
    // Reads what is there into pending_ within the deadline; false on close/error/time-out.
    bool Fill(std::chrono::steady_clock::time_point deadline);
    std::string TakeThrough(size_t end);

    int fd_ = -1;
    const std::atomic<bool>* stop_ = nullptr;
    std::unique_ptr<TlsSession> tls_;
    bool peerClosed_ = false;
    std::string pending_;
};

}  // namespace sg::test
