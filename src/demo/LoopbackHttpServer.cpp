#include "demo/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "net/SocketWait.h"
#include "net/TlsSession.h"

namespace sg {
namespace {

constexpr int kPollSliceMs = 50;
// For the TLS handshake and the whole request head, and then again for sending the answer.
constexpr long long kReadTimeoutMs = 2000;
constexpr long long kSendTimeoutMs = 5000;

// One receive once the socket has something, within the deadline: the count, or 0 when the
// peer closed, failed or sent nothing in time.
int ReceivePlain(int fd, char* buffer, int size, const Deadline& deadline) {
    for (;;) {
        if (WaitFor(fd, POLLIN, deadline) != WaitResult::Ready) {
            return 0;
        }
        const ssize_t got = ::recv(fd, buffer, static_cast<std::size_t>(size), MSG_DONTWAIT);
        if (got >= 0) {
            return static_cast<int>(got);
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return 0;
        }
    }
}

void SendPlain(int fd, const std::string& response, const Deadline& deadline) {
    std::size_t sent = 0;
    while (sent < response.size()) {
        if (WaitFor(fd, POLLOUT, deadline) != WaitResult::Ready) {
            return;
        }
        // Never blocks: a client that stops reading is left after the send wait.
        const ssize_t wrote =
            ::send(fd, response.data() + sent, response.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (wrote < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (wrote <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(wrote);
    }
}

}  // namespace

bool LoopbackHttpServer::Start(Answer answer, const TlsServerContext* tls) {
    if (listenFd_ >= 0) {
        return true;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(preferredPort_));
    socklen_t length = sizeof(address);
    bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (!bound && preferredPort_ != 0) {
        address.sin_port = 0;
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    if (!bound || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return false;
    }
    answer_ = std::move(answer);
    tls_ = tls;
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    stop_ = false;
    // A cancel cannot be taken back, so every start gets a fresh control.
    control_ = std::make_unique<RunControl>();
    thread_ = std::thread([this] {
        RunControl::Scope scope(*control_);
        Run();
    });
    return true;
}

void LoopbackHttpServer::Stop() {
    stop_ = true;
    if (control_ != nullptr) {
        control_->RequestCancel();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

void LoopbackHttpServer::Run() {
    while (!stop_) {
        pollfd waiting{listenFd_, POLLIN, 0};
        if (::poll(&waiting, 1, kPollSliceMs) <= 0) {
            continue;
        }
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        Serve(fd);
        ::close(fd);
    }
}

void LoopbackHttpServer::Serve(int fd) {
    const Deadline readDeadline = Deadline::After(kReadTimeoutMs);
    std::unique_ptr<TlsSession> tls;
    if (tls_ != nullptr) {
        std::string ignored;
        tls = TlsSession::Accept(fd, *tls_, readDeadline, ignored);
        if (tls == nullptr) {
            return;
        }
    }
    // The head ends at the first blank line, with or without CRs.
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
        if (head.size() >= maxHead_) {
            return;
        }
        const int got = tls != nullptr ? tls->Receive(buffer, sizeof(buffer), false, readDeadline)
                                       : ReceivePlain(fd, buffer, sizeof(buffer), readDeadline);
        if (got <= 0) {
            return;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }

    const std::string response = answer_(head);
    const Deadline sendDeadline = Deadline::After(kSendTimeoutMs);
    if (tls != nullptr) {
        tls->Send(response.data(), static_cast<int>(response.size()), sendDeadline);
        // Its close notice goes out before the plain shutdown.
        tls.reset();
    } else {
        SendPlain(fd, response, sendDeadline);
    }
    ::shutdown(fd, SHUT_WR);
}

}  // namespace sg
