#include "support/MetasearchStandIn.h"

#include <nlohmann/json.hpp>

namespace sg::test {
namespace {

constexpr const char* kConfig = R"({"instance_name": "stand-in", "engines": [
  {"name": "google", "categories": ["general", "web"], "enabled": true, "shortcut": "go"},
  {"name": "bing", "categories": ["general"], "enabled": true, "shortcut": "bi"},
  {"name": "duckduckgo", "categories": ["general"], "enabled": false, "shortcut": "ddg"},
  {"name": "flickr", "categories": ["images"], "enabled": true, "shortcut": "fl"}
]})";

void Answer(LoopbackConnection& conn, const std::string& status, const std::string& type,
            const std::string& body) {
    conn.Send("HTTP/1.0 " + status + "\r\nContent-Type: " + type +
              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

}  // namespace

MetasearchStandIn::MetasearchStandIn()
    : server_([this](LoopbackConnection& conn) { Serve(conn); }) {}

void MetasearchStandIn::SetResults(const std::string& engine, std::vector<std::string> urls) {
    std::lock_guard<std::mutex> lock(mutex_);
    results_[engine] = std::move(urls);
}

std::string MetasearchStandIn::Address() const {
    return "http://127.0.0.1:" + std::to_string(server_.Port());
}

std::vector<std::string> MetasearchStandIn::Targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

std::string MetasearchStandIn::QueryValue(const std::string& target, const std::string& name) {
    const std::size_t query = target.find('?');
    if (query == std::string::npos) {
        return {};
    }
    std::size_t at = query + 1;
    while (at < target.size()) {
        const std::size_t end = std::min(target.find('&', at), target.size());
        const std::string pair = target.substr(at, end - at);
        if (pair.starts_with(name + "=")) {
            return pair.substr(name.size() + 1);
        }
        at = end + 1;
    }
    return {};
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
    if (target.starts_with("/config")) {
        Answer(conn, "200 OK", "application/json", kConfig);
    } else if (target.starts_with("/search?")) {
        Answer(conn, "200 OK", "application/json", SearchBody(target));
    } else {
        Answer(conn, "404 NOT FOUND", "text/html", "<html>Not found</html>");
    }
}

std::string MetasearchStandIn::SearchBody(const std::string& target) {
    const std::string engine = QueryValue(target, "engines");
    const int page = std::max(1, std::atoi(QueryValue(target, "pageno").c_str()));
    std::vector<std::string> urls;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        urls = results_[engine];
    }
    const std::size_t size = static_cast<std::size_t>(pageSize_.load());
    nlohmann::json body = {{"query", QueryValue(target, "q")},
                           {"number_of_results", urls.size()},
                           {"results", nlohmann::json::array()},
                           {"answers", nlohmann::json::array()},
                           {"suggestions", nlohmann::json::array()},
                           {"unresponsive_engines", nlohmann::json::array()}};
    for (std::size_t i = (page - 1) * size; i < urls.size() && i < page * size; ++i) {
        body["results"].push_back({{"url", urls[i]},
                                   {"title", "Result " + std::to_string(i + 1)},
                                   {"content", "text"},
                                   {"engine", engine},
                                   {"engines", {engine}},
                                   {"positions", {i % size + 1}},
                                   {"score", 1.0}});
    }
    return body.dump();
}

}  // namespace sg::test
