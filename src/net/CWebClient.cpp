#include "net/CWebClient.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "html/LinkExtractor.h"
#include "html/PageLinks.h"
#include "html/TextUtil.h"
#include "model/ProgressSink.h"
#include "net/Gunzip.h"
#include "platform/Ansi.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

constexpr std::size_t kProxyAddressChars = 256;
constexpr std::size_t kServerNameChars = 256;
constexpr std::size_t kServerAddressChars = 32;

struct Span {
    std::size_t begin = std::string_view::npos;
    std::size_t end = std::string_view::npos;
    bool Found() const { return begin != std::string_view::npos; }
};

// The index-th run of characters that are not separators (the tokens NthToken gives).
Span TokenSpan(std::string_view text, std::string_view separators, int index) {
    std::size_t pos = 0;
    for (int current = 0;; ++current) {
        pos = text.find_first_not_of(separators, pos);
        if (pos == std::string_view::npos) {
            return {};
        }
        const std::size_t end = std::min(text.find_first_of(separators, pos), text.size());
        if (current == index) {
            return {pos, end};
        }
        pos = end;
    }
}

// The port written after the last ":" of a host, or 0 when there is none that is usable.
int PortInHost(std::string_view host, std::size_t& colon) {
    colon = host.rfind(':');
    if (colon == std::string_view::npos) {
        return 0;
    }
    const std::string_view digits = host.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return 0;
    }
    int port = 0;
    for (char c : digits) {
        port = port * 10 + (c - '0');
    }
    return port >= 1 && port <= 65535 ? port : 0;
}

bool IsTextPage(std::string_view contentTypeLine) {
    return StartsWithNoCase(contentTypeLine, "Content-Type: text/html") ||
           StartsWithNoCase(contentTypeLine, "Content-Type: text/plain") ||
           StartsWithNoCase(contentTypeLine, "Content-Type: application/xhtml+xml");
}

void ReplaceBackslashes(char* address) {
    for (char* c = address; *c != '\0'; ++c) {
        if (*c == '\\') {
            *c = '/';
        }
    }
}

}  // namespace

CWebClient::CWebClient() = default;

// --- Configuration ------------------------------------------------------------------------

int CWebClient::SetProxyAddress(const char* address) {
    if (address == nullptr) {
        return 1;
    }
    proxyAddress_.assign(address, std::min(std::strlen(address), kProxyAddressChars - 1));
    return 0;
}

int CWebClient::SetServerPort(int port) {
    if (port < 0) {
        return 1;
    }
    port_ = port;
    return 0;
}

int CWebClient::AddRequestHeader(const char* line) {
    if (line == nullptr) {
        return 1;
    }
    std::string copy(line);
    const std::size_t n = copy.size();
    const bool endsInLf = n >= 1 && copy[n - 1] == '\n';
    const bool crBeforeLast = n >= 2 && copy[n - 2] == '\r';
    if (!endsInLf && !crBeforeLast) {
        copy += "\r\n";
    }
    requestHeaders_.push_back(std::move(copy));
    return 1;
}

// --- Addresses ------------------------------------------------------------------------------

int CWebClient::SplitUrl(char* address, std::string& path) {
    path.clear();
    if (address == nullptr) {
        return 3;
    }
    ReplaceBackslashes(address);
    const std::string_view text(address);
    const int hostIndex = text.find("://") != std::string_view::npos ? 1 : 0;
    const Span host = TokenSpan(text, "/?", hostIndex);
    int result = 0;
    std::string hostText;
    if (!host.Found() || host.end - host.begin >= kServerNameChars) {
        result |= 1;
    } else {
        hostText.assign(text.substr(host.begin, host.end - host.begin));
        const std::string_view rest = text.substr(host.end);
        const Span beforeStar = TokenSpan(rest, "*", 0);
        if (beforeStar.Found()) {
            path.assign(rest.substr(beforeStar.begin, beforeStar.end - beforeStar.begin));
        }
    }
    if (SelectServer(hostText.c_str()) != 0) {
        result |= 2;
    }
    return result;
}

int CWebClient::SelectServer(const char* host) {
    if (host == nullptr) {
        return 2;
    }
    // The lookup is skipped when the host repeats (as it does on every later attempt).
    if (serverName_ == host) {
        return 0;
    }
    const std::string_view name(host);
    if (name.size() >= kServerNameChars) {
        return 1;
    }
    serverName_.assign(name);
    serverAddress_.clear();
    // A port written in the address is used for the connection; the name keeps it, so the Host
    // line names it too.
    std::size_t colon = 0;
    sitePort_ = PortInHost(name, colon);
    const std::string lookup(sitePort_ > 0 ? name.substr(0, colon) : name);
    if (IsDottedAddress(lookup.c_str()) != 0 && lookup.size() < kServerAddressChars) {
        serverAddress_ = lookup;
    }
    char resolved[kServerAddressChars] = {};
    const int found = ResolveHost(lookup.c_str(), resolved, sizeof(resolved));
    if (found == 0) {
        serverAddress_ = resolved;
    }
    return found;
}

// --- Fetching -------------------------------------------------------------------------------

int CWebClient::FetchPage(char* address) {
    return FetchFollowing(address, false);
}

int CWebClient::FetchHead(char* address) {
    return FetchFollowing(address, true);
}

// One attempt: the request, and the request again at each Location of a redirect, with the
// same method, within the attempt's deadline.
int CWebClient::FetchFollowing(char* address, bool head) {
    Disconnect();
    const Clock::time_point deadline =
        attemptDeadline_.count() > 0 ? Clock::now() + attemptDeadline_ : Clock::time_point::max();
    redirects_.clear();
    leavesHttps_.clear();
    proxyUnreachable_ = false;
    finalAddress_ = address != nullptr ? address : "";
    std::vector<std::string> asked;
    std::vector<char> copy;
    char* current = address;
    for (;;) {
        tunnelled_ = false;
        requestStart_ = Clock::now();
        firstByte_ = Milliseconds(0);
        bodyReceived_ = 0;
        const int result = head ? (useProxy_ != 0 ? FetchHeadThroughProxy(current, deadline)
                                                  : FetchHeadDirect(current, deadline))
                                : (useProxy_ != 0 ? FetchPageThroughProxy(current, deadline)
                                                  : FetchPageDirect(current, deadline));
        if (current != nullptr) {
            finalAddress_ = current;
        }
        if (result != kRedirected) {
            return result;
        }
        asked.push_back(SameAddressKey(finalAddress_));
        const std::string next = RedirectTarget(finalAddress_, RedirectLocation());
        // Too long a chain, a loop, or a place this client cannot go: no answer at all.
        if (next.empty() || redirects_.size() >= kMaxRedirects ||
            std::find(asked.begin(), asked.end(), SameAddressKey(next)) != asked.end()) {
            result_.ClearResponse();
            return kFetchConnectFailed;
        }
        RecordHop(finalAddress_, next);
        copy.assign(next.begin(), next.end());
        copy.push_back('\0');
        current = copy.data();
    }
}

void CWebClient::RecordHop(std::string_view from, const std::string& to) {
    redirects_.push_back(to);
    leavesHttps_.push_back(LeavesHttps(from, to));
}

bool CWebClient::LeftHttps() const {
    return std::find(leavesHttps_.begin(), leavesHttps_.end(), true) != leavesHttps_.end();
}

bool CWebClient::LeavesHttps(std::string_view from, std::string_view to) {
    return StartsWithNoCase(from, "https://") && !StartsWithNoCase(to, "https://");
}

int CWebClient::FetchPageRetrying(char* address, int attempts) {
    int result = kFetchConnectFailed;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // A run held at its Cancel question starts no new attempt until it is answered.
        if (!RunControl::Current().WaitWhilePaused()) {
            break;
        }
        result = FetchPage(address);
        if (result == kFetchOk) {
            break;
        }
    }
    // The run learns whether its requests reach the proxy, to tell a dead proxy from dead sites.
    ReportRequestEnded(result != kFetchOk && proxyUnreachable_);
    return result;
}

int CWebClient::FetchHeadRetrying(char* address, int attempts) {
    int result = kFetchConnectFailed;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (!RunControl::Current().WaitWhilePaused()) {
            break;
        }
        result = FetchHead(address);
        if (result == kFetchOk) {
            break;
        }
    }
    ReportRequestEnded(result != kFetchOk && proxyUnreachable_);
    return result;
}

int CWebClient::FetchPageDirect(char* address, Clock::time_point deadline) {
    std::string path;
    if (const int opened = OpenDirect(address, path, deadline); opened != 0) {
        return opened;
    }
    std::string request = DirectRequestLine("GET", path);
    PutHostLine(serverName_);
    if (const int sent = SendRequest(request); sent != 0) {
        return sent;
    }
    return ReadPage(address, deadline);
}

int CWebClient::FetchPageThroughProxy(char* address, Clock::time_point deadline) {
    result_.ClearResponse();
    if (address == nullptr) {
        return kFetchBadAddress;
    }
    if (StartsWithNoCase(address, "https://")) {
        std::string path;
        if (const int opened = OpenTunnel(address, path, deadline); opened != kFetchOk) {
            return opened;
        }
        std::string request = DirectRequestLine("GET", path);
        if (const int sent = SendRequest(request); sent != kFetchOk) {
            return sent;
        }
        return ReadPage(address, deadline);
    }
    if (Connect(port_, proxyAddress_, deadline) != 0) {
        proxyUnreachable_ = true;
        return kFetchConnectFailed;
    }
    const std::string_view text(address);
    std::string request = "GET ";
    if (StartsWithNoCase(text, "ftp://")) {
        request += text;
    } else if (StartsWithNoCase(text, "ftp.")) {
        request += "ftp://";
        request += text;
    } else if (StartsWithNoCase(text, "http://") || text.starts_with("//")) {
        request += text;
    } else if (text.starts_with("/")) {
        request += "http://" + proxyAddress_ + ":" + std::to_string(port_);
        request += text;
    } else {
        request += "http://";
        request += text;
    }
    request += " HTTP/1.0\r\n";
    // The proxy looks the site up; the Host line only needs its name.
    PutHostLine(HostNameOf(text));
    if (const int sent = SendRequest(request); sent != 0) {
        return sent;
    }
    // Read like a direct fetch, so that a crawl behind a proxy sees the same pages and links.
    return ReadPage(address, deadline);
}

int CWebClient::FetchHeadDirect(char* address, Clock::time_point deadline) {
    std::string path;
    if (const int opened = OpenDirect(address, path, deadline); opened != 0) {
        return opened;
    }
    std::string request = DirectRequestLine("HEAD", path);
    PutHostLine(serverName_);
    return FinishHeadRequest(request, deadline);
}

int CWebClient::FetchHeadThroughProxy(char* address, Clock::time_point deadline) {
    result_.ClearResponse();
    if (address == nullptr) {
        return kFetchBadAddress;
    }
    if (StartsWithNoCase(address, "https://")) {
        std::string path;
        if (const int opened = OpenTunnel(address, path, deadline); opened != kFetchOk) {
            return opened;
        }
        std::string request = DirectRequestLine("HEAD", path);
        return FinishHeadRequest(request, deadline);
    }
    if (Connect(port_, proxyAddress_, deadline) != 0) {
        proxyUnreachable_ = true;
        return kFetchConnectFailed;
    }
    const std::string_view text(address);
    std::string request = "HEAD ";
    if (!StartsWithNoCase(text, "http://")) {
        request += "http://";
    }
    request += text;
    request += " HTTP/1.0\r\n";
    PutHostLine(HostNameOf(text));
    return FinishHeadRequest(request, deadline);
}

// --- Pieces of a fetch ----------------------------------------------------------------------

// Both head fetches end alike: the request, then the head and no body.
int CWebClient::FinishHeadRequest(std::string& request, Clock::time_point deadline) {
    if (const int sent = SendRequest(request); sent != 0) {
        return sent;
    }
    ReadHead(deadline);
    DrainInput();
    Disconnect();
    return IsRedirect() ? kRedirected : kFetchOk;
}

// An https address through the proxy: CONNECT to the site's host and port (with the
// Proxy-Authorization line when there is one), the proxy's "200", then TLS to the site inside the
// tunnel and the Host line for it: 0, 3 or 1. The site itself never sees the proxy's lines.
int CWebClient::OpenTunnel(const char* address, std::string& path, Clock::time_point deadline) {
    const std::string_view text(address);
    const std::string host = HostNameOf(text);
    if (host.empty()) {
        return kFetchBadAddress;
    }
    const std::size_t hostAt = text.find(host);
    path.assign(text.substr(hostAt + host.size()));
    std::size_t colon = 0;
    const int port = PortInHost(host, colon);
    const std::string name = port > 0 ? host.substr(0, colon) : host;
    const std::string target = name + ":" + std::to_string(port > 0 ? port : kDefaultTlsPort);
    if (Connect(port_, proxyAddress_, deadline) != 0) {
        proxyUnreachable_ = true;
        return kFetchConnectFailed;
    }
    std::string connect = "CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n";
    for (const std::string& line : requestHeaders_) {
        if (StartsWithNoCase(line, "Proxy-Authorization:")) {
            connect += line;
        }
    }
    connect += "\r\n";
    if (!IsOneLine(host) || !Send(connect)) {
        Disconnect();
        return kFetchConnectFailed;
    }
    ReadHead(deadline);
    const bool accepted = !result_.headerLines.empty() &&
                          StartsWithNoCase(result_.headerLines.front(), "HTTP/") &&
                          result_.headerLines.front().find(" 200") != std::string::npos;
    result_.ClearResponse();
    // The proxy's answer is not the site's: the first byte is timed from the site's.
    firstByte_ = Milliseconds(0);
    if (!accepted || Handshake(name, deadline) != 0) {
        Disconnect();
        return kFetchConnectFailed;
    }
    tunnelled_ = true;
    PutHostLine(host);
    return kFetchOk;
}

// TLS to `host` over the open connection, within the connect time-out and the attempt: 0 or 1.
int CWebClient::Handshake(const std::string& host, Clock::time_point deadline) {
    Milliseconds wait = connectTimeout_.count() > 0 ? connectTimeout_ : Milliseconds::max();
    wait = std::min(wait, NextWaitUntil(deadline));
    return wait.count() > 0 && StartTls(host, wait) == 0 ? 0 : 1;
}

// Clears the response, splits the address and connects to its server: 0, 3 or 1.
int CWebClient::OpenDirect(char* address, std::string& path, Clock::time_point deadline) {
    result_.ClearResponse();
    if (address == nullptr || SplitUrl(address, path) != 0) {
        return kFetchBadAddress;
    }
    const bool secure = StartsWithNoCase(address, "https://");
    const int port = secure && sitePort_ == 0 ? kDefaultTlsPort : SitePort();
    if (Connect(port, serverAddress_, deadline) != 0) {
        return kFetchConnectFailed;
    }
    if (secure) {
        // The certificate names the host without its port.
        std::size_t colon = 0;
        const std::string host =
            PortInHost(serverName_, colon) > 0 ? serverName_.substr(0, colon) : serverName_;
        if (Handshake(host, deadline) != 0) {
            Disconnect();
            return kFetchConnectFailed;
        }
    }
    return kFetchOk;
}

std::string CWebClient::DirectRequestLine(std::string_view method, const std::string& path) {
    std::string line(method);
    line += path.empty() || path[0] != '/' ? " /" : " ";
    line += path;
    line += " HTTP/1.0\r\n";
    return line;
}

// True when the text is one line: no CR or LF but its own line end (CR LF, or LF alone).
bool CWebClient::IsOneLine(std::string_view line) {
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    return line.find_first_of("\r\n") == std::string_view::npos;
}

// Appends the kept header lines and the blank line and sends the request in one piece, so no
// delayed acknowledgement falls between its lines: 0, or 4 (disconnected) when it fails.
int CWebClient::SendRequest(std::string& request) {
    // A CR or LF inside a line (from a page, a profile or the user) would end it early and
    // smuggle in lines of its own: such a request is not sent.
    if (!IsOneLine(request)) {
        Disconnect();
        return kFetchBadAddress;
    }
    for (const std::string& line : requestHeaders_) {
        if (!IsOneLine(line)) {
            Disconnect();
            return kFetchBadAddress;
        }
        // Inside a tunnel the request goes to the site: the proxy's own line stays out.
        if (tunnelled_ && StartsWithNoCase(line, "Proxy-Authorization:")) {
            continue;
        }
        request += line;
    }
    if (namesProgram_ && !HasHeader("User-Agent:")) {
        request += kUserAgentLine;
        request += "\r\n";
    }
    if (offersCompression_ && !HasHeader("Accept-Encoding:")) {
        request += "Accept-Encoding: ";
        request += kOfferedEncodings;
        request += "\r\n";
    }
    request += "\r\n";
    if (!Send(request)) {
        Disconnect();
        return kFetchSendFailed;
    }
    return kFetchOk;
}

int CWebClient::Connect(int port, const std::string& address, Clock::time_point deadline) {
    Milliseconds wait = connectTimeout_.count() > 0 ? connectTimeout_ : Milliseconds::max();
    wait = std::min(wait, NextWaitUntil(deadline));
    if (wait.count() <= 0) {
        return 1;
    }
    // The send time-out bounds the connect and every send of the request.
    SetSendTimeout(static_cast<int>(std::min<long long>(wait.count(), 0x7fffffff)));
    return OpenConnection(port, address.c_str()) == 0 ? 0 : 1;
}

bool CWebClient::Send(const std::string& text) {
    return SendText(text.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
}

bool CWebClient::HasHostHeader() const {
    return std::any_of(requestHeaders_.begin(), requestHeaders_.end(), [](const std::string& line) {
        return line.find("Host: ") != std::string::npos;
    });
}

bool CWebClient::HasHeader(std::string_view name) const {
    return std::any_of(requestHeaders_.begin(), requestHeaders_.end(),
                       [name](const std::string& line) { return StartsWithNoCase(line, name); });
}

// The Host line this client adds joins the kept lines, so the later attempts send it too; after
// a redirect to another server it names that server.
void CWebClient::PutHostLine(std::string_view host) {
    const std::string line = "Host: " + std::string(host) + "\r\n";
    if (hostLine_ >= 0) {
        requestHeaders_[static_cast<std::size_t>(hostLine_)] = line;
    } else if (!HasHostHeader()) {
        requestHeaders_.push_back(line);
        hostLine_ = static_cast<int>(requestHeaders_.size()) - 1;
    }
}

std::string CWebClient::HostNameOf(std::string_view address) {
    const int hostIndex = address.find("://") != std::string_view::npos ? 1 : 0;
    const Span host = TokenSpan(address, "/?", hostIndex);
    return host.Found() ? std::string(address.substr(host.begin, host.end - host.begin))
                        : std::string();
}

int CWebClient::StatusCode() const {
    if (result_.headerLines.empty()) {
        return 0;
    }
    const std::string_view status = result_.headerLines.front();
    const std::size_t blank = status.find(' ');
    if (!StartsWithNoCase(status, "HTTP/") || blank == std::string_view::npos ||
        status.size() < blank + 4 || (status.size() > blank + 4 && status[blank + 4] != ' ')) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = blank + 1; i < blank + 4; ++i) {
        if (status[i] < '0' || status[i] > '9') {
            return 0;
        }
        code = code * 10 + (status[i] - '0');
    }
    return code;
}

bool CWebClient::IsRedirect() const {
    const int code = StatusCode();
    const bool redirectCode =
        code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    return redirectCode && !RedirectLocation().empty();
}

std::string CWebClient::RedirectLocation() const {
    for (const std::string& line : result_.headerLines) {
        if (StartsWithNoCase(line, "Location:")) {
            return std::string(TrimBlanksView(std::string_view(line).substr(9)));
        }
    }
    return {};
}

std::string CWebClient::RedirectTarget(std::string_view asked, std::string_view location) {
    std::string target = RedirectTargetAsWritten(asked, location);
    // What would end a word of the request line is encoded, as a link's path is; CR and LF are
    // left for the one-line check, which refuses such a request whole.
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(target.size());
    for (char c : target) {
        const auto b = static_cast<unsigned char>(c);
        if ((b <= 0x20 && c != '\r' && c != '\n') || b >= 0x7F) {
            encoded += '%';
            encoded += kHex[b >> 4];
            encoded += kHex[b & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

std::string CWebClient::RedirectTargetAsWritten(std::string_view asked, std::string_view location) {
    const bool secure = StartsWithNoCase(asked, "https://");
    std::string_view base = asked;
    if (StartsWithNoCase(base, "http://")) {
        base.remove_prefix(7);
    } else if (secure) {
        base.remove_prefix(8);
    }
    if (location.starts_with("//")) {
        return (secure ? "https:" : "") + std::string(secure ? location : location.substr(2));
    }
    if (StartsWithNoCase(location, "http://")) {
        return std::string(location.substr(7));
    }
    if (StartsWithNoCase(location, "https://")) {
        return std::string(location);
    }
    // Another scheme (https among them) is no place this client can fetch.
    const std::size_t colon = location.find(':');
    const std::size_t slash = location.find('/');
    if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
        return {};
    }
    const std::string resolved = ResolveLink(location, base);
    return secure && !resolved.empty() ? "https://" + resolved : resolved;
}

std::string CWebClient::SameAddressKey(std::string_view address) {
    if (StartsWithNoCase(address, "http://")) {
        address.remove_prefix(7);
    }
    std::string key(address.substr(0, address.find('#')));
    const std::size_t hostEnd = std::min(key.find('/'), key.size());
    std::transform(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(hostEnd), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (hostEnd == key.size()) {
        key += '/';
    }
    return key;
}

CWebClient::Milliseconds CWebClient::NextWaitUntil(Clock::time_point deadline) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
        return Milliseconds(0);
    }
    return std::chrono::ceil<Milliseconds>(deadline - now);
}

CWebClient::Milliseconds CWebClient::NextWait(Clock::time_point deadline) const {
    const Milliseconds left = NextWaitUntil(deadline);
    return pieceTimeout_.count() > 0 ? std::min(pieceTimeout_, left) : left;
}

int CWebClient::ReadHead(Clock::time_point deadline) {
    char buffer[kLineBuffer];
    std::size_t kept = 0;
    for (;;) {
        const Milliseconds wait = NextWait(deadline);
        if (wait.count() <= 0) {
            return 0;
        }
        const int got = ReadLine(buffer, kLineBuffer, wait, deadline);
        if (got > 0 && result_.headerLines.empty() && firstByte_.count() == 0) {
            firstByte_ =
                std::max(Milliseconds(1),
                         std::chrono::duration_cast<Milliseconds>(Clock::now() - requestStart_));
        }
        // The empty line ends the head; so do a time-out and a closed connection (0).
        if (got <= 2) {
            return got;
        }
        StripLineEnd(buffer);
        const std::size_t length = std::strlen(buffer);
        if (kept + length > bodyCap_) {
            // A head without end: keep what fits and read no body.
            result_.headerLines.emplace_back(buffer, bodyCap_ - kept);
            return 0;
        }
        result_.headerLines.emplace_back(buffer, length);
        kept += length;
    }
}

std::size_t CWebClient::AnnouncedBodySize() const {
    for (const std::string& line : result_.headerLines) {
        if (StartsWithNoCase(line, "Content-Length:")) {
            const std::string_view value = TrimBlanksView(std::string_view(line).substr(15));
            std::size_t size = 0;
            const auto parsed = std::from_chars(value.data(), value.data() + value.size(), size);
            return parsed.ec == std::errc() ? std::min(size, bodyCap_) : 0;
        }
    }
    return 0;
}

void CWebClient::ReadBody(Clock::time_point deadline) {
    char buffer[kLineBuffer];
    std::size_t kept = 0;
    result_.ReserveBody(AnnouncedBodySize());
    while (kept < bodyCap_) {
        const Milliseconds wait = NextWait(deadline);
        if (wait.count() <= 0) {
            return;
        }
        const int got = ReadLine(buffer, kLineBuffer, wait, deadline);
        if (got <= 0) {
            return;
        }
        const std::size_t take = std::min(static_cast<std::size_t>(got), bodyCap_ - kept);
        result_.AppendBodyPiece(buffer, take);
        kept += take;
    }
}

std::string_view CWebClient::OfferedEncodings() const {
    if (!offersCompression_) {
        return {};
    }
    for (const std::string& line : requestHeaders_) {
        if (StartsWithNoCase(line, "Accept-Encoding:")) {
            return TrimBlanksView(std::string_view(line).substr(16));
        }
    }
    return kOfferedEncodings;
}

void CWebClient::DecodeBody() {
    if (!offersCompression_ || HasHeader("Accept-Encoding:")) {
        // Nothing offered by this client; a caller's own line reads what comes as it comes.
        return;
    }
    std::string_view coding;
    for (const std::string& line : result_.headerLines) {
        if (StartsWithNoCase(line, "Content-Encoding:")) {
            coding = TrimBlanksView(std::string_view(line).substr(17));
        }
    }
    if (!EqualsNoCase(coding, "gzip") && !EqualsNoCase(coding, "x-gzip")) {
        return;
    }
    std::string out;
    if (!Gunzip(result_.BodyText(), bodyCap_, out)) {
        out.clear();
    } else if (out.size() > bodyCap_) {
        out.resize(bodyCap_);
    }
    result_.ReplaceBody(out, kLineBuffer - 1);
}

int CWebClient::ReadPage(const char* address, Clock::time_point deadline) {
    const int headEnd = ReadHead(deadline);
    if (IsRedirect()) {
        Disconnect();
        return kRedirected;
    }
    if (!keepsAnyBody_ && !IsTextPage(ContentTypeLine()) &&
        !(acceptsJson_ && StartsWithNoCase(ContentTypeLine(), "Content-Type: application/json"))) {
        Disconnect();
        return kFetchNotText;
    }
    if (headEnd > 0) {
        ReadBody(deadline);
    }
    // Whatever of the body was not read (beyond the cap) is discarded with the connection.
    Disconnect();
    bodyReceived_ = result_.BodyBytes();
    DecodeBody();
    ExtractPageLinks(result_.BodyText(), address, result_.frames, result_.links, result_.resources);
    return kFetchOk;
}

}  // namespace sg
