#include "demo/DemoSiteServer.h"

#include "demo/DemoSiteFiles.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::size_t kMaxRequestHead = 16 * 1024;

constexpr std::string_view kNotFoundPage =
    "<html><head><title>404 Not Found</title></head><body><h1>404 Not Found</h1>"
    "<p>The requested page could not be found on this demo site.</p></body></html>\r\n";
constexpr std::string_view kBadRequestPage =
    "<html><head><title>400 Bad Request</title></head><body><h1>400 Bad Request</h1>"
    "</body></html>\r\n";
constexpr std::string_view kMovedPage =
    "<html><head><title>301 Moved Permanently</title></head><body><h1>301 Moved Permanently</h1>"
    "<p>This demo site is served over https now.</p></body></html>\r\n";
constexpr std::string_view kNotImplementedPage =
    "<html><head><title>501 Not Implemented</title></head><body><h1>501 Not Implemented</h1>"
    "<p>This demo server knows only GET and HEAD.</p></body></html>\r\n";

// "%2e" and the like decoded; false for a broken escape or a byte no file name here has.
bool PercentDecode(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            const int high = i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
            const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
            if (low < 0) {
                return false;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (c == '\0' || c == '\\') {
            return false;
        }
        out.push_back(c);
    }
    return true;
}

// Pages go out with CR LF line ends, as a page written on the desktop the program comes from
// would: its HTTP client keeps a page as CR LF lines (pieces of 511 bytes otherwise), and the
// readiness analysis looks for "</head" within one such line.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out.push_back('\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string Response(std::string_view status, std::string_view type, std::string_view body,
                     bool withBody, std::string_view location = {}) {
    std::string response;
    response.reserve(160 + location.size() + (withBody ? body.size() : 0));
    response.append("HTTP/1.0 ").append(status).append("\r\n");
    response.append("Server: sitegauge-demo\r\n");
    if (!location.empty()) {
        response.append("Location: ").append(location).append("\r\n");
    }
    response.append("Content-Type: ").append(type).append("\r\n");
    response.append("Content-Length: ").append(std::to_string(body.size())).append("\r\n");
    response.append("Connection: close\r\n\r\n");
    if (withBody) {
        response.append(body);
    }
    return response;
}

// A request through a proxy names the whole address: its path (and query) from the first "/"
// after the host.
std::string_view TargetPath(std::string_view target) {
    if (StartsWithNoCase(target, "http://")) {
        const std::size_t slash = target.find('/', 7);
        return slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    return target;
}

// The method and target of the head's request line; false when the line has not both and a
// version.
bool SplitRequestLine(std::string_view head, std::string_view& method, std::string_view& target) {
    const std::string_view requestLine = head.substr(0, head.find_first_of("\r\n"));
    const std::size_t space = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    if (space == std::string_view::npos || lastSpace == space) {
        return false;
    }
    method = requestLine.substr(0, space);
    target = requestLine.substr(space + 1, lastSpace - space - 1);
    return true;
}

// The answer to a request that is not a GET or HEAD with a target, or empty for one that is
// (its target and whether it is a HEAD then set).
std::string RefusedRequest(std::string_view requestHead, std::string_view& target, bool& head) {
    std::string_view method;
    if (!SplitRequestLine(requestHead, method, target)) {
        return Response("400 Bad Request", "text/html", kBadRequestPage, true);
    }
    head = method == "HEAD";
    if (!head && method != "GET") {
        return Response("501 Not Implemented", "text/html", kNotImplementedPage, true);
    }
    return {};
}

}  // namespace

DemoSiteServer::DemoSiteServer(std::string site)
    : site_(std::move(site)), server_(kMaxRequestHead), tlsServer_(kMaxRequestHead) {}

DemoSiteServer::~DemoSiteServer() {
    Stop();
}

std::string DemoSiteServer::Host() const {
    return "127.0.0.1:" + std::to_string(Port());
}

std::string_view DemoSiteServer::ContentType(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)
            ? std::string_view()
            : path.substr(dot + 1);
    if (extension == "html" || extension == "htm") {
        return "text/html";
    }
    if (extension == "css") {
        return "text/css";
    }
    if (extension == "txt") {
        return "text/plain";
    }
    if (extension == "svg") {
        return "image/svg+xml";
    }
    if (extension == "png") {
        return "image/png";
    }
    if (extension == "gif") {
        return "image/gif";
    }
    if (extension == "jpg" || extension == "jpeg") {
        return "image/jpeg";
    }
    return "application/octet-stream";
}

std::string DemoSiteServer::FileForTarget(std::string_view target) const {
    target = TargetPath(target);
    target = target.substr(0, target.find_first_of("?#"));
    if (target.empty() || target.front() != '/') {
        return {};
    }
    std::string decoded;
    if (!PercentDecode(target, decoded)) {
        return {};
    }
    // Walked segment by segment; ".." is refused rather than resolved, so no request can name
    // anything outside this site's folder, whatever the other folders hold.
    std::string path = site_;
    std::string_view rest(decoded);
    bool folder = true;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (segment.empty() || segment == ".") {
            folder = true;
            continue;
        }
        if (segment == "..") {
            return {};
        }
        path.push_back('/');
        path.append(segment);
        folder = slash != std::string_view::npos && rest.empty();
    }
    if (folder) {
        path.append("/index.html");
    }
    return FindDemoFile(path) != nullptr ? path : std::string();
}

std::string DemoSiteServer::Answer(std::string_view requestHead) const {
    std::string_view target;
    bool head = false;
    if (std::string refused = RefusedRequest(requestHead, target, head); !refused.empty()) {
        return refused;
    }
    const std::string path = FileForTarget(target);
    if (path.empty()) {
        return Response("404 Not Found", "text/html", kNotFoundPage, !head);
    }
    const std::string_view type = ContentType(path);
    const std::string_view content = FindDemoFile(path)->content;
    if (type.starts_with("text/")) {
        return Response("200 OK", type, WithCrLf(content), !head);
    }
    return Response("200 OK", type, content, !head);
}

std::string DemoSiteServer::MovedAnswer(std::string_view requestHead, std::string_view movedUrl) {
    std::string_view target;
    bool head = false;
    if (std::string refused = RefusedRequest(requestHead, target, head); !refused.empty()) {
        return refused;
    }
    std::string_view path = TargetPath(target);
    if (path.empty() || path.front() != '/') {
        return Response("400 Bad Request", "text/html", kBadRequestPage, true);
    }
    std::string location(movedUrl);
    if (!location.empty() && location.back() == '/') {
        location.pop_back();
    }
    location.append(path);
    return Response("301 Moved Permanently", "text/html", kMovedPage, !head, location);
}

bool DemoSiteServer::Start() {
    return server_.Start([this](std::string_view head) {
        requests_.fetch_add(1);
        return Answer(head);
    });
}

bool DemoSiteServer::StartMoved(const TlsServerContext& tls) {
    const bool secure = tlsServer_.Start(
        [this](std::string_view head) {
            requests_.fetch_add(1);
            return Answer(head);
        },
        &tls);
    // Taken once: the TLS port stays the same while it runs.
    const std::string moved = secure ? MovedUrl() : std::string();
    if (!secure || !server_.Start([this, moved](std::string_view head) {
            requests_.fetch_add(1);
            return MovedAnswer(head, moved);
        })) {
        Stop();
        return false;
    }
    return true;
}

void DemoSiteServer::Stop() {
    server_.Stop();
    tlsServer_.Stop();
}

std::string DemoSiteServer::MovedUrl() const {
    return tlsServer_.Running() ? "https://127.0.0.1:" + std::to_string(tlsServer_.Port()) + "/"
                                : std::string();
}

}  // namespace sg
