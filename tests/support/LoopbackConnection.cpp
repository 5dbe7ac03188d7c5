#include "support/LoopbackConnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "net/SocketWait.h"
#include "net/TlsSession.h"

namespace sg::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 20;

// Polls in short slices until ready, the deadline, or the stop flag.
bool WaitReady(int fd, short events, Clock::time_point deadline, const std::atomic<bool>* stop) {
    for (;;) {
        if (stop != nullptr && stop->load()) {
            return false;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        const int ready =
            ::poll(&entry, 1, static_cast<int>(std::clamp<long long>(left, 0, kSliceMs)));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
    }
}

}  // namespace

LoopbackConnection::LoopbackConnection(int fd, const std::atomic<bool>* stop)
    : fd_(fd), stop_(stop) {
    if (fd_ >= 0) {
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    }
}

LoopbackConnection::~LoopbackConnection() {
    Close();
}

LoopbackConnection::LoopbackConnection(LoopbackConnection&& other) noexcept
    : fd_(other.fd_),
      stop_(other.stop_),
      tls_(std::move(other.tls_)),
      peerClosed_(other.peerClosed_),
      pending_(std::move(other.pending_)) {
    other.fd_ = -1;
}

LoopbackConnection& LoopbackConnection::operator=(LoopbackConnection&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        stop_ = other.stop_;
        tls_ = std::move(other.tls_);
        peerClosed_ = other.peerClosed_;
        pending_ = std::move(other.pending_);
        other.fd_ = -1;
    }
    return *this;
}

LoopbackConnection LoopbackConnection::ConnectTo(int port, Milliseconds timeout) const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return LoopbackConnection(-1, stop_);
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0;
    if (!connected && errno == EINPROGRESS &&
        WaitReady(fd, POLLOUT, Clock::now() + timeout, stop_)) {
        int error = 0;
        socklen_t length = sizeof(error);
        connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    if (!connected) {
        ::close(fd);
        return LoopbackConnection(-1, stop_);
    }
    return LoopbackConnection(fd, stop_);
}

LoopbackConnection LoopbackConnection::AcceptOn(int listenFd, Milliseconds timeout) const {
    if (listenFd < 0 || !WaitReady(listenFd, POLLIN, Clock::now() + timeout, stop_)) {
        return LoopbackConnection(-1, stop_);
    }
    return LoopbackConnection(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC), stop_);
}

bool LoopbackConnection::AcceptTls(const TlsServerContext& server, Milliseconds timeout) {
    if (fd_ < 0 || !pending_.empty()) {
        return false;
    }
    std::string error;
    tls_ = TlsSession::Accept(fd_, server, Deadline::After(timeout.count()), error);
    return tls_ != nullptr;
}

bool LoopbackConnection::Send(std::string_view bytes, Milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    if (tls_ != nullptr) {
        return fd_ >= 0 && !Stopping() &&
               tls_->Send(bytes.data(), static_cast<int>(bytes.size()), Deadline{true, deadline}) ==
                   static_cast<int>(bytes.size());
    }
    size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        if (!WaitReady(fd_, POLLOUT, deadline, stop_)) {
            return false;
        }
        const ssize_t put =
            ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put > 0) {
            sent += static_cast<size_t>(put);
        } else if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
    }
    return fd_ >= 0;
}

bool LoopbackConnection::SendSegments(const std::vector<std::string>& segments,
                                      Milliseconds pause) {
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) {
            Sleep(pause);
        }
        if (Stopping() || !Send(segments[i])) {
            return false;
        }
    }
    return true;
}

bool LoopbackConnection::Fill(Clock::time_point deadline) {
    if (fd_ < 0 || peerClosed_) {
        return false;
    }
    const bool buffered = tls_ != nullptr && tls_->HasPending();
    if (!buffered && !WaitReady(fd_, POLLIN, deadline, stop_)) {
        return false;
    }
    char chunk[4096];
    if (tls_ != nullptr) {
        // What is readable may be part of a record only: that is no close.
        const int got = tls_->Receive(chunk, sizeof(chunk), false, Deadline::After(0));
        if (got > 0) {
            pending_.append(chunk, static_cast<size_t>(got));
            return true;
        }
        if (got == TlsSession::kTimedOut) {
            return Clock::now() < deadline;
        }
        peerClosed_ = true;
        return false;
    }
    const ssize_t got = ::recv(fd_, chunk, sizeof(chunk), MSG_DONTWAIT);
    if (got > 0) {
        pending_.append(chunk, static_cast<size_t>(got));
        return true;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return true;
    }
    peerClosed_ = true;
    return false;
}

std::string LoopbackConnection::TakeThrough(size_t end) {
    std::string taken = pending_.substr(0, end);
    pending_.erase(0, end);
    return taken;
}

std::string LoopbackConnection::ReadLine(Milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    size_t searched = 0;
    for (;;) {
        const size_t lf = pending_.find('\n', searched);
        if (lf != std::string::npos) {
            return TakeThrough(lf + 1);
        }
        searched = pending_.size();
        if (!Fill(deadline)) {
            return TakeThrough(pending_.size());
        }
    }
}

std::string LoopbackConnection::ReadUntilBlankLine(Milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const size_t crlf = pending_.find("\r\n\r\n");
        const size_t lflf = pending_.find("\n\n");
        const size_t end = std::min(crlf == std::string::npos ? crlf : crlf + 4,
                                    lflf == std::string::npos ? lflf : lflf + 2);
        if (end != std::string::npos) {
            return TakeThrough(end);
        }
        if (!Fill(deadline)) {
            return TakeThrough(pending_.size());
        }
    }
}

std::string LoopbackConnection::ReadUntilClosed(Milliseconds timeout, size_t limit) {
    const auto deadline = Clock::now() + timeout;
    while (pending_.size() < limit && Fill(deadline)) {
    }
    return TakeThrough(std::min(pending_.size(), limit));
}

void LoopbackConnection::Sleep(Milliseconds duration) const {
    const auto until = Clock::now() + duration;
    while (!Stopping()) {
        const auto now = Clock::now();
        if (now >= until) {
            return;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, Milliseconds(kSliceMs)));
    }
}

void LoopbackConnection::Close() {
    // The close notice first, so that the peer sees the end of the TLS stream.
    tls_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void LoopbackConnection::Reset() {
    if (fd_ >= 0) {
        const linger abort{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
        tls_.reset();
        Close();
    }
}

}  // namespace sg::test
