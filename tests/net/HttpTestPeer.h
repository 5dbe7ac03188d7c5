#pragma once
// Helpers for the HTTP client tests: scripted loopback peers that record the requests they get,
// and a client with waits short enough for tests.

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/crawl/AnswerLinks.h"
#include "net/CWebClient.h"
#include "support/LoopbackServer.h"

namespace sg::test {

using namespace std::chrono_literals;

// Requests as the peer received them; a handler appends, the test reads after WaitHandled.
class RequestLog {
  public:
    void Add(std::string request) {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(std::move(request));
    }
    std::vector<std::string> All() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

// Reads the request head, records it and sends `response` (then the connection closes).
inline LoopbackServer::Handler Answer(RequestLog& log, std::string response) {
    return [&log, response](LoopbackConnection& conn) {
        log.Add(conn.ReadUntilBlankLine());
        conn.Send(response);
    };
}

inline std::string HtmlResponse(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

// "127.0.0.1:PORT" + path.
inline std::string Loopback(int port, const std::string& path = "") {
    return "127.0.0.1:" + std::to_string(port) + path;
}

inline void UseShortWaits(CWebClient& client) {
    client.SetConnectTimeout(1000ms);
    client.SetPieceTimeout(1000ms);
    client.SetAttemptDeadline(10000ms);
}

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

inline int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

// The links of the client's last answer, read as the crawl reads them.
inline FoundLinks LinksOf(const CWebClient& client) {
    return ExtractAnswerLinks(client.Result());
}

}  // namespace sg::test
