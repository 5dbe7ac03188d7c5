// The Link Validator crawl at scale: a generated site of 100,000 pages, each linking to ten
// others ((10 i + k) mod N for k = 1..10), answered by a loopback server of its own, crawled with
// a page bound of 2,000, 20,000 and 100,000. Reports the time and the peak resident memory of
// each (the process's high-water mark, so the smaller bounds run first) and the memory per page
// the crawl added to what the process held before the first. The goals: time grows linearly,
// and each page costs at most 3 KB (bench/memory-bench.sh measures the command line end to end).

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "analysis/crawl/LinkCrawler.h"
#include "net/ConnectionSetting.h"
#include "net/WebFetcher.h"

namespace {

constexpr int kSitePages = 100000;
constexpr int kLinksPerPage = 10;

std::string PageFor(const std::string& path) {
    int n = -1;
    if (path == "/") {
        n = 0;
    } else if (path.size() > 7 && path.compare(0, 2, "/p") == 0) {
        n = std::atoi(path.c_str() + 2);
    }
    if (n < 0 || n >= kSitePages) {
        return "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n404 Not Found";
    }
    std::string body = "<html><head><title>Page " + std::to_string(n) + "</title></head><body>\n";
    for (int k = 1; k <= kLinksPerPage; ++k) {
        const long long target = (10LL * n + k) % kSitePages;
        body += "<a href=\"p" + std::to_string(target) + ".html\">page " + std::to_string(target) +
                "</a>\n";
    }
    body += "</body></html>\n";
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Answers each connection with one generated page, on a few threads, until stopped.
class SiteServer {
  public:
    SiteServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(fd_, 256);
        socklen_t length = sizeof(address);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (int i = 0; i < 4; ++i) {
            threads_.emplace_back([this] { Serve(); });
        }
    }
    ~SiteServer() {
        stopping_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    int Port() const { return port_; }

  private:
    void Serve() {
        while (!stopping_) {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0) {
                return;
            }
            std::string request;
            char buffer[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(got));
            }
            const std::size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            std::string answer = PageFor(path);
            if (request.starts_with("HEAD")) {
                answer = answer.substr(0, answer.find("\r\n\r\n") + 4);
            }
            std::size_t sent = 0;
            while (sent < answer.size()) {
                const ssize_t put =
                    ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (put <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(put);
            }
            ::close(client);
        }
    }

    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> threads_;
};

double PeakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

// What the process held before its first crawl.
const double kStartKiB = PeakResidentKiB();

void BM_CrawlGeneratedSite(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    SiteServer server;
    const std::string start = "127.0.0.1:" + std::to_string(server.Port()) + "/";
    int visited = 0;
    int records = 0;
    for (auto _ : state) {
        sg::WebFetcher fetcher;
        sg::LinkCrawler crawl(fetcher, pages);
        crawl.CrawlSite(start, true);
        visited = crawl.PagesVisited();
        records = crawl.RecordCount();
    }
    state.counters["pages"] = visited;
    state.counters["records"] = records;
    state.counters["peak_MiB"] = PeakResidentKiB() / 1024.0;
    state.counters["KB_per_page"] = (PeakResidentKiB() - kStartKiB) * 1.024 / std::max(visited, 1);
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(visited), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CrawlGeneratedSite)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
