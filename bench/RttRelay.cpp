// A relay on loopback that makes a server a network round trip away: every chunk is held for
// half the round trip in each direction, and the first bytes a client sends on a new connection
// for one round trip more (the TCP handshake a real network would cost before them). It listens
// on 127.0.0.1 and PORT (a free one when 0 or not given; the port is printed on the first line of
// stdout), forwards each connection to 127.0.0.1:TO, and appends one line per connection to the
// log ("connection N"), so that a benchmark can count the connections a tool made. Bandwidth is
// not limited.
//
//   sitegauge_rtt_relay --rtt-ms 20 --port 19443 --to 18443 --log connections.log
//
// The standard library and POSIX only; one thread, one poll loop. Runs until killed.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Bytes on their way in one direction, each chunk with the time it may be passed on; an empty
// chunk passes on the end of the stream.
struct Held {
    Clock::time_point due;
    std::string bytes;
};

struct Direction {
    int from = -1;
    int to = -1;
    std::deque<Held> held;
    Clock::time_point lastDue{};
    bool ended = false;
    bool endSent = false;
    // Bytes of the front chunk already passed on.
    std::size_t sent = 0;
};

struct Pair {
    Direction up;    // client to server
    Direction down;  // server to client
    bool firstBytesSeen = false;
    bool Done() const { return up.endSent && down.endSent && up.held.empty() && down.held.empty(); }
};

int ConnectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    return fd;
}

void NonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
}

// Reads what is there into the direction's queue, due `delay` from now (never before the chunk
// before it). False once the sender has ended its stream.
void Take(Direction& direction, Clock::duration delay) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::recv(direction.from, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got > 0) {
            const Clock::time_point due = std::max(Clock::now() + delay, direction.lastDue);
            direction.held.push_back({due, std::string(buffer, static_cast<std::size_t>(got))});
            direction.lastDue = due;
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            const Clock::time_point due = std::max(Clock::now() + delay, direction.lastDue);
            direction.held.push_back({due, std::string()});
            direction.lastDue = due;
            direction.ended = true;
        }
        return;
    }
}

// Passes on every chunk that is due, as far as the receiver takes it.
void Pass(Direction& direction) {
    const Clock::time_point now = Clock::now();
    while (!direction.held.empty() && direction.held.front().due <= now) {
        Held& front = direction.held.front();
        if (front.bytes.empty()) {
            ::shutdown(direction.to, SHUT_WR);
            direction.endSent = true;
            direction.held.pop_front();
            continue;
        }
        const ssize_t put =
            ::send(direction.to, front.bytes.data() + direction.sent,
                   front.bytes.size() - direction.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                return;
            }
            // The receiver is gone: nothing more goes this way.
            direction.held.clear();
            direction.endSent = true;
            return;
        }
        direction.sent += static_cast<std::size_t>(put);
        if (direction.sent < front.bytes.size()) {
            return;
        }
        direction.sent = 0;
        direction.held.pop_front();
    }
}

}  // namespace

int main(int argc, char** argv) {
    long rttMs = 0;
    int port = 0;
    int to = 0;
    std::string logPath;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rtt-ms") {
            rttMs = std::strtol(argv[i + 1], nullptr, 10);
        } else if (option == "--port") {
            port = static_cast<int>(std::strtol(argv[i + 1], nullptr, 10));
        } else if (option == "--to") {
            to = static_cast<int>(std::strtol(argv[i + 1], nullptr, 10));
        } else if (option == "--log") {
            logPath = argv[i + 1];
        }
    }
    if (to <= 0 || rttMs < 0) {
        std::fprintf(stderr, "usage: %s --rtt-ms MS [--port PORT] --to PORT [--log FILE]\n",
                     argv[0]);
        return 2;
    }
    const Clock::duration half = std::chrono::microseconds(rttMs * 500);
    const Clock::duration handshake = std::chrono::milliseconds(rttMs);

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof(address);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, 512) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("listen");
        return 1;
    }
    NonBlocking(listener);
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    std::ofstream log;
    if (!logPath.empty()) {
        log.open(logPath, std::ios::app);
    }

    std::vector<std::unique_ptr<Pair>> pairs;
    long connections = 0;
    for (;;) {
        std::vector<pollfd> watched = {{listener, POLLIN, 0}};
        Clock::time_point next = Clock::time_point::max();
        for (const auto& pair : pairs) {
            for (Direction* direction : {&pair->up, &pair->down}) {
                short events = direction->ended ? 0 : POLLIN;
                watched.push_back({direction->from, events, 0});
                if (!direction->held.empty()) {
                    next = std::min(next, direction->held.front().due);
                    watched.push_back({direction->to, POLLOUT, 0});
                }
            }
        }
        int wait = 1000;
        if (next != Clock::time_point::max()) {
            const auto until = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
            wait = static_cast<int>(std::max<long long>(0, until.count()));
        }
        ::poll(watched.data(), watched.size(), wait);

        for (;;) {
            const int client = ::accept(listener, nullptr, nullptr);
            if (client < 0) {
                break;
            }
            const int server = ConnectTo(to);
            if (server < 0) {
                ::close(client);
                continue;
            }
            NonBlocking(client);
            NonBlocking(server);
            auto pair = std::make_unique<Pair>();
            pair->up.from = client;
            pair->up.to = server;
            pair->down.from = server;
            pair->down.to = client;
            pairs.push_back(std::move(pair));
            if (log.is_open()) {
                log << "connection " << ++connections << std::endl;
            }
        }
        for (auto& pair : pairs) {
            if (!pair->up.ended) {
                const bool first = !pair->firstBytesSeen;
                const std::size_t before = pair->up.held.size();
                Take(pair->up, first ? half + handshake : half);
                pair->firstBytesSeen = pair->firstBytesSeen || pair->up.held.size() > before;
            }
            if (!pair->down.ended) {
                Take(pair->down, half);
            }
            Pass(pair->up);
            Pass(pair->down);
        }
        std::erase_if(pairs, [](const std::unique_ptr<Pair>& pair) {
            if (!pair->Done()) {
                return false;
            }
            ::close(pair->up.from);
            ::close(pair->down.from);
            return true;
        });
    }
}
