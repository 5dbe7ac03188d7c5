#include "demo/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace sg {
namespace {

constexpr int kPollSliceMs = 50;
// For the whole request head, and then again for sending the answer.
constexpr std::chrono::milliseconds kReadTimeout{2000};
constexpr std::chrono::seconds kSendTimeout{5};

}  // namespace

bool LoopbackHttpServer::Start(Answer answer) {
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
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return false;
    }
    answer_ = std::move(answer);
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void LoopbackHttpServer::Stop() {
    stop_ = true;
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
    // The head ends at the first blank line, with or without CRs.
    std::string head;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + kReadTimeout;
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
        if (stop_ || head.size() >= maxHead_ || std::chrono::steady_clock::now() >= deadline) {
            return;
        }
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, kPollSliceMs);
        if (ready == 0) {
            continue;
        }
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got <= 0) {
            return;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }

    const std::string response = answer_(head);
    const auto sendDeadline = std::chrono::steady_clock::now() + kSendTimeout;
    std::size_t sent = 0;
    while (sent < response.size() && !stop_) {
        pollfd writable{fd, POLLOUT, 0};
        const int ready = ::poll(&writable, 1, kPollSliceMs);
        if (ready <= 0) {
            if ((ready < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= sendDeadline) {
                break;
            }
            continue;
        }
        // Never blocks: a client that stops reading is left after the send wait.
        const ssize_t wrote =
            ::send(fd, response.data() + sent, response.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (wrote <= 0) {
            if (wrote < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                continue;
            }
            break;
        }
        sent += static_cast<std::size_t>(wrote);
    }
    ::shutdown(fd, SHUT_WR);
}

}  // namespace sg
