#pragma once
// Serves one demo web site over HTTP/1.0 on 127.0.0.1 and a free port, from the files compiled
// into the program (DemoSiteFiles); text files with CR LF line ends. Only GET and HEAD; "/" and a
// folder ending in "/" give its index.html; a path that is not a file of this site, or that tries
// to climb out of it with "..", gets a "404 Not Found" page (which is what the Link Validator
// calls broken). Every wait is bounded: a request head (over TLS: the handshake and the head) is
// read for at most two seconds and 16 KiB.
//
// A site that moved to https (StartMoved) is served over TLS on a second free port, and its
// plain port answers every request with a "301 Moved Permanently" to the same target there.
//
//   sg::DemoSiteServer site("site-a");
//   site.Start();
//   fetch "http://" + site.Host() + "/shop/index.html"

#include <atomic>
#include <string>
#include <string_view>

#include "demo/LoopbackHttpServer.h"

namespace sg {

class TlsServerContext;

class DemoSiteServer {
  public:
    // `site` is a folder of resources/demo-site, e.g. "site-a".
    explicit DemoSiteServer(std::string site);
    // Stops the server.
    ~DemoSiteServer();
    DemoSiteServer(const DemoSiteServer&) = delete;
    DemoSiteServer& operator=(const DemoSiteServer&) = delete;

    // Listens on 127.0.0.1 and a free port; false when the socket could not be set up.
    bool Start();
    // The ports Start and StartMoved try first (LoopbackHttpServer::PreferPort).
    void PreferPorts(int plain, int tls) {
        server_.PreferPort(plain);
        tlsServer_.PreferPort(tls);
    }
    // The site moved to https: served over TLS with `tls` (which must outlive the server) on a
    // second free port, the plain port answering MovedAnswer. False when either port could not
    // be set up (then neither runs).
    bool StartMoved(const TlsServerContext& tls);
    // Closes the ports and ends the server threads (within about 100 ms).
    void Stop();
    bool Running() const { return server_.Running(); }
    // The plain port; 0 before Start.
    int Port() const { return server_.Port(); }
    // "127.0.0.1:" + Port().
    std::string Host() const;
    // Where the site moved: "https://127.0.0.1:" + its TLS port + "/"; empty unless it runs
    // after StartMoved.
    std::string MovedUrl() const;
    // Requests answered on either port.
    int RequestCount() const { return requests_.load(); }

    // The whole response to one request head (request line and header lines), without the
    // server: what Start serves on its port, and StartMoved on the TLS one.
    std::string Answer(std::string_view requestHead) const;
    // What the plain port of a site that moved to `movedUrl` ("https://host:port/") answers:
    // for GET and HEAD a "301 Moved Permanently" whose Location is the request's target (its
    // path and query) there; otherwise what Answer gives a bad request or another method.
    static std::string MovedAnswer(std::string_view requestHead, std::string_view movedUrl);
    // The file of this site that `target` (a request target: a path, optionally with a query,
    // or a whole "http://host/path" address) names, as a path inside resources/demo-site; empty
    // when it names none or leaves the site.
    std::string FileForTarget(std::string_view target) const;

    // The Content-Type for a file name, from its extension.
    static std::string_view ContentType(std::string_view path);

  private:
    std::string site_;
    std::atomic<int> requests_{0};
    LoopbackHttpServer server_;
    // The https port of a site that moved.
    LoopbackHttpServer tlsServer_;
};

}  // namespace sg
