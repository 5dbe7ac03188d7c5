// A loopback file server that holds every answer back by a fixed delay, so that a crawl can be
// timed as if its site were a network round trip away (bench/latency-bench.sh). One thread per
// connection, one request per connection (HTTP/1.0: the connection closes after each answer),
// GET and HEAD only. Each answer carries a "LinkChecker" header: linkchecker lifts its limit of
// requests per second to a host that sends one. The script runs every peer inside `unshare -n`
// with loopback alone.
//
//   sitegauge_delay_server [--port N] [--delay-ms N] [--log FILE] FOLDER
//
// Listens on 127.0.0.1 (port 0, the default, takes a free one) and prints the port on a line of
// its own once it accepts connections. --log appends "METHOD TARGET STATUS" for every answer,
// so that the requests a tool made can be counted. Runs until it is killed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A request head larger than this is no request of a crawler.
constexpr std::size_t kMaxHead = 16 * 1024;
constexpr std::chrono::seconds kHeadTimeout{10};
constexpr std::chrono::seconds kSendTimeout{10};
// After the answer, how long the client gets to close its side before the socket is closed
// anyway; closing with unread bytes would reset the connection and could cut the answer.
constexpr std::chrono::seconds kLingerTimeout{2};
constexpr int kBacklog = 512;

constexpr std::string_view kNotFoundPage =
    "<html><head><title>404 Not Found</title></head><body><h1>404 Not Found</h1>"
    "<p>The requested URL was not found on this server.</p></body></html>\n";

struct Settings {
    int port = 0;
    int delayMs = 20;
    std::string folder;
    std::string logPath;
};

Settings settings;
std::mutex logMutex;
FILE* logFile = nullptr;

void Log(std::string_view method, std::string_view target, int status) {
    if (logFile == nullptr) {
        return;
    }
    const std::lock_guard<std::mutex> lock(logMutex);
    std::fprintf(logFile, "%.*s %.*s %d\n", static_cast<int>(method.size()), method.data(),
                 static_cast<int>(target.size()), target.data(), status);
    std::fflush(logFile);
}

// Waits for `events` on `fd` until `deadline`; false on a timeout or an error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

// The request head up to its blank line (with or without CRs); nothing when the client sent
// no complete head in time.
std::optional<std::string> ReadHead(int fd) {
    std::string head;
    char buffer[4096];
    const auto deadline = Clock::now() + kHeadTimeout;
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
        if (head.size() > kMaxHead || !WaitFor(fd, POLLIN, deadline)) {
            return std::nullopt;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

void SendAll(int fd, std::string_view data) {
    const auto deadline = Clock::now() + kSendTimeout;
    while (!data.empty()) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
            return;
        }
        const ssize_t wrote = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (wrote < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (wrote <= 0) {
            return;
        }
        data.remove_prefix(static_cast<std::size_t>(wrote));
    }
}

// Reads what the client still sends until it closes its side, for at most the linger wait.
void DrainUntilClosed(int fd) {
    char buffer[4096];
    const auto deadline = Clock::now() + kLingerTimeout;
    while (WaitFor(fd, POLLIN, deadline)) {
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            return;
        }
    }
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string_view ContentType(std::string_view path) {
    if (EndsWith(path, ".html") || EndsWith(path, ".htm")) {
        return "text/html";
    }
    if (EndsWith(path, ".txt")) {
        return "text/plain";
    }
    return "application/octet-stream";
}

// The file a request target names under the folder, or nothing when it names none: the path
// of an absolute-form target, without its query or fragment; "/" leads to index.html; any ".."
// segment is refused rather than resolved.
std::optional<std::string> FileFor(std::string_view target) {
    if (target.substr(0, 7) == "http://") {
        const std::size_t slash = target.find('/', 7);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    target = target.substr(0, target.find_first_of("?#"));
    if (target.empty() || target[0] != '/' || target.find("..") != std::string_view::npos) {
        return std::nullopt;
    }
    std::string path = settings.folder + std::string(target);
    if (path.back() == '/') {
        path += "index.html";
    }
    return path;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return data;
}

std::string Answer(int status, std::string_view reason, std::string_view type,
                   std::string_view body, bool withBody) {
    std::string answer =
        "HTTP/1.0 " + std::to_string(status) + " " + std::string(reason) +
        "\r\nServer: sitegauge-delay-server\r\nContent-Type: " + std::string(type) +
        "\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\nLinkChecker: latency-bench\r\n\r\n";
    if (withBody) {
        answer += body;
    }
    return answer;
}

void Serve(int fd) {
    const std::optional<std::string> head = ReadHead(fd);
    if (!head) {
        ::close(fd);
        return;
    }
    std::istringstream requestLine(head->substr(0, head->find_first_of("\r\n")));
    std::string method, target, version;
    requestLine >> method >> target >> version;

    std::this_thread::sleep_for(std::chrono::milliseconds(settings.delayMs));

    int status = 200;
    std::string answer;
    if (method != "GET" && method != "HEAD") {
        status = 501;
        answer = Answer(status, "Not Implemented", "text/plain", "GET and HEAD only\n", true);
    } else {
        const bool withBody = method == "GET";
        const std::optional<std::string> path = FileFor(target);
        const std::optional<std::string> body = path ? ReadFile(*path) : std::nullopt;
        if (body) {
            answer = Answer(status, "OK", ContentType(*path), *body, withBody);
        } else {
            status = 404;
            answer = Answer(status, "Not Found", "text/html", kNotFoundPage, withBody);
        }
    }
    SendAll(fd, answer);
    Log(method, target, status);
    ::shutdown(fd, SHUT_WR);
    DrainUntilClosed(fd);
    ::close(fd);
}

// A whole non-negative number, or nothing.
std::optional<int> Number(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 1000000) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

int Usage() {
    std::cerr << "Usage: sitegauge_delay_server [--port N] [--delay-ms N] [--log FILE] FOLDER\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    for (int n = 1; n < argc; ++n) {
        const std::string_view arg = argv[n];
        if ((arg == "--port" || arg == "--delay-ms" || arg == "--log") && n + 1 < argc) {
            const char* value = argv[++n];
            if (arg == "--log") {
                settings.logPath = value;
                continue;
            }
            const std::optional<int> number = Number(value);
            if (!number || (arg == "--port" && *number > 65535)) {
                return Usage();
            }
            (arg == "--port" ? settings.port : settings.delayMs) = *number;
        } else if (settings.folder.empty() && !arg.empty() && arg[0] != '-') {
            settings.folder = std::string(arg);
        } else {
            return Usage();
        }
    }
    if (settings.folder.empty()) {
        return Usage();
    }
    while (settings.folder.size() > 1 && settings.folder.back() == '/') {
        settings.folder.pop_back();
    }
    if (!settings.logPath.empty()) {
        logFile = std::fopen(settings.logPath.c_str(), "a");
        if (logFile == nullptr) {
            std::cerr << "sitegauge_delay_server: cannot open " << settings.logPath << ": "
                      << std::strerror(errno) << '\n';
            return 1;
        }
    }
    ::signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) {
        std::perror("sitegauge_delay_server: socket");
        return 1;
    }
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(settings.port));
    socklen_t length = sizeof(address);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, kBacklog) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("sitegauge_delay_server: listen");
        return 1;
    }
    std::cout << ntohs(address.sin_port) << std::endl;

    while (true) {
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            // Out of descriptors or threads for now: the connection waits in the backlog.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        try {
            std::thread(Serve, fd).detach();
        } catch (const std::system_error&) {
            ::close(fd);
        }
    }
}
