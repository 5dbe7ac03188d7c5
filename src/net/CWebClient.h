#pragma once
// The HTTP/1.0 client: fetches one page, or the head of one address, straight from the site or
// through the proxy, and holds the response for its caller to read. A client is made for one
// address, configured, used for up to a few attempts, read and destroyed; the connection is
// opened and closed inside each fetch.
//
// Every wait is bounded: the connect, each piece of the head and body, and the attempt as a
// whole; and one body (and one head) keeps at most a fixed number of bytes. The bounds default
// to the program's values and can be set shorter for tests.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "net/CUT_WSClient.h"
#include "net/FetchResult.h"

namespace sg {

class CWebClient : public CUT_WSClient {
  public:
    using Milliseconds = std::chrono::milliseconds;

    static constexpr int kDefaultPort = 80;
    // The port of an "https://" address that names none.
    static constexpr int kDefaultTlsPort = 443;
    // Every line of a response goes through one buffer of this size.
    static constexpr int kLineBuffer = 512;
    static constexpr Milliseconds kDefaultConnectTimeout{10000};
    static constexpr Milliseconds kDefaultPieceTimeout{5000};
    static constexpr Milliseconds kDefaultAttemptDeadline{60000};
    static constexpr std::size_t kDefaultBodyCap = 8u * 1024u * 1024u;
    // Redirects followed in one attempt; one more fails it.
    static constexpr std::size_t kMaxRedirects = 5;
    // Sent with every request unless an extra header line names a User-Agent already.
    static constexpr const char* kUserAgentLine = "User-Agent: Sitegauge/6.0";

    CWebClient();

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
    // on): they carry "Accept-Encoding: " + kOfferedEncodings unless an extra header line names
    // Accept-Encoding, and a body sent in one of them is read decoded (at most the body cap),
    // while the head keeps its Content-Encoding line. A body that does not decode is empty.
    void SetOffersCompression(bool offers) { offersCompression_ = offers; }
    // The encodings offered, as the Accept-Encoding line names them (those this transport
    // decodes); empty when the client offers none.
    std::string_view OfferedEncodings() const;
    static constexpr std::string_view kOfferedEncodings = "gzip";

    void SetConnectTimeout(Milliseconds timeout) { connectTimeout_ = timeout; }
    void SetPieceTimeout(Milliseconds timeout) { pieceTimeout_ = timeout; }
    void SetAttemptDeadline(Milliseconds deadline) { attemptDeadline_ = deadline; }
    // Bytes kept of one body (and, separately, of one head); the rest is discarded and the
    // connection closed.
    void SetBodyCap(std::size_t bytes) { bodyCap_ = bytes; }

    // --- Fetching ---------------------------------------------------------------------------
    // The results of FetchPage and FetchHead, which `sitegauge-cli fetch` prints as numbers.
    static constexpr int kFetchOk = 0;
    static constexpr int kFetchConnectFailed = 1;
    static constexpr int kFetchBadAddress = 3;
    static constexpr int kFetchSendFailed = 4;
    static constexpr int kFetchNotText = 5;
    // 0 fetched; 1 connecting to the server or proxy failed; 3 no address, no host part, or
    // the host lookup failed; 4 sending the request failed; 5 the response is none of
    // "Content-Type: text/html", "text/plain" and "application/xhtml+xml" (the body is not
    // read).
    // A request line or extra header line that would hold a CR or LF inside it is not sent
    // and gives 3. Every request carries a Host line (and kUserAgentLine) unless an extra line
    // holds one.
    // A response 301, 302, 303, 307 or 308 with a Location line is followed there (resolved
    // against the address asked) with the same method, within the attempt: the response at the
    // end of the chain is the result, its links resolved against its own address. More than
    // kMaxRedirects, a chain that comes back to an address it asked, or a Location of another
    // scheme give 1. An "https://" address is fetched over TLS (TlsSession), on port 443 unless
    // the address names one; a failed handshake or certificate gives 1 and TlsError() says why.
    // Through the proxy an https address goes through a CONNECT tunnel: the proxy must answer
    // 200, then TLS runs to the site; the Proxy-Authorization line goes to the proxy only.
    // Backslashes in the address become slashes in place.
    int FetchPage(char* address);
    // FetchPage up to `attempts` times, stopping at the first 0 or when the run is cancelled;
    // 0 or the last result.
    int FetchPageRetrying(char* address, int attempts);
    // 0, 1, 3 or 4 as for FetchPage; only the head is kept.
    int FetchHead(char* address);
    int FetchHeadRetrying(char* address, int attempts);

    // Splits the address into host and path and selects the host as the server: 0; 1 no host
    // was found; 2 the server lookup failed; 3 both. Backslashes become slashes in place.
    int SplitUrl(char* address, std::string& path);
    // Makes `host` the server, looking its address up unless it is the current server name.
    // A port written after the host ("host:8080") is kept in the name and used to connect.
    // 0; 1 the name is 256 characters or longer; 2 the lookup failed.
    int SelectServer(const char* host);

    // --- Reading the response -----------------------------------------------------------------
    const FetchResult& Result() const { return result_; }
    // The status code of the head just read ("HTTP/1.x NNN ..."), 0 when it has no status line.
    int StatusCode() const;
    std::string HeaderText() const { return result_.HeaderText(); }
    const std::string& BodyText() const { return result_.BodyText(); }
    int BodyLineCount() const { return result_.BodyLineCount(); }
    const char* BodyLine(int n) const { return result_.BodyLine(n); }
    std::string ContentTypeLine() const { return result_.ContentTypeLine(); }
    int LinkCount() const { return result_.LinkCount(); }
    const std::string& LinkAt(int n) const { return result_.LinkAt(n); }
    int FrameCount() const { return result_.FrameCount(); }
    const std::string& FrameAt(int n) const { return result_.FrameAt(n); }

    // --- State, for callers that report it and for tests -------------------------------------
    const std::string& ServerName() const { return serverName_; }
    const std::string& ServerAddress() const { return serverAddress_; }
    const std::string& ProxyAddress() const { return proxyAddress_; }
    int ServerPort() const { return port_; }
    int UsingProxy() const { return useProxy_; }
    // The last attempt failed because the proxy itself could not be connected to (the site
    // was never asked).
    bool ProxyUnreachable() const { return proxyUnreachable_; }
    // The port the next direct fetch connects to: the one written in the address, else the
    // configured one.
    int SitePort() const { return sitePort_ > 0 ? sitePort_ : port_; }
    const std::vector<std::string>& RequestHeaders() const { return requestHeaders_; }
    // The addresses the last attempt was redirected to, in order, and the address whose
    // response it holds (the one asked when there was no redirect).
    const std::vector<std::string>& Redirects() const { return redirects_; }
    // The time from the start of the last request (its connection included) to the first byte
    // of its answer, for the answer Result() holds (the end of the redirects); zero when no
    // answer came.
    Milliseconds TimeToFirstByte() const { return firstByte_; }
    // The bytes the body of that answer came in, before any decoding.
    std::size_t BodyBytesReceived() const { return bodyReceived_; }
    const std::string& FinalAddress() const { return finalAddress_; }
    // Whether redirect `hop` (an index into Redirects()) went from an https address to a plain
    // http one: followed, since sites do move back, but the answer came unencrypted and callers
    // say so. False when out of range.
    bool HopLeavesHttps(std::size_t hop) const {
        return hop < leavesHttps_.size() && leavesHttps_[hop];
    }
    // Whether any redirect of the last attempt did.
    bool LeftHttps() const;
    // Whether a redirect from `from` to `to` (both as Redirects() holds them) leaves https.
    static bool LeavesHttps(std::string_view from, std::string_view to);
    // Where a redirect from `asked` to `location` leads, in the form the crawl uses (no
    // "http://", an https address keeps "https://"); empty for a Location of another scheme.
    // Blanks, control bytes but CR and LF, and bytes from 0x7F are percent-encoded, so that a
    // Location cannot add words to the request line.
    static std::string RedirectTarget(std::string_view asked, std::string_view location);

  private:
    using Clock = std::chrono::steady_clock;

    // An attempt's answer that is a redirect: FetchFollowing goes on at its Location.
    static constexpr int kRedirected = -1;
    int FetchFollowing(char* address, bool head);
    // RedirectTarget before its encoding.
    static std::string RedirectTargetAsWritten(std::string_view asked, std::string_view location);
    // Adds `to` to Redirects(), noting whether the hop from `from` left https.
    void RecordHop(std::string_view from, const std::string& to);
    int FetchPageDirect(char* address, Clock::time_point deadline);
    int FetchPageThroughProxy(char* address, Clock::time_point deadline);
    int FetchHeadDirect(char* address, Clock::time_point deadline);
    int FetchHeadThroughProxy(char* address, Clock::time_point deadline);
    int FinishHeadRequest(std::string& request, Clock::time_point deadline);
    int OpenDirect(char* address, std::string& path, Clock::time_point deadline);
    int OpenTunnel(const char* address, std::string& path, Clock::time_point deadline);
    int Handshake(const std::string& host, Clock::time_point deadline);
    static std::string DirectRequestLine(std::string_view method, const std::string& path);
    int SendRequest(std::string& request);

    int Connect(int port, const std::string& address, Clock::time_point deadline);
    // The text whole, or false.
    bool Send(const std::string& text);
    static bool IsOneLine(std::string_view line);
    // Every extra request header line; false when one could not be sent.
    bool SendRequestHeaders();
    bool HasHostHeader() const;
    bool HasHeader(std::string_view name) const;
    void PutHostLine(std::string_view host);
    // The host part of an address as SplitUrl cuts it, without looking it up.
    static std::string HostNameOf(std::string_view address);
    // The head just read is a redirect with a Location line.
    bool IsRedirect() const;
    std::string RedirectLocation() const;
    // An address as a loop test compares it: no "http://", no fragment, the host in lower case.
    static std::string SameAddressKey(std::string_view address);
    // The head into the header lines. Returns the last ReadLine result: above 0 when the head
    // ended with its empty line.
    int ReadHead(Clock::time_point deadline);
    void ReadBody(Clock::time_point deadline);
    // The size a Content-Length line announces, within the cap; 0 when there is none. Only a
    // hint for the room kept for the body: the body is read until the connection ends.
    std::size_t AnnouncedBodySize() const;
    // The wait for the next piece: the piece time-out, cut to what is left of the attempt;
    // zero when nothing is left.
    Milliseconds NextWait(Clock::time_point deadline) const;
    // What is left of the attempt, rounded up; zero once it has passed.
    static Milliseconds NextWaitUntil(Clock::time_point deadline);
    // The body in the encoding its Content-Encoding line names, decoded when this client
    // offered it.
    void DecodeBody();
    // The content-type test, the body and the links: the part every page fetch shares once the
    // request is sent.
    int ReadPage(const char* address, Clock::time_point deadline);

    int useProxy_ = 0;
    bool proxyUnreachable_ = false;
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
    // When the current request began, and what TimeToFirstByte and BodyBytesReceived give.
    Clock::time_point requestStart_{};
    Milliseconds firstByte_{0};
    std::size_t bodyReceived_ = 0;
    // The connection is a CONNECT tunnel through the proxy to the site.
    bool tunnelled_ = false;
    std::vector<std::string> redirects_;
    // Per redirect: whether it left https.
    std::vector<bool> leavesHttps_;
    std::string finalAddress_;
    FetchResult result_;

    Milliseconds connectTimeout_ = kDefaultConnectTimeout;
    Milliseconds pieceTimeout_ = kDefaultPieceTimeout;
    Milliseconds attemptDeadline_ = kDefaultAttemptDeadline;
    std::size_t bodyCap_ = kDefaultBodyCap;
};

}  // namespace sg
