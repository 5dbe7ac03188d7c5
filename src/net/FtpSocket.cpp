#include "net/FtpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "net/SocketWait.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFilePiece = 256;

constexpr int kReceiveTimedOut = -2;

// One receive after the socket became readable: the count, 0 when the peer closed, -1 on error,
// kReceiveTimedOut when the deadline passed or the run was cancelled first.
int ReceiveOnce(int fd, char* buffer, int size, int flags, const Deadline& deadline) {
    for (;;) {
        switch (WaitFor(fd, POLLIN, deadline)) {
            case WaitResult::TimedOut:
                return kReceiveTimedOut;
            case WaitResult::Failed:
                return -1;
            case WaitResult::Ready:
                break;
        }
        const ssize_t got = ::recv(fd, buffer, static_cast<size_t>(size), flags | MSG_DONTWAIT);
        if (got >= 0) {
            return static_cast<int>(got);
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return -1;
        }
    }
}

// Takes `count` bytes that an earlier peek showed are queued. False if the socket fails.
bool Consume(int fd, char* buffer, int count) {
    int taken = 0;
    while (taken < count) {
        const ssize_t got = ::recv(fd, buffer + taken, static_cast<size_t>(count - taken), 0);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        taken += static_cast<int>(got);
    }
    return true;
}

bool SetNonBlocking(int fd, bool on) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    return ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}

void CloseQuietly(int& fd) {
    if (fd != FtpSocket::kInvalidSocket) {
        ::close(fd);
        fd = FtpSocket::kInvalidSocket;
    }
}

}  // namespace

FtpSocket::FtpSocket() = default;

FtpSocket::~FtpSocket() {
    Disconnect();
}

// --- Connection ---------------------------------------------------------------------------

int FtpSocket::OpenConnection(int port, const char* address, int family, int type) {
    if (dataSocket_ != kInvalidSocket) {
        return 1;
    }
    connectError_ = 0;
    remoteAddress_[0] = '\0';
    if (address != nullptr) {
        const size_t length = std::min(std::strlen(address), sizeof(remoteAddress_) - 1);
        std::memcpy(remoteAddress_, address, length);
        remoteAddress_[length] = '\0';
    }
    socketType_ = type;
    sockaddr_in remote{};
    remote.sin_family = static_cast<sa_family_t>(family);
    remote.sin_port = htons(static_cast<uint16_t>(port));
    // No name lookup here: callers resolve names first.
    const bool dotted = address != nullptr && ::inet_pton(AF_INET, address, &remote.sin_addr) == 1;

    const auto failed = [this](int fd, int error, int result) {
        connectError_ = error != 0 ? error : EIO;
        CloseQuietly(fd);
        return result;
    };
    int fd = ::socket(family, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        connectError_ = errno;
        return 2;
    }
    if (!dotted) {
        return failed(fd, EINVAL, 3);
    }
    // Always non-blocking while connecting, so that the wait can notice a cancel even when no
    // time-out of our own is set.
    if (!SetNonBlocking(fd, true)) {
        return failed(fd, errno, 3);
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof(remote)) != 0) {
        if (errno != EINPROGRESS) {
            return failed(fd, errno, 3);
        }
        const WaitResult waited =
            WaitFor(fd, POLLOUT, Deadline::ForTimeout(static_cast<long long>(sendTimeoutMs_)));
        if (waited == WaitResult::TimedOut) {
            return failed(fd, ETIMEDOUT, 4);
        }
        int error = 0;
        socklen_t length = sizeof(error);
        if (waited == WaitResult::Failed) {
            return failed(fd, errno, 3);
        }
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            return failed(fd, errno, 3);
        }
        if (error != 0) {
            return failed(fd, error, 3);
        }
    }
    SetNonBlocking(fd, false);
    dataSocket_ = fd;
    return 0;
}

int FtpSocket::Disconnect() {
    int failures = 0;
    tls_.reset();
    if (dataSocket_ != kInvalidSocket) {
        if (socketType_ == 1 && ::shutdown(dataSocket_, SHUT_RDWR) != 0) {
            failures |= 1;
        }
        if (::close(dataSocket_) != 0) {
            failures |= 2;
        }
        dataSocket_ = kInvalidSocket;
    }
    if (listenSocket_ != kInvalidSocket) {
        if (::shutdown(listenSocket_, SHUT_RDWR) != 0) {
            failures |= 4;
        }
        if (::close(listenSocket_) != 0) {
            failures |= 8;
        }
        listenSocket_ = kInvalidSocket;
    }
    return failures;
}

int FtpSocket::Listen(int port, int backlog, int family, unsigned long localAddress) {
    if (listenSocket_ != kInvalidSocket) {
        return 1;
    }
    int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 2;
    }
    sockaddr_in local{};
    local.sin_family = static_cast<sa_family_t>(family);
    local.sin_port = htons(static_cast<uint16_t>(port));
    local.sin_addr.s_addr = htonl(static_cast<uint32_t>(localAddress));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        CloseQuietly(fd);
        return 3;
    }
    if (::listen(fd, backlog) != 0) {
        CloseQuietly(fd);
        return 4;
    }
    // Non-blocking, so that an accept after a wait never blocks on a vanished connection.
    SetNonBlocking(fd, true);
    listenSocket_ = fd;
    return 0;
}

int FtpSocket::ListenOn(int port, const char* localAddress) {
    in_addr address{};
    if (localAddress == nullptr || ::inet_pton(AF_INET, localAddress, &address) != 1) {
        return 3;
    }
    return Listen(port, 1, AF_INET, ntohl(address.s_addr));
}

int FtpSocket::AcceptIncomingFrom(const char* peer, Milliseconds timeout) {
    in_addr wanted{};
    if (listenSocket_ == kInvalidSocket || dataSocket_ != kInvalidSocket || peer == nullptr ||
        ::inet_pton(AF_INET, peer, &wanted) != 1) {
        return 1;
    }
    const Deadline deadline = Deadline::After(timeout.count());
    for (;;) {
        if (WaitFor(listenSocket_, POLLIN, deadline) != WaitResult::Ready) {
            return 1;
        }
        sockaddr_in from{};
        socklen_t length = sizeof(from);
        // The accepted socket is blocking whatever the listening socket is.
        int fd =
            ::accept4(listenSocket_, reinterpret_cast<sockaddr*>(&from), &length, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR &&
                errno != ECONNABORTED) {
                return 1;
            }
            continue;
        }
        if (from.sin_addr.s_addr != wanted.s_addr) {
            CloseQuietly(fd);
            continue;
        }
        dataSocket_ = fd;
        return 0;
    }
}

// --- Transfer -----------------------------------------------------------------------------

int FtpSocket::SendText(const char* data, int length) {
    if (data == nullptr || dataSocket_ == kInvalidSocket) {
        return -1;
    }
    const size_t total = length > 0 ? static_cast<size_t>(length) : std::strlen(data);
    const Deadline deadline = Deadline::ForTimeout(sendTimeoutMs_);
    if (tls_ != nullptr) {
        return tls_->Send(data, static_cast<int>(total), deadline);
    }
    size_t sent = 0;
    while (sent < total) {
        if (WaitFor(dataSocket_, POLLOUT, deadline) != WaitResult::Ready) {
            break;
        }
        const ssize_t put =
            ::send(dataSocket_, data + sent, total - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put >= 0) {
            sent += static_cast<size_t>(put);
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            break;
        }
    }
    if (sent == 0 && total > 0) {
        return -1;
    }
    return static_cast<int>(sent);
}

int FtpSocket::ReadLine(char* buffer, int size, Milliseconds timeout,
                        std::chrono::steady_clock::time_point until) {
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    if (dataSocket_ == kInvalidSocket) {
        return 0;
    }
    int room = size - 1;
    int total = 0;
    while (room > 0) {
        // Each wait for more bytes gets the whole time-out, as a peer that sends its line in
        // pieces with pauses is still answering; `until` bounds a peer that trickles.
        Deadline deadline = Deadline::ForTimeout(timeout.count());
        if (until != Clock::time_point::max() && (!deadline.limited || until < deadline.at)) {
            deadline = {true, until};
        }
        // The peek lands where the bytes will be stored; consuming them rewrites the same bytes.
        char* const chunk = buffer + total;
        const int peeked = ReceiveSome(chunk, room, true, deadline);
        if (peeked <= 0) {
            break;
        }
        // A CR that ended the previous chunk and the LF that starts this one: the line end.
        // Any other byte after that CR belongs to the line, so it is not taken as its end.
        if (total > 0 && buffer[total - 1] == '\r' && chunk[0] == '\n') {
            if (TakeLooked(chunk, 1)) {
                ++total;
            }
            break;
        }
        const std::string_view seen(chunk, static_cast<size_t>(peeked));
        const size_t end = seen.find("\r\n");
        if (end != std::string_view::npos) {
            const int lineBytes = static_cast<int>(end) + 2;
            if (TakeLooked(chunk, lineBytes)) {
                total += lineBytes;
            }
            break;
        }
        if (!TakeLooked(chunk, peeked)) {
            break;
        }
        total += peeked;
        room -= peeked;
    }
    buffer[total] = '\0';
    return total;
}

int FtpSocket::ReadToFile(const char* path, int mode, long* bytesReceived, Milliseconds timeout) {
    long received = 0;
    if (bytesReceived != nullptr) {
        *bytesReceived = 0;
    }
    if (mode != kTruncate && mode != kAppend) {
        return kReadBadMode;
    }
    std::FILE* file =
        path != nullptr ? std::fopen(path, mode == kTruncate ? "w+b" : "a+b") : nullptr;
    if (file == nullptr) {
        return kReadOpenFailed;
    }
    char piece[kFilePiece];
    int result = kOk;
    for (;;) {
        const int got =
            dataSocket_ == kInvalidSocket
                ? -1
                : ReceiveSome(piece, kFilePiece, false, Deadline::ForTimeout(timeout.count()));
        if (got == kReceiveTimedOut) {
            result = kReadTimedOut;
            break;
        }
        if (got == 0) {
            result = kOk;
            break;
        }
        if (got < 0) {
            result = kReadReceiveFailed;
            break;
        }
        if (std::fwrite(piece, 1, static_cast<size_t>(got), file) != static_cast<size_t>(got)) {
            result = kReadShortWrite;
            break;
        }
        received += got;
        if (bytesReceived != nullptr) {
            *bytesReceived = received;
        }
    }
    if (std::fclose(file) != 0 && result == kOk) {
        result = kReadShortWrite;
    }
    return result;
}

int FtpSocket::SendFromFile(const char* path, long* bytesSent) {
    long sent = 0;
    if (bytesSent != nullptr) {
        *bytesSent = 0;
    }
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return kSendOpenFailed;
    }
    char piece[kFilePiece];
    int result = kOk;
    for (;;) {
        const size_t got = std::fread(piece, 1, sizeof(piece), file);
        if (got == 0) {
            // A read error is no end of the file: the receiver would keep a cut copy.
            if (std::ferror(file) != 0) {
                result = kSendReadFailed;
            }
            break;
        }
        // A piece only partly handed over within the send time-out counts as a failed send:
        // counting it whole would lose the rest without a word.
        if (SendText(piece, static_cast<int>(got)) != static_cast<int>(got)) {
            result = kSendFailed;
            break;
        }
        sent += static_cast<long>(got);
        if (bytesSent != nullptr) {
            *bytesSent = sent;
        }
    }
    std::fclose(file);
    return result;
}

int FtpSocket::DrainInput() {
    char discard[kFilePiece];
    while (HasPendingInput() != 0) {
        if (tls_ != nullptr) {
            if (tls_->Receive(discard, sizeof(discard), false, Deadline::After(0)) <= 0) {
                break;
            }
            continue;
        }
        if (::recv(dataSocket_, discard, sizeof(discard), MSG_DONTWAIT) <= 0) {
            break;
        }
    }
    return 0;
}

int FtpSocket::HasPendingInput() {
    if (dataSocket_ == kInvalidSocket) {
        return 0;
    }
    if (tls_ != nullptr && tls_->HasPending()) {
        return 1;
    }
    int pending = 0;
    return ::ioctl(dataSocket_, FIONREAD, &pending) == 0 && pending > 0 ? 1 : 0;
}

int FtpSocket::StartTls(const std::string& host, Milliseconds timeout,
                        const TlsConnectOptions& options) {
    tls_.reset();
    tlsError_.clear();
    if (dataSocket_ == kInvalidSocket) {
        tlsError_ = "no connection";
        return 1;
    }
    tls_ = TlsSession::Connect(dataSocket_, host, Deadline::ForTimeout(timeout.count()), tlsError_,
                               options);
    return tls_ != nullptr ? 0 : 1;
}

int FtpSocket::FinishAndDisconnect(Milliseconds timeout) {
    if (dataSocket_ != kInvalidSocket) {
        if (tls_ != nullptr) {
            tls_->SendCloseNotice();
        }
        ::shutdown(dataSocket_, SHUT_WR);
        const Deadline deadline = Deadline::After(timeout.count());
        char discard[kFilePiece];
        while (ReceiveSome(discard, sizeof(discard), false, deadline) > 0) {
        }
    }
    return Disconnect();
}

int FtpSocket::ReceiveSome(char* buffer, int size, bool peek, const Deadline& deadline) {
    if (tls_ == nullptr) {
        return ReceiveOnce(dataSocket_, buffer, size, peek ? MSG_PEEK : 0, deadline);
    }
    const int got = tls_->Receive(buffer, size, peek, deadline);
    return got == TlsSession::kTimedOut ? kReceiveTimedOut : got;
}

bool FtpSocket::TakeLooked(char* buffer, int count) {
    if (tls_ == nullptr) {
        return Consume(dataSocket_, buffer, count);
    }
    int taken = 0;
    while (taken < count) {
        const int got = tls_->Receive(buffer + taken, count - taken, false, Deadline::After(0));
        if (got <= 0) {
            return false;
        }
        taken += got;
    }
    return true;
}

// --- Names and text -----------------------------------------------------------------------

int FtpSocket::ResolveHost(const char* name, char* out, int outSize, int* lookupError) {
    int ignored = 0;
    int& error = lookupError != nullptr ? *lookupError : ignored;
    error = 0;
    if (name == nullptr) {
        error = EAI_NONAME;
        return 2;
    }
    // A mail address resolves its domain: the text after the last "@" past the first character.
    const std::string_view whole(name);
    const char* host = name;
    for (size_t i = whole.size(); i > 1; --i) {
        if (whole[i - 1] == '@') {
            host = name + i;
            break;
        }
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int code = ::getaddrinfo(host, nullptr, &hints, &found); code != 0) {
        error = code;
        return 2;
    }
    if (found == nullptr) {
        error = EAI_NONAME;
        return 2;
    }
    char text[INET_ADDRSTRLEN];
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool converted = ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text)) != nullptr;
    ::freeaddrinfo(found);
    if (!converted) {
        return 2;
    }
    const size_t length = std::strlen(text);
    if (out == nullptr || outSize <= 0 || length + 1 > static_cast<size_t>(outSize)) {
        return 1;
    }
    std::memcpy(out, text, length + 1);
    return 0;
}

int FtpSocket::IsDottedAddress(const char* text) {
    in_addr address{};
    return text != nullptr && ::inet_pton(AF_INET, text, &address) == 1 ? 1 : 0;
}

int FtpSocket::LocalAddress(char* out, int outSize, int socketOnly) {
    if (out == nullptr || outSize <= 0) {
        return 1;
    }
    out[0] = '\0';
    char text[INET_ADDRSTRLEN] = {};
    bool found = false;
    if (socketOnly == 0) {
        char host[257] = {};
        if (::gethostname(host, 256) == 0) {
            host[256] = '\0';
            found = ResolveHost(host, text, sizeof(text)) == 0;
        }
    }
    if (!found) {
        if (dataSocket_ == kInvalidSocket) {
            return 1;
        }
        sockaddr_in local{};
        socklen_t length = sizeof(local);
        if (::getsockname(dataSocket_, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
            ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof(text)) == nullptr) {
            return 1;
        }
    }
    const size_t length = std::min(std::strlen(text), static_cast<size_t>(outSize - 1));
    std::memcpy(out, text, length);
    out[length] = '\0';
    return 0;
}

void FtpSocket::StripLineEnd(char* text) {
    if (text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text);
    const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    if (length >= 2 && isLineEnd(text[length - 2])) {
        text[length - 2] = '\0';
    } else if (length >= 1 && isLineEnd(text[length - 1])) {
        text[length - 1] = '\0';
    }
}

}  // namespace sg
