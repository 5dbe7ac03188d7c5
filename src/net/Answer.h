#pragma once
// What one fetch got, as every analysis reads it: the result code, the address asked and where
// its redirects ended, the head as lines, the body as read (decoded), and what the transfer saw
// (time to the first byte, bytes on the wire, HTTP/2, why a secure connection failed). It is the
// designed FetchResult with the facts of its transfer; the links of a page are not in it: they
// are read from the body by whoever needs them (ExtractPageLinks), after the fetch.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

struct RenderFacts;

class Answer {
  public:
    // The results of a fetch, which `sitegauge-cli fetch` prints as numbers.
    static constexpr int kOk = 0;
    static constexpr int kConnectFailed = 1;
    static constexpr int kBadAddress = 3;
    static constexpr int kSendFailed = 4;
    static constexpr int kNotText = 5;

    // kOk fetched; kConnectFailed no connection to the site or proxy, no answer in time, or
    // redirects that loop or go too far; kBadAddress no usable address or host; kSendFailed
    // the request could not be sent; kNotText answered, but with a type whose body is not read.
    int result = kConnectFailed;
    // The address asked, in the program's text form without its fragment.
    std::string url;
    // The address whose answer this is: the end of the redirects (`url` when there were none).
    std::string finalUrl;
    // The addresses the redirects led to, in order, and for each whether it left https for
    // plain http.
    std::vector<std::string> redirects;
    std::vector<char> leftHttps;
    // The status code of each redirecting answer (301, 302, ...), in the order of `redirects`.
    std::vector<int> redirectStatuses;
    // Every line of the final head in arrival order, the status line first, line ends removed;
    // a line longer than a read buffer is kept as several entries.
    std::vector<std::string> headerLines;
    // From the start of the final request (its connection included) to its first byte; zero
    // when no answer came.
    std::chrono::milliseconds firstByte{0};
    // The bytes the body came in, before any decoding.
    std::size_t bytesReceived = 0;
    // The answer came over HTTP/2, where one connection carries many requests at once.
    bool multiplexed = false;
    // The request offered these content codings (an Accept-Encoding value); empty for none.
    std::string offeredEncodings;
    // Why the secure connection failed ("certificate has expired"); empty when it did not.
    std::string tlsError;
    // The proxy asked ("address:port"); empty when the fetch went straight to the site.
    std::string proxy;
    // The proxy itself could not be reached: the site was never asked.
    bool proxyUnreachable = false;
    // The body stopped before its end for a fault or a wait (not the cap): what came is kept.
    bool cutShort = false;
    // No answer because the redirects looped, went past the most followed, or led where no
    // request can go.
    bool redirectsFailed = false;
    // What a browser made of the page when it was rendered (the body is then the document after
    // its scripts); empty for a fetched answer.
    std::shared_ptr<const RenderFacts> rendered;

    // An answer came from the server: kOk, or kNotText (an image, an archive).
    bool Reached() const { return result == kOk || result == kNotText; }
    // The status code of the head ("HTTP/1.1 NNN ...", "HTTP/2 NNN"); 0 without a status line.
    int StatusCode() const;
    // The header lines with nothing between them.
    std::string HeaderText() const;
    // The first header line whose field name is `name` in any letter case, whole; empty when
    // there is none. ContentTypeLine() is HeaderLine("Content-Type").
    std::string_view HeaderLine(std::string_view name) const;
    std::string ContentTypeLine() const { return std::string(HeaderLine("Content-Type")); }
    // The value of the first Location line, blanks trimmed; empty when there is none.
    std::string Location() const;
    // A redirect (301, 302, 303, 307 or 308) with a Location line.
    bool IsRedirect() const;
    // Whether the body is a page a browser renders (text/html, application/xhtml+xml), whose
    // links count.
    bool HoldsLinks() const;
    // Whether any redirect left https for plain http.
    bool LeftHttps() const;
    // Whether the answer is a style sheet (Content-Type text/css, any letter case).
    bool IsStyleSheet() const;

    // The body as read, all bytes kept, NUL bytes included.
    const std::string& BodyText() const { return body_; }
    std::size_t BodyBytes() const { return body_.size(); }
    void AppendBody(const char* data, std::size_t size) { body_.append(data, size); }
    // Room for a body of about this size, to spare regrowing a large one.
    void ReserveBody(std::size_t size) { body_.reserve(size); }
    // Head and body; the rest is the fetch's and stays.
    void ClearResponse();

  private:
    std::string body_;
};

// Whether a page's body is kept: its Content-Type line begins "Content-Type: text/html",
// "Content-Type: text/plain" or "Content-Type: application/xhtml+xml" (any letter case), or
// with acceptsJson "...: application/json".
bool KeepsBody(std::string_view contentTypeLine, bool acceptsJson);

// Whether a kept body is read for links: its Content-Type line begins "Content-Type: text/html"
// or "Content-Type: application/xhtml+xml" (any letter case), the types a browser renders.
bool HoldsLinks(std::string_view contentTypeLine);

// The bytes of one piece of a response as the designed line reader (a 512-byte buffer) gave
// them: a head line longer than this is kept as several entries, and the readiness reads a body
// in such pieces.
inline constexpr std::size_t kLinePieceBytes = 511;

// The pieces a line reader would deliver of `body`: each one line with its CR LF, or
// pieceBytes of a longer line. Views into `body`.
std::vector<std::string_view> BodyPieces(std::string_view body,
                                         std::size_t pieceBytes = kLinePieceBytes);

}  // namespace sg
