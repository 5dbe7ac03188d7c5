#pragma once
// A small web site on a loopback port for the crawl and report tests: each request path is
// answered by a responder with a whole raw response (a HEAD request gets its head only), and
// every request line is logged as "GET /path" or "HEAD /path".

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace sg::test {

// "HTTP/1.0 200 OK" with a text/html content type, then the body.
std::string HtmlPage(const std::string& body);
// "HTTP/1.0 404 Not Found" with a text/html content type, then the body.
std::string MissingPage(const std::string& body);

class FixtureSite {
  public:
    // The raw response for a request path ("/a.html").
    using Responder = std::function<std::string(const std::string& path)>;

    explicit FixtureSite(Responder responder,
                         LoopbackServer::Serving serving = LoopbackServer::Serving::OneAtATime);
    // Fixed pages; any other path gets a 404 whose page says "404 Not Found".
    explicit FixtureSite(std::map<std::string, std::string> pages);

    int Port() const { return server_.Port(); }
    // "127.0.0.1:PORT" + path: the form of a project URL without scheme.
    std::string Url(const std::string& path = "") const;
    std::vector<std::string> Requests() const;
    int CountRequests(const std::string& line) const;

  private:
    void Serve(LoopbackConnection& conn);

    Responder responder_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    // Last, so that its thread stops before the members it uses go.
    LoopbackServer server_;
};

}  // namespace sg::test
