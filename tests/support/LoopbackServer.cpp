#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace sg::test {
namespace {

constexpr int kAcceptSliceMs = 50;

// A listening socket on 127.0.0.1 and a free port; -1 on failure.
int ListenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(local);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0 ||
        ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(local.sin_port);
    return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(Handler handler, Serving serving)
    : handler_(std::move(handler)), serving_(serving) {
    listenFd_ = ListenOnLoopback(port_);
    if (listenFd_ >= 0) {
        thread_ = std::thread([this] { Run(); });
    }
}

LoopbackServer::~LoopbackServer() {
    stop_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    handledChanged_.wait(lock, [this] { return active_ == 0; });
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
}

void LoopbackServer::Run() {
    while (!stop_.load()) {
        pollfd entry{listenFd_, POLLIN, 0};
        if (::poll(&entry, 1, kAcceptSliceMs) <= 0) {
            continue;
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        accepted_.fetch_add(1);
        if (serving_ == Serving::Concurrently) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++active_;
            }
            std::thread([this, fd] {
                Handle(fd);
                std::lock_guard<std::mutex> lock(mutex_);
                --active_;
                handledChanged_.notify_all();
            }).detach();
        } else {
            Handle(fd);
        }
    }
}

void LoopbackServer::Handle(int fd) {
    {
        LoopbackConnection connection(fd, &stop_);
        try {
            handler_(connection);
        } catch (...) {
            // A failing script must not take the server thread (and the test) down.
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++handled_;
    }
    handledChanged_.notify_all();
}

bool LoopbackServer::WaitHandled(int count, Milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return handledChanged_.wait_for(lock, timeout, [&] { return handled_ >= count; });
}

int LoopbackServer::ClosedPort() {
    int port = 0;
    const int fd = ListenOnLoopback(port);
    if (fd < 0) {
        return 0;
    }
    ::close(fd);
    return port;
}

}  // namespace sg::test
