#pragma once
// One request and its answer on a WebSession (one libcurl easy handle): what is asked of whom,
// and the answer as it arrives, cut as the web client keeps it: the head into lines (a line
// longer than a read buffer as several), the body within its cap. Used by CWebClient on the
// session's thread. The handle's timings (CURLINFO_STARTTRANSFER_TIME_T: the time to the first
// byte) and the head stay readable until the transfer is destroyed.
//
// Bounds: head and body each keep at most `cap` bytes, the head at most kMaxHeadBytes (past that,
// or past kMaxInformational 1xx heads, it is refused: HeadRefused); beyond that the transfer
// ends (and its connection with it). A page that will not be kept (not text, or a redirect) ends at
// its head, unless its body is small and its connection can be kept: that body is read and dropped.

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "net/Answer.h"
#include "net/WebSession.h"

namespace sg {

// What one request is: where the connection goes and the lines it sends.
struct HttpHop {
    bool head = false;
    // Where libcurl connects: "http://host:port/" or "https://host:port/" (the site, or for a
    // plain request through the proxy the proxy itself).
    std::string url;
    // The request target as it is sent ("/path", or a whole address through the proxy).
    std::string target;
    // "http://address:port" of the proxy that tunnels an https request; empty otherwise.
    std::string tunnelProxy;
    // The name or address the certificate must name (https only).
    std::string tlsHost;
    // Header lines without their line ends: to the site, and to the proxy in a CONNECT.
    std::vector<std::string> siteLines;
    std::vector<std::string> proxyLines;
    std::chrono::milliseconds connectTimeout{0};
    // Bytes kept of the head, and of the body.
    std::size_t cap = 0;
    // Whether a body of this content type is kept ("text/html", "text/plain",
    // "application/xhtml+xml", and with acceptsJson "application/json").
    bool acceptsJson = false;
    // Whether a body is kept whatever its content type (sitemaps come as XML or gzip).
    bool keepsAnyBody = false;
    // The encodings offered in Accept-Encoding, which libcurl then decodes; empty for none.
    std::string acceptEncoding;
};

// The content codings this libcurl decodes, as an Accept-Encoding value ("gzip, deflate, br,
// zstd" where all are built in).
const std::string& DecodableEncodings();

class HttpTransfer {
  public:
    // The most of a head taken, and of informational heads before the answer.
    static constexpr std::size_t kMaxHeadBytes = 256 * 1024;
    static constexpr int kMaxInformational = 16;

    using Clock = std::chrono::steady_clock;

    // The answer goes into `result`, which must outlive the transfer.
    explicit HttpTransfer(Answer& result);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // Sets the handle up for `hop` on `session` (both must outlive the transfer); false when
    // the handle cannot be made.
    bool Configure(const HttpHop& hop, WebSession& session);
    CURL* Easy() const { return easy_; }

    // Once the connection was made (or taken from the cache) and the request is on its way.
    bool RequestSent() const { return requestSent_; }
    // When the last bytes of the answer came (or the request went), for the wait between
    // pieces: while the head comes, any byte that reached the connection counts (a head line
    // in pieces is still coming); after it, the body's own bytes.
    Clock::time_point LastActivity() const;
    // Connected (through the tunnel, when there is one), and the TLS handshake not done yet.
    bool Handshaking() const;
    // libcurl's own connect wait ended in the TLS handshake.
    bool HandshakeTimedOut(CURLcode code) const;
    // The head ended with its blank line.
    bool HeadEnded() const { return headEnded_; }
    // The transfer ended on purpose: a cap was reached, or a page not kept ended at its head.
    bool EndedOnPurpose() const { return endedOnPurpose_; }
    // The head is no answer: longer than kMaxHeadBytes (browsers refuse such), a line longer
    // than libcurl takes (it ended the transfer with `code`), or more than kMaxInformational
    // informational (1xx) heads came before it.
    bool HeadRefused(CURLcode code) const;
    // The head's status code; 0 before a status line came.
    int Status() const;
    // Why a secure connection failed, from the certificate check or from the TLS library;
    // empty when `code` is no TLS failure.
    std::string TlsFailure(CURLcode code) const;

  private:
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static int OnRequest(void* self, char*, char*, int, int localPort);
    static int OnSocket(void* self, curl_socket_t fd, curlsocktype purpose);
    static CURLcode OnTlsContext(CURL*, void* context, void* self);
    std::size_t TakeHeadLine(std::string_view line);
    // At the end of the head: whether the body is kept, dropped or not read at all.
    bool ChooseBody();

    Answer& result_;
    const HttpHop* hop_ = nullptr;
    WebSession* session_ = nullptr;
    CURL* easy_ = nullptr;
    // The socket this transfer opened, and the one its request went out on.
    int newSocket_ = -1;
    int socket_ = -1;
    curl_slist* siteLines_ = nullptr;
    curl_slist* proxyLines_ = nullptr;
    bool requestSent_ = false;
    bool headEnded_ = false;
    bool keepBody_ = false;
    bool endedOnPurpose_ = false;
    bool headRefused_ = false;
    int informational_ = 0;
    std::size_t headBytes_ = 0;
    std::size_t bodyBytes_ = 0;
    std::size_t dropped_ = 0;
    Clock::time_point lastActivity_{};
    char error_[CURL_ERROR_SIZE] = {};
};

}  // namespace sg
