#include "support/MetasearchStandIn.h"

namespace sg::test {
namespace {

void Answer(LoopbackConnection& conn, const std::string& status, const std::string& type,
            const std::string& body) {
    conn.Send("HTTP/1.0 " + status + "\r\nContent-Type: " + type +
              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

}  // namespace

MetasearchStandIn::MetasearchStandIn()
    : server_([this](LoopbackConnection& conn) { Serve(conn); }) {
    // Two enabled general engines, and two that must not be offered.
    instance_.AddEngine("google", "general", true);
    instance_.AddEngine("bing", "general", true);
    instance_.AddEngine("duckduckgo", "general", false);
    instance_.AddEngine("flickr", "images", true);
}

std::string MetasearchStandIn::Address() const {
    return "http://127.0.0.1:" + std::to_string(server_.Port());
}

std::vector<std::string> MetasearchStandIn::Targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

void MetasearchStandIn::Serve(LoopbackConnection& conn) {
    const std::string head = conn.ReadUntilBlankLine();
    const std::size_t first = head.find(' ');
    const std::size_t second = head.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return;
    }
    const std::string target = head.substr(first + 1, second - first - 1);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        targets_.push_back(target);
    }
    switch (mode_.load()) {
        case Mode::kSilent:
            conn.Sleep(std::chrono::seconds(5));
            return;
        case Mode::kRefuseJson:
            Answer(conn, "403 FORBIDDEN", "text/html", "<html>Forbidden</html>");
            return;
        case Mode::kNotJson:
            Answer(conn, "200 OK", "text/html", "<html><body>results</body></html>");
            return;
        case Mode::kNormal:
            break;
    }
    std::string body;
    std::string type;
    if (instance_.Answer(target, body, type)) {
        Answer(conn, "200 OK", type, body);
    } else {
        Answer(conn, "404 NOT FOUND", "text/html", "<html>Not found</html>");
    }
}

}  // namespace sg::test
