#include "net/CWebClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string_view>

#include "html/LinkExtractor.h"
#include "html/PageLinks.h"
#include "html/TextUtil.h"
#include "model/ProgressSink.h"
#include "net/CUT_WSClient.h"
#include "net/HttpTransfer.h"
#include "net/WebSession.h"
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

// The host part of an address and the path after it (up to a "*"): false when there is no
// host, or one of kServerNameChars or more.
bool SplitAddress(std::string_view text, std::string& host, std::string& path) {
    host.clear();
    path.clear();
    const int hostIndex = text.find("://") != std::string_view::npos ? 1 : 0;
    const Span found = TokenSpan(text, "/?", hostIndex);
    if (!found.Found() || found.end - found.begin >= kServerNameChars) {
        return false;
    }
    host.assign(text.substr(found.begin, found.end - found.begin));
    const std::string_view rest = text.substr(found.end);
    const Span beforeStar = TokenSpan(rest, "*", 0);
    if (beforeStar.Found()) {
        path.assign(rest.substr(beforeStar.begin, beforeStar.end - beforeStar.begin));
    }
    return true;
}

// A name the transport may connect to: letters, digits, "-", "_" and "." (a dotted address
// among them). Anything else is no host of the web (and would mean something else in an URL).
bool IsHostName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    });
}

bool IsDottedAddress(const char* text) {
    return CUT_WSClient::IsDottedAddress(text) != 0;
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
    std::string host;
    const int result = SplitAddress(address, host, path) ? 0 : 1;
    return SelectServer(host.c_str()) != 0 ? (result | 2) : result;
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
    NameServer(name);
    const std::string lookup(sitePort_ > 0 ? name.substr(0, name.rfind(':')) : name);
    if (IsDottedAddress(lookup.c_str()) && lookup.size() < kServerAddressChars) {
        serverAddress_ = lookup;
    }
    char resolved[kServerAddressChars] = {};
    const int found = CUT_WSClient::ResolveHost(lookup.c_str(), resolved, sizeof(resolved));
    if (found == 0) {
        serverAddress_ = resolved;
    }
    return found;
}

// A port written in the address is used for the connection; the name keeps it, so the Host
// line names it too.
void CWebClient::NameServer(std::string_view host) {
    if (serverName_ == host) {
        return;
    }
    serverName_.assign(host);
    serverAddress_.clear();
    std::size_t colon = 0;
    sitePort_ = PortInHost(host, colon);
}

// --- Fetching -------------------------------------------------------------------------------

// A fetch in progress: its attempts, the hop of the attempt on the way and its transfer. It
// lives on the session's thread from StartFetch until its result is handed over.
struct CWebClient::Flight : WebSession::Task {
    Flight(CWebClient& owner, WebSession& on, RunControl& runControl)
        : client(owner), session(on), control(runControl) {}

    void OnTransferDone(void*, int code) override { client.EndHop(code, false); }
    Clock::time_point OnTick(Clock::time_point now) override { return client.Tick(now); }

    CWebClient& client;
    WebSession& session;
    RunControl& control;
    std::function<void(int)> done;
    std::string address;
    bool head = false;
    // Whether a paused run holds the next attempt back until it goes on.
    bool gated = true;
    bool waitingForResume = false;
    int attemptsLeft = 0;
    int lastResult = kFetchConnectFailed;
    // The hop was stopped by its waits while its TLS handshake was on the way.
    bool stoppedInHandshake = false;
    Clock::time_point attemptEnd = Clock::time_point::max();
    // The address of the hop on the way, and those the attempt asked before it.
    std::string current;
    std::vector<std::string> asked;
    HttpHop hop;
    // The caller's lines with the Host line of this hop; kept by the client once sent.
    std::vector<std::string> lines;
    int hostLine = -1;
    std::unique_ptr<HttpTransfer> transfer;
};

CWebClient::~CWebClient() = default;

int CWebClient::FetchPage(char* address) {
    return FetchWaiting(address, false, 1, false);
}

int CWebClient::FetchHead(char* address) {
    return FetchWaiting(address, true, 1, false);
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
    return FetchWaiting(address, false, attempts, true);
}

int CWebClient::FetchHeadRetrying(char* address, int attempts) {
    return FetchWaiting(address, true, attempts, true);
}

void CWebClient::StartFetch(WebSession& session, bool head, std::string address, int attempts,
                            RunControl& control, std::function<void(int)> done) {
    StartFlight(session, head, std::move(address), attempts, true, control, std::move(done));
}

void CWebClient::StartFlight(WebSession& session, bool head, std::string address, int attempts,
                             bool gated, RunControl& control, std::function<void(int)> done) {
    std::replace(address.begin(), address.end(), '\\', '/');
    flight_ = std::make_unique<Flight>(*this, session, control);
    flight_->head = head;
    flight_->gated = gated;
    flight_->address = std::move(address);
    flight_->attemptsLeft = attempts;
    flight_->done = std::move(done);
    session.Post([this] {
        flight_->session.AddTask(flight_.get());
        BeginAttempt();
    });
}

int CWebClient::FetchWaiting(char* address, bool head, int attempts, bool gated) {
    if (address == nullptr) {
        result_.ClearResponse();
        redirects_.clear();
        leavesHttps_.clear();
        finalAddress_.clear();
        return kFetchBadAddress;
    }
    ReplaceBackslashes(address);
    std::shared_ptr<WebSession> session = WebSession::Current();
    if (session == nullptr) {
        // Outside a run: a session of this client's own, kept for its later fetches.
        if (ownSession_ == nullptr) {
            ownSession_ = std::make_shared<WebSession>(1);
        }
        session = ownSession_;
    }
    RunControl& control = RunControl::Current();
    std::promise<int> answer;
    std::future<int> result = answer.get_future();
    StartFlight(*session, head, address, std::max(attempts, 0), gated, control,
                [&answer](int value) { answer.set_value(value); });
    // The session ends the fetch within a slice of a cancel; the wake makes it at once.
    while (result.wait_for(std::chrono::milliseconds(RunControl::kWaitSliceMs)) !=
           std::future_status::ready) {
        if (control.CancelRequested()) {
            session->Wake();
        }
    }
    return result.get();
}

void CWebClient::BeginAttempt() {
    Flight& flight = *flight_;
    if (flight.attemptsLeft <= 0 || flight.control.CancelRequested()) {
        Finish(flight.lastResult);
        return;
    }
    // A run held at its Cancel question starts no new attempt until it is answered.
    flight.waitingForResume = flight.gated && flight.control.Paused();
    if (flight.waitingForResume) {
        return;
    }
    --flight.attemptsLeft;
    redirects_.clear();
    leavesHttps_.clear();
    proxyUnreachable_ = false;
    tlsError_.clear();
    firstByte_ = Milliseconds(0);
    bodyReceived_ = 0;
    flight.attemptEnd =
        attemptDeadline_.count() > 0 ? Clock::now() + attemptDeadline_ : Clock::time_point::max();
    flight.asked.clear();
    flight.current = flight.address;
    finalAddress_ = flight.address;
    BeginHop();
}

void CWebClient::BeginHop() {
    Flight& flight = *flight_;
    result_.ClearResponse();
    if (const int prepared = PrepareHop(flight.current); prepared != kFetchOk) {
        EndAttempt(prepared);
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now >= flight.attemptEnd) {
        EndAttempt(kFetchConnectFailed);
        return;
    }
    Milliseconds connect = connectTimeout_;
    if (flight.attemptEnd != Clock::time_point::max()) {
        const auto left = std::chrono::ceil<Milliseconds>(flight.attemptEnd - now);
        connect = connect.count() > 0 ? std::min(connect, left) : left;
    }
    flight.hop.head = flight.head;
    flight.hop.connectTimeout = connect;
    flight.hop.cap = bodyCap_;
    flight.hop.acceptsJson = acceptsJson_;
    flight.hop.keepsAnyBody = keepsAnyBody_;
    // A caller's own Accept-Encoding line is sent as it stands and its answer read as it comes.
    flight.hop.acceptEncoding =
        offersCompression_ && !HasHeader("Accept-Encoding:") ? DecodableEncodings() : std::string();
    flight.transfer = std::make_unique<HttpTransfer>(result_);
    if (!flight.transfer->Configure(flight.hop, flight.session) ||
        !flight.session.AddTransfer(flight.transfer->Easy(), &flight)) {
        flight.transfer.reset();
        EndAttempt(kFetchConnectFailed);
    }
}

CWebClient::Clock::time_point CWebClient::Tick(Clock::time_point now) {
    Flight& flight = *flight_;
    if (flight.waitingForResume) {
        if (flight.control.CancelRequested() || !flight.control.Paused()) {
            BeginAttempt();
        }
        return Clock::time_point::max();
    }
    if (flight.transfer == nullptr) {
        return Clock::time_point::max();
    }
    Clock::time_point next = flight.attemptEnd;
    bool stop = flight.control.CancelRequested() || now >= flight.attemptEnd;
    // Once asked, the answer must keep coming: each piece within the piece wait.
    if (flight.transfer->RequestSent() && pieceTimeout_.count() > 0) {
        const Clock::time_point pieceEnd = flight.transfer->LastActivity() + pieceTimeout_;
        stop = stop || now >= pieceEnd;
        next = std::min(next, pieceEnd);
    }
    if (stop) {
        flight.stoppedInHandshake = flight.transfer->Handshaking();
        flight.session.RemoveTransfer(flight.transfer->Easy());
        EndHop(CURLE_OPERATION_TIMEDOUT, true);
        return Clock::time_point::max();
    }
    return next;
}

void CWebClient::EndHop(int code, bool stopped) {
    Flight& flight = *flight_;
    const int result = HopResult(code);
    // Connected, and then no TLS session in time.
    if (tlsError_.empty() &&
        (stopped ? flight.stoppedInHandshake
                 : flight.transfer->HandshakeTimedOut(static_cast<CURLcode>(code)))) {
        tlsError_ = "the handshake timed out";
    }
    if (flight.transfer->RequestSent()) {
        requestHeaders_ = flight.lines;
        hostLine_ = flight.hostLine;
    }
    flight.transfer.reset();
    finalAddress_ = flight.current;
    if (result != kRedirected) {
        EndAttempt(result);
        return;
    }
    flight.asked.push_back(SameAddressKey(finalAddress_));
    const std::string next = RedirectTarget(finalAddress_, result_.Location());
    // Too long a chain, a loop, or a place this client cannot go: no answer at all.
    if (next.empty() || redirects_.size() >= kMaxRedirects ||
        std::find(flight.asked.begin(), flight.asked.end(), SameAddressKey(next)) !=
            flight.asked.end()) {
        result_.ClearResponse();
        EndAttempt(kFetchConnectFailed);
        return;
    }
    RecordHop(finalAddress_, next);
    flight.current = next;
    BeginHop();
}

void CWebClient::EndAttempt(int result) {
    Flight& flight = *flight_;
    flight.lastResult = result;
    if (result == kFetchOk || flight.attemptsLeft <= 0 || flight.control.CancelRequested()) {
        Finish(result);
        return;
    }
    BeginAttempt();
}

// The last thing a fetch does on the session's thread: whoever waits may go on at once.
void CWebClient::Finish(int result) {
    Flight& flight = *flight_;
    flight.waitingForResume = false;
    // The run learns whether its requests reach the proxy, to tell a dead proxy from dead sites.
    if (flight.gated) {
        ReportRequestEnded(result != kFetchOk && proxyUnreachable_);
    }
    flight.session.RemoveTask(&flight);
    std::function<void(int)> done = std::move(flight.done);
    done(result);
}

int CWebClient::HopResult(int code) {
    const Flight& flight = *flight_;
    const HttpTransfer& transfer = *flight.transfer;
    CURL* easy = transfer.Easy();
    long version = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_VERSION, &version);
    multiplexed_ = version == CURL_HTTP_VERSION_2_0;
    const char* address = nullptr;
    if (useProxy_ == 0 && curl_easy_getinfo(easy, CURLINFO_PRIMARY_IP, &address) == CURLE_OK &&
        address != nullptr && *address != '\0') {
        serverAddress_ = address;
    }
    // Timed from the start of this hop's request, its connection included; the answer of the
    // last hop is the one Result() keeps.
    curl_off_t firstByte = 0;
    curl_easy_getinfo(easy, CURLINFO_STARTTRANSFER_TIME_T, &firstByte);
    firstByte_ =
        firstByte > 0 ? std::max(Milliseconds(1), Milliseconds(firstByte / 1000)) : Milliseconds(0);
    curl_off_t received = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    bodyReceived_ = received > 0 ? static_cast<std::size_t>(received) : 0;
    const auto curlCode = static_cast<CURLcode>(code);
    if (!transfer.RequestSent()) {
        if (curlCode == CURLE_COULDNT_RESOLVE_HOST || curlCode == CURLE_URL_MALFORMAT) {
            return kFetchBadAddress;
        }
        // The proxy itself never answered: the site was never asked.
        curl_off_t connected = 0;
        curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected);
        proxyUnreachable_ =
            useProxy_ != 0 && connected == 0 &&
            (curlCode == CURLE_COULDNT_CONNECT || curlCode == CURLE_COULDNT_RESOLVE_PROXY ||
             (curlCode == CURLE_OPERATION_TIMEDOUT && !flight.control.CancelRequested()));
        tlsError_ = transfer.TlsFailure(curlCode);
        return kFetchConnectFailed;
    }
    if (curlCode == CURLE_SEND_ERROR && result_.headerLines.empty()) {
        return kFetchSendFailed;
    }
    if (result_.IsRedirect()) {
        return kRedirected;
    }
    if (flight.head) {
        return kFetchOk;
    }
    if (!keepsAnyBody_ && !KeepsBody(result_.ContentTypeLine(), acceptsJson_)) {
        return kFetchNotText;
    }
    result_.CutBodyIntoPieces(kLineBuffer - 1);
    if (HoldsLinks(result_.ContentTypeLine())) {
        ExtractPageLinks(result_.BodyText(), flight.current, result_.frames, result_.links,
                         result_.resources);
    } else {
        // Plain text, JSON or a sitemap: a browser shows its tags as text, not as links.
        result_.links.clear();
        result_.frames.clear();
        result_.resources.clear();
    }
    return kFetchOk;
}

// --- Requests -------------------------------------------------------------------------------

int CWebClient::PrepareHop(const std::string& address) {
    HttpHop& hop = flight_->hop;
    hop = HttpHop{};
    flight_->lines = requestHeaders_;
    flight_->hostLine = hostLine_;
    const int prepared = useProxy_ != 0 ? PrepareThroughProxy(address) : PrepareDirect(address);
    if (prepared != kFetchOk) {
        return prepared;
    }
    // Nothing from an address or a caller's line may end a line early.
    if (hop.target.find_first_of("\r\n") != std::string::npos) {
        return kFetchBadAddress;
    }
    const bool throughProxy = useProxy_ != 0;
    const bool tunnelled = !hop.tunnelProxy.empty();
    for (const std::string& line : flight_->lines) {
        if (!IsOneLine(line)) {
            return kFetchBadAddress;
        }
        std::string_view text(line);
        text = text.substr(0, text.find_first_of("\r\n"));
        // libcurl reads "Name:" with no value as "leave out your own Name line"; "Name;" is
        // its way of sending one empty.
        std::string sent(TrimBlanksView(text).ends_with(':') ? TrimBlanksView(text) : text);
        if (sent.ends_with(':')) {
            sent.back() = ';';
        }
        // The proxy's credentials go to the proxy only: in the CONNECT of a tunnel, in the
        // request of a plain one (the proxy is the peer), never to a site asked directly.
        if (StartsWithNoCase(text, "Proxy-Authorization:")) {
            if (tunnelled) {
                hop.proxyLines.push_back(std::move(sent));
            } else if (throughProxy) {
                hop.siteLines.push_back(std::move(sent));
            }
            continue;
        }
        hop.siteLines.push_back(std::move(sent));
    }
    if (namesProgram_ && !HasHeader("User-Agent:")) {
        hop.siteLines.emplace_back(kUserAgentLine);
    }
    // The lines sent are the ones above: libcurl's own Accept (and a proxy's Proxy-Connection)
    // stay out.
    hop.siteLines.emplace_back("Accept:");
    if (tunnelled) {
        hop.proxyLines.emplace_back("Proxy-Connection:");
    }
    return kFetchOk;
}

int CWebClient::PrepareDirect(const std::string& address) {
    HttpHop& hop = flight_->hop;
    std::string host;
    std::string path;
    if (!SplitAddress(address, host, path)) {
        return kFetchBadAddress;
    }
    NameServer(host);
    const bool secure = StartsWithNoCase(address, "https://");
    const int port = secure && sitePort_ == 0 ? kDefaultTlsPort : SitePort();
    std::size_t colon = 0;
    std::string name =
        PortInHost(serverName_, colon) > 0 ? serverName_.substr(0, colon) : serverName_;
    // Only what follows the last "@" is the host (never credentials for libcurl to send).
    if (const std::size_t at = name.rfind('@'); at != std::string::npos && at > 0) {
        name.erase(0, at + 1);
    }
    if (!IsHostName(name)) {
        return kFetchBadAddress;
    }
    if (port < 1 || port > 65535) {
        return kFetchConnectFailed;
    }
    hop.url =
        std::string(secure ? "https://" : "http://") + name + ":" + std::to_string(port) + "/";
    hop.target = path.empty() || path[0] != '/' ? "/" + path : path;
    hop.tlsHost = secure ? name : "";
    PutHostLine(serverName_);
    return kFetchOk;
}

int CWebClient::PrepareThroughProxy(const std::string& address) {
    HttpHop& hop = flight_->hop;
    // No name lookup is made for the proxy.
    if (IsDottedAddress(proxyAddress_.c_str()) == 0 || port_ < 1 || port_ > 65535) {
        proxyUnreachable_ = true;
        return kFetchConnectFailed;
    }
    const std::string proxy = "http://" + proxyAddress_ + ":" + std::to_string(port_);
    const std::string_view text(address);
    if (StartsWithNoCase(text, "https://")) {
        const std::string host = HostNameOf(text);
        std::size_t colon = 0;
        const int port = PortInHost(host, colon);
        const std::string name = port > 0 ? host.substr(0, colon) : host;
        if (!IsHostName(name)) {
            return kFetchBadAddress;
        }
        const std::string path(text.substr(text.find(host) + host.size()));
        hop.url = "https://" + name + ":" + std::to_string(port > 0 ? port : kDefaultTlsPort) + "/";
        hop.tunnelProxy = proxy;
        hop.target = path.empty() || path[0] != '/' ? "/" + path : path;
        hop.tlsHost = name;
        PutHostLine(host);
        return kFetchOk;
    }
    // A plain request goes to the proxy as its peer, naming the whole address.
    std::string target;
    if (flight_->head) {
        target = StartsWithNoCase(text, "http://") ? std::string(text) : "http://" + address;
    } else if (StartsWithNoCase(text, "ftp://")) {
        target = address;
    } else if (StartsWithNoCase(text, "ftp.")) {
        target = "ftp://" + address;
    } else if (StartsWithNoCase(text, "http://") || text.starts_with("//")) {
        target = address;
    } else if (text.starts_with("/")) {
        target = "http://" + proxyAddress_ + ":" + std::to_string(port_) + address;
    } else {
        target = "http://" + address;
    }
    hop.url = proxy + "/";
    hop.target = std::move(target);
    // The proxy looks the site up; the Host line only needs its name.
    PutHostLine(HostNameOf(text));
    return kFetchOk;
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

bool CWebClient::HasHostHeader() const {
    return std::any_of(requestHeaders_.begin(), requestHeaders_.end(), [](const std::string& line) {
        return line.find("Host: ") != std::string::npos;
    });
}

bool CWebClient::HasHeader(std::string_view name) const {
    return std::any_of(requestHeaders_.begin(), requestHeaders_.end(),
                       [name](const std::string& line) { return StartsWithNoCase(line, name); });
}

// The Host line this client adds joins the kept lines once a request carried it, so the later
// attempts send it too; after a redirect to another server it names that server.
void CWebClient::PutHostLine(std::string_view host) {
    Flight& flight = *flight_;
    const std::string line = "Host: " + std::string(host) + "\r\n";
    if (flight.hostLine >= 0) {
        flight.lines[static_cast<std::size_t>(flight.hostLine)] = line;
    } else if (!HasHostHeader()) {
        flight.lines.push_back(line);
        flight.hostLine = static_cast<int>(flight.lines.size()) - 1;
    }
}

std::string CWebClient::HostNameOf(std::string_view address) {
    const int hostIndex = address.find("://") != std::string_view::npos ? 1 : 0;
    const Span host = TokenSpan(address, "/?", hostIndex);
    return host.Found() ? std::string(address.substr(host.begin, host.end - host.begin))
                        : std::string();
}

int CWebClient::StatusCode() const {
    return result_.StatusCode();
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

std::string_view CWebClient::OfferedEncodings() const {
    if (!offersCompression_) {
        return {};
    }
    // A caller's own Accept-Encoding line wins; its answer is then read as it comes.
    for (const std::string& line : requestHeaders_) {
        if (StartsWithNoCase(line, "Accept-Encoding:")) {
            return TrimBlanksView(std::string_view(line).substr(16));
        }
    }
    return DecodableEncodings();
}

}  // namespace sg
