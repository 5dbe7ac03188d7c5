#pragma once
// The web client: fetches one page, or the head of one address, straight from the site or
// through the proxy, and holds the response for its caller to read. A client is made for one
// address, configured, used for up to a few attempts, read and destroyed. Its requests go
// through the WebSession of its run (WebSession::Current(), else a session of its own), which
// keeps the connections open for the requests after it: HTTP/2 where the server offers it over
// TLS, persistent HTTP/1.1 otherwise. Requests say HTTP/1.1 (or HTTP/2).
//
// Every wait is bounded: the connect, each piece of the head and body, and the attempt as a
// whole; and one body (and one head) keeps at most a fixed number of bytes. The bounds default
// to the program's values and can be set shorter for tests. A cancelled run ends a fetch within
// one RunControl::kWaitSliceMs.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/Url.h"
#include "net/Answer.h"

namespace sg {

class RunControl;
class WebSession;

class CWebClient {
  public:
    using Milliseconds = std::chrono::milliseconds;

    static constexpr int kDefaultPort = 80;
    // The port of an "https://" address that names none.
    static constexpr int kDefaultTlsPort = 443;
    static constexpr Milliseconds kDefaultConnectTimeout{10000};
    static constexpr Milliseconds kDefaultPieceTimeout{5000};
    static constexpr Milliseconds kDefaultAttemptDeadline{60000};
    static constexpr std::size_t kDefaultBodyCap = 8u * 1024u * 1024u;
    // Redirects followed in one attempt; one more fails it.
    static constexpr std::size_t kMaxRedirects = 5;
    // Sent with every request unless an extra header line names a User-Agent already.
    static constexpr const char* kUserAgentLine = "User-Agent: Sitegauge/6.0";

    CWebClient();
    ~CWebClient();
    CWebClient(const CWebClient&) = delete;
    CWebClient& operator=(const CWebClient&) = delete;

    // --- Configuration ----------------------------------------------------------------------
    // 0; 1 when null. The text is copied (up to 255 characters); it must be dotted IPv4, since
    // no name lookup is made for the proxy.
    int SetProxyAddress(const char* address);
    // 0; 1 when negative (the port is unchanged). The port of the proxy, and of the site when
    // the address names none.
    int SetServerPort(int port);
    void UseProxy(int flag) { useProxy_ = flag; }
    // Always 1. Appends a copy to the extra request header lines; CR LF is appended unless the
    // line ends in LF or has CR as its second-to-last character.
    int AddRequestHeader(const char* line);
    // Whether requests carry kUserAgentLine (on by default). The search engines' requests keep
    // their own header lines and turn it off.
    void SetNamesProgram(bool names) { namesProgram_ = names; }
    // Whether a "Content-Type: application/json" response counts as a page too (off by
    // default); the metasearch instance answers its JSON requests so.
    void SetAcceptsJson(bool accepts) { acceptsJson_ = accepts; }
    // Whether a response's body is kept whatever its Content-Type (off by default): sitemaps
    // come as XML or gzip. A page fetch then gives 0 for every type.
    void SetKeepsAnyBody(bool keeps) { keepsAnyBody_ = keeps; }
    // Whether requests offer compressed answers (off by default; the crawl's fetches turn it
    // on): they offer every coding libcurl decodes (DecodableEncodings) unless an extra header
    // line names Accept-Encoding, and a body sent in one of them is read decoded (at most the
    // body cap), while the head keeps its Content-Encoding line. A body that does not decode
    // is kept as far as it decoded.
    void SetOffersCompression(bool offers) { offersCompression_ = offers; }
    // The encodings offered, as the Accept-Encoding line names them (those this transport
    // decodes); empty when the client offers none.
    std::string_view OfferedEncodings() const;

    void SetConnectTimeout(Milliseconds timeout) { connectTimeout_ = timeout; }
    void SetPieceTimeout(Milliseconds timeout) { pieceTimeout_ = timeout; }
    void SetAttemptDeadline(Milliseconds deadline) { attemptDeadline_ = deadline; }
    // Bytes kept of one body (and, separately, of one head); the rest is discarded and the
    // connection closed.
    void SetBodyCap(std::size_t bytes) { bodyCap_ = bytes; }

    // --- Fetching ---------------------------------------------------------------------------
    // The results of FetchPage and FetchHead, which `sitegauge-cli fetch` prints as numbers.
    static constexpr int kFetchOk = Answer::kOk;
    static constexpr int kFetchConnectFailed = Answer::kConnectFailed;
    static constexpr int kFetchBadAddress = Answer::kBadAddress;
    static constexpr int kFetchSendFailed = Answer::kSendFailed;
    static constexpr int kFetchNotText = Answer::kNotText;
    // 0 fetched; 1 connecting to the server or proxy failed, or no answer came (redirects that
    // fail, a head browsers refuse, informational answers only); 3 no address, no host part, or
    // the host lookup failed; 4 sending the request failed; 5 the response is none of
    // "Content-Type: text/html", "text/plain" and "application/xhtml+xml" (the body is not
    // read).
    // The address is read as Url::Parse reads it (the one parser of addresses, down to the
    // request line): http or https, its host and port, its path and query; the fragment is
    // never sent. A request line or extra header line that would hold a CR or LF inside it is
    // not sent and gives 3. Every request carries a Host line (and kUserAgentLine) unless an
    // extra line holds one; no other line is added. A Proxy-Authorization line goes to the
    // proxy only: through a CONNECT tunnel in the CONNECT request, never to a site.
    // A response 301, 302, 303, 307 or 308 with a Location line is followed there (resolved
    // against the address asked) with the same method, within the attempt: the response at the
    // end of the chain is the result. More than kMaxRedirects, a chain that comes back to an
    // address it asked, or a Location of another scheme give 1. An "https://" address is
    // fetched over TLS 1.2 or later, on port 443 unless the address names one; a failed
    // handshake or certificate gives 1 and TlsError() says why. Through the proxy an https
    // address goes through a CONNECT tunnel: the proxy must answer 200, then TLS runs to the
    // site. A kept-alive connection that the server closed meanwhile is replaced without
    // costing an attempt.
    int FetchPage(std::string_view address);
    // FetchPage up to `attempts` times, stopping at the first answer (0, or 5 for a type whose
    // body is not read), at 3 (no address) or when the run is cancelled; the last result.
    int FetchPageRetrying(std::string_view address, int attempts);
    // 0, 1, 3 or 4 as for FetchPage; only the head is kept.
    int FetchHead(std::string_view address);
    int FetchHeadRetrying(std::string_view address, int attempts);
    // FetchPageRetrying (FetchHeadRetrying when `head`) of `url` on `session`, without
    // waiting: `done` gets the result on the session's thread. Pauses and cancels follow
    // `control`. The client, the session and the control must outlive the fetch, and the client
    // is not used otherwise until `done` was called.
    void StartFetch(WebSession& session, bool head, const Url& url, int attempts,
                    RunControl& control, std::function<void(int)> done);

    // --- Reading the response -----------------------------------------------------------------
    // The answer of the last fetch (an empty one before any).
    const Answer& Result() const { return answer_; }
    // The same, moved out; the client holds an empty answer after it.
    Answer TakeAnswer();
    // The status code of the head just read ("HTTP/1.1 NNN ...", "HTTP/2 NNN"), 0 when it has
    // no status line.
    int StatusCode() const { return answer_.StatusCode(); }
    std::string HeaderText() const { return answer_.HeaderText(); }
    const std::string& BodyText() const { return answer_.BodyText(); }
    std::string ContentTypeLine() const { return answer_.ContentTypeLine(); }

    // Why the last attempt's secure connection failed ("certificate has expired"); empty when
    // it did not fail so.
    const std::string& TlsError() const { return answer_.tlsError; }
    // The last answer came over HTTP/2, where one connection carries many requests at once.
    bool Multiplexed() const { return answer_.multiplexed; }

    // --- State, for callers that report it and for tests -------------------------------------
    // The host (and any port written after it) of the address last asked, as its Host line
    // names it.
    const std::string& ServerName() const { return serverName_; }
    // The address the last direct request connected to.
    const std::string& ServerAddress() const { return serverAddress_; }
    const std::string& ProxyAddress() const { return proxyAddress_; }
    int ServerPort() const { return port_; }
    int UsingProxy() const { return useProxy_; }
    // The last attempt failed because the proxy itself could not be connected to (the site
    // was never asked).
    bool ProxyUnreachable() const { return answer_.proxyUnreachable; }
    // The port of the site the last direct request went to: the one written in the address,
    // else 443 for https and ServerPort() for http.
    int SitePort() const { return sitePort_; }
    const std::vector<std::string>& RequestHeaders() const { return requestHeaders_; }
    // The addresses the last attempt was redirected to, in order, and the address whose
    // response it holds (the one asked when there was no redirect).
    const std::vector<std::string>& Redirects() const { return answer_.redirects; }
    const std::string& FinalAddress() const { return answer_.finalUrl; }
    // The time from the start of the last request (its connection included) to the first byte
    // of its answer, for the answer Result() holds (the end of the redirects); zero when no
    // answer came.
    Milliseconds TimeToFirstByte() const { return answer_.firstByte; }
    // The bytes the body of that answer came in, before any decoding.
    std::size_t BodyBytesReceived() const { return answer_.bytesReceived; }
    // Whether redirect `hop` (an index into Redirects()) went from an https address to a plain
    // http one: followed, since sites do move back, but the answer came unencrypted and callers
    // say so. False when out of range.
    bool HopLeavesHttps(std::size_t hop) const {
        return hop < answer_.leftHttps.size() && answer_.leftHttps[hop] != 0;
    }
    // Whether any redirect of the last attempt did.
    bool LeftHttps() const { return answer_.LeftHttps(); }
    // Whether a redirect from `from` to `to` (both as Redirects() holds them) leaves https.
    static bool LeavesHttps(std::string_view from, std::string_view to);
    // Where a redirect from `asked` to `location` leads, in the form the crawl uses (no
    // "http://", an https address keeps "https://"), resolved as RFC 3986 resolves a reference
    // (Url::Resolve, which also encodes what a request line cannot carry); empty for a Location
    // of another scheme or none that resolves.
    static std::string RedirectTarget(std::string_view asked, std::string_view location);

  private:
    using Clock = std::chrono::steady_clock;
    struct Flight;

    // A hop's answer that is a redirect: the attempt goes on at its Location.
    static constexpr int kRedirected = -1;
    // The blocking fetches: StartFetch on the run's session, waited for.
    int FetchWaiting(std::string_view address, bool head, int attempts, bool gated);
    // StartFetch; with `gated`, a paused run holds each attempt back until it goes on.
    void StartFlight(WebSession& session, bool head, const Url& url, int attempts, bool gated,
                     RunControl& control, std::function<void(int)> done);
    // The steps of a fetch, on the session's thread.
    void BeginAttempt();
    void BeginHop();
    void EndHop(int code, bool stopped);
    void EndAttempt(int result);
    void Finish(int result);
    Clock::time_point Tick(Clock::time_point now);
    // The request of one hop into the flight's HttpHop: 0, or 3 (no usable address, or a line
    // that would break the request) or 1 (the proxy cannot be used).
    int PrepareHop(const Url& url);
    int PrepareDirect(const UrlTarget& target);
    int PrepareThroughProxy(const Url& url, const UrlTarget& target);
    // What the answer so far makes of a hop that ended (curl's `code`), as FetchPage counts.
    int HopResult(int code);
    // Adds `to` to Redirects(), noting whether the hop from `from` left https.
    void RecordHop(std::string_view from, const std::string& to);

    static bool IsOneLine(std::string_view line);
    bool HasHostHeader() const;
    bool HasHeader(std::string_view name) const;
    void PutHostLine(std::string_view host);
    // An address as a loop test compares it: no "http://", no fragment, the host in lower case.
    static std::string SameAddressKey(std::string_view address);

    int useProxy_ = 0;
    std::string proxyAddress_;
    std::string serverAddress_;
    std::string serverName_;
    int sitePort_ = 0;
    int port_ = kDefaultPort;
    std::vector<std::string> requestHeaders_;
    // Index of the Host line this client added, -1 when none.
    int hostLine_ = -1;
    bool namesProgram_ = true;
    bool acceptsJson_ = false;
    bool keepsAnyBody_ = false;
    bool offersCompression_ = false;
    Answer answer_;

    Milliseconds connectTimeout_ = kDefaultConnectTimeout;
    Milliseconds pieceTimeout_ = kDefaultPieceTimeout;
    Milliseconds attemptDeadline_ = kDefaultAttemptDeadline;
    std::size_t bodyCap_ = kDefaultBodyCap;

    // The fetch in progress, and the session this client made for itself when no run had one.
    std::unique_ptr<Flight> flight_;
    std::shared_ptr<WebSession> ownSession_;
};

}  // namespace sg
