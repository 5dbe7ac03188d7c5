#include "support/FixtureSite.h"

#include <algorithm>
#include <utility>

namespace sg::test {

std::string HtmlPage(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

std::string MissingPage(const std::string& body) {
    return "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n" + body;
}

FixtureSite::FixtureSite(Responder responder, LoopbackServer::Serving serving)
    : responder_(std::move(responder)),
      server_([this](LoopbackConnection& conn) { Serve(conn); }, serving) {}

FixtureSite::FixtureSite(std::map<std::string, std::string> pages)
    : FixtureSite([pages = std::move(pages)](const std::string& path) {
          const auto found = pages.find(path);
          return found != pages.end() ? found->second
                                      : MissingPage("<html><h1>404 Not Found</h1></html>");
      }) {}

std::string FixtureSite::Url(const std::string& path) const {
    return "127.0.0.1:" + std::to_string(Port()) + path;
}

std::vector<std::string> FixtureSite::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

int FixtureSite::CountRequests(const std::string& line) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count(requests_.begin(), requests_.end(), line));
}

void FixtureSite::Serve(LoopbackConnection& conn) {
    const std::string head = conn.ReadUntilBlankLine();
    // "METHOD PATH HTTP/1.0": the path may hold blanks, so it ends at the last one.
    const std::string line = head.substr(0, head.find("\r\n"));
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string::npos || last <= first) {
        return;
    }
    const std::string method = line.substr(0, first);
    const std::string path = line.substr(first + 1, last - first - 1);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(method + " " + path);
    }
    std::string response = responder_(path);
    if (method == "HEAD") {
        const std::size_t end = response.find("\r\n\r\n");
        if (end != std::string::npos) {
            response.resize(end + 4);
        }
    }
    conn.Send(response);
}

}  // namespace sg::test
