#include "net/CWebClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string_view>

#include "html/TextUtil.h"
#include "model/ProgressSink.h"
#include "net/FtpSocket.h"
#include "net/HttpTransfer.h"
#include "net/WebSession.h"
#include "platform/Ansi.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

constexpr std::size_t kProxyAddressChars = 256;

// A name the transport may connect to: letters, digits, "-", "_" and "." (a dotted address
// among them). Anything else (an IPv6 literal among them: requests go over IPv4) is no host.
bool IsHostName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    });
}

bool IsDottedAddress(const char* text) {
    return FtpSocket::IsDottedAddress(text) != 0;
}

// Where a redirect leads, in the form the crawl writes addresses: a plain http address without
// "http://", an https one with its scheme; nullopt for no address this client can fetch.
std::optional<Url> RedirectUrl(const Url& asked, std::string_view location) {
    std::optional<Url> target = asked.Resolve(location);
    if (!target || !target->IsFollowed()) {
        return std::nullopt;
    }
    if (StartsWithNoCase(target->Text(), "http://")) {
        return Url::Parse(std::string_view(target->Text()).substr(7));
    }
    return target;
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

// --- Fetching -------------------------------------------------------------------------------

// A fetch in progress: its attempts, the hop of the attempt on the way and its transfer. It
// lives on the session's thread from StartFetch until its result is handed over.
struct CWebClient::Flight : WebSession::Task {
    Flight(CWebClient& owner, WebSession& on, RunControl& runControl, const Url& asked)
        : client(owner), session(on), control(runControl), url(asked), current(asked) {}

    void OnTransferDone(void*, int code) override { client.EndHop(code, false); }
    Clock::time_point OnTick(Clock::time_point now) override { return client.Tick(now); }

    CWebClient& client;
    WebSession& session;
    RunControl& control;
    std::function<void(int)> done;
    const Url url;
    bool head = false;
    // Whether a paused run holds the next attempt back until it goes on.
    bool gated = true;
    bool waitingForResume = false;
    int attemptsLeft = 0;
    int lastResult = kFetchConnectFailed;
    // The hop was stopped by its waits while its TLS handshake was on the way.
    bool stoppedInHandshake = false;
    // The last hop's head came whole (its blank line ended it).
    bool headEnded = false;
    Clock::time_point attemptEnd = Clock::time_point::max();
    // The address of the hop on the way, and those the attempt asked before it.
    Url current;
    std::vector<std::string> asked;
    HttpHop hop;
    // The caller's lines with the Host line of this hop; kept by the client once sent.
    std::vector<std::string> lines;
    int hostLine = -1;
    std::unique_ptr<HttpTransfer> transfer;
};

CWebClient::~CWebClient() = default;

int CWebClient::FetchPage(std::string_view address) {
    return FetchWaiting(address, false, 1, false);
}

int CWebClient::FetchHead(std::string_view address) {
    return FetchWaiting(address, true, 1, false);
}

int CWebClient::FetchPageRetrying(std::string_view address, int attempts) {
    return FetchWaiting(address, false, attempts, true);
}

int CWebClient::FetchHeadRetrying(std::string_view address, int attempts) {
    return FetchWaiting(address, true, attempts, true);
}

Answer CWebClient::TakeAnswer() {
    Answer taken = std::move(answer_);
    answer_ = Answer();
    return taken;
}

void CWebClient::RecordHop(std::string_view from, const std::string& to) {
    answer_.redirects.push_back(to);
    answer_.leftHttps.push_back(LeavesHttps(from, to) ? 1 : 0);
    answer_.redirectStatuses.push_back(answer_.StatusCode());
}

bool CWebClient::LeavesHttps(std::string_view from, std::string_view to) {
    return StartsWithNoCase(from, "https://") && !StartsWithNoCase(to, "https://");
}

void CWebClient::StartFetch(WebSession& session, bool head, const Url& url, int attempts,
                            RunControl& control, std::function<void(int)> done) {
    StartFlight(session, head, url, attempts, true, control, std::move(done));
}

void CWebClient::StartFlight(WebSession& session, bool head, const Url& url, int attempts,
                             bool gated, RunControl& control, std::function<void(int)> done) {
    flight_ = std::make_unique<Flight>(*this, session, control, url);
    flight_->head = head;
    flight_->gated = gated;
    flight_->attemptsLeft = attempts;
    flight_->done = std::move(done);
    session.Post([this] {
        flight_->session.AddTask(flight_.get());
        BeginAttempt();
    });
}

int CWebClient::FetchWaiting(std::string_view address, bool head, int attempts, bool gated) {
    // A line break in an address asked for is refused whole, never read around.
    const std::optional<Url> url = address.find_first_of("\r\n") == std::string_view::npos
                                       ? Url::Parse(address)
                                       : std::nullopt;
    if (!url) {
        answer_ = Answer();
        answer_.result = kFetchBadAddress;
        answer_.url.assign(Url::FetchKeyOf(address));
        answer_.finalUrl = answer_.url;
        return kFetchBadAddress;
    }
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
    StartFlight(*session, head, *url, std::max(attempts, 0), gated, control,
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
    answer_ = Answer();
    answer_.url.assign(flight.url.FetchKey());
    answer_.finalUrl = answer_.url;
    answer_.offeredEncodings = std::string(OfferedEncodings());
    flight.attemptEnd =
        attemptDeadline_.count() > 0 ? Clock::now() + attemptDeadline_ : Clock::time_point::max();
    flight.asked.clear();
    flight.current = flight.url;
    BeginHop();
}

void CWebClient::BeginHop() {
    Flight& flight = *flight_;
    answer_.ClearResponse();
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
    flight.transfer = std::make_unique<HttpTransfer>(answer_);
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
    if (answer_.tlsError.empty() &&
        (stopped ? flight.stoppedInHandshake
                 : flight.transfer->HandshakeTimedOut(static_cast<CURLcode>(code)))) {
        answer_.tlsError = "the handshake timed out";
    }
    if (flight.transfer->RequestSent()) {
        requestHeaders_ = flight.lines;
        hostLine_ = flight.hostLine;
    }
    flight.headEnded = flight.transfer->HeadEnded();
    flight.transfer.reset();
    answer_.finalUrl.assign(flight.current.FetchKey());
    if (result != kRedirected) {
        EndAttempt(result);
        return;
    }
    flight.asked.push_back(SameAddressKey(answer_.finalUrl));
    std::optional<Url> next = RedirectUrl(flight.current, answer_.Location());
    // Too long a chain, a loop, or a place this client cannot go: no answer at all.
    if (!next || answer_.redirects.size() >= kMaxRedirects ||
        std::find(flight.asked.begin(), flight.asked.end(), SameAddressKey(next->FetchKey())) !=
            flight.asked.end()) {
        answer_.ClearResponse();
        answer_.redirectsFailed = true;
        EndAttempt(kFetchConnectFailed);
        return;
    }
    RecordHop(answer_.finalUrl, std::string(next->FetchKey()));
    flight.current = std::move(*next);
    BeginHop();
}

void CWebClient::EndAttempt(int result) {
    Flight& flight = *flight_;
    flight.lastResult = result;
    answer_.result = result;
    // A whole head of a type whose body is not read is an answer all the same, and an address
    // that is not one, or redirects that fail, will not change: those are not tried again.
    const bool answered = result == kFetchNotText && flight.headEnded;
    if (result == kFetchOk || answered || result == kFetchBadAddress || answer_.redirectsFailed ||
        flight.attemptsLeft <= 0 || flight.control.CancelRequested()) {
        Finish(result);
        return;
    }
    BeginAttempt();
}

// The last thing a fetch does on the session's thread: whoever waits may go on at once.
void CWebClient::Finish(int result) {
    Flight& flight = *flight_;
    flight.waitingForResume = false;
    answer_.result = result;
    // The run learns whether its requests reach the proxy, to tell a dead proxy from dead sites.
    if (flight.gated) {
        ReportRequestEnded(result != kFetchOk && answer_.proxyUnreachable);
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
    answer_.multiplexed = version == CURL_HTTP_VERSION_2_0;
    const char* address = nullptr;
    if (useProxy_ == 0 && curl_easy_getinfo(easy, CURLINFO_PRIMARY_IP, &address) == CURLE_OK &&
        address != nullptr && *address != '\0') {
        serverAddress_ = address;
    }
    // Timed from the start of this hop's request, its connection included; the answer of the
    // last hop is the one Result() keeps.
    curl_off_t firstByte = 0;
    curl_easy_getinfo(easy, CURLINFO_STARTTRANSFER_TIME_T, &firstByte);
    answer_.firstByte =
        firstByte > 0 ? std::max(Milliseconds(1), Milliseconds(firstByte / 1000)) : Milliseconds(0);
    curl_off_t received = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    answer_.bytesReceived = received > 0 ? static_cast<std::size_t>(received) : 0;
    const auto curlCode = static_cast<CURLcode>(code);
    if (!transfer.RequestSent()) {
        if (curlCode == CURLE_COULDNT_RESOLVE_HOST || curlCode == CURLE_URL_MALFORMAT) {
            return kFetchBadAddress;
        }
        // The proxy itself never answered: the site was never asked.
        curl_off_t connected = 0;
        curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected);
        answer_.proxyUnreachable =
            useProxy_ != 0 && connected == 0 &&
            (curlCode == CURLE_COULDNT_CONNECT || curlCode == CURLE_COULDNT_RESOLVE_PROXY ||
             (curlCode == CURLE_OPERATION_TIMEDOUT && !flight.control.CancelRequested()));
        answer_.tlsError = transfer.TlsFailure(curlCode);
        return kFetchConnectFailed;
    }
    if (curlCode == CURLE_SEND_ERROR && answer_.headerLines.empty()) {
        return kFetchSendFailed;
    }
    answer_.cutShort = curlCode != CURLE_OK && transfer.HeadEnded() && !transfer.EndedOnPurpose();
    // A head past what browsers take, or no final answer after informational ones: no answer.
    const int status = answer_.StatusCode();
    if (transfer.HeadRefused(curlCode) || (status >= 100 && status <= 199)) {
        answer_.ClearResponse();
        return kFetchConnectFailed;
    }
    if (answer_.IsRedirect()) {
        return kRedirected;
    }
    if (flight.head) {
        return kFetchOk;
    }
    if (!keepsAnyBody_ && !KeepsBody(answer_.ContentTypeLine(), acceptsJson_)) {
        return kFetchNotText;
    }
    return kFetchOk;
}

// --- Requests -------------------------------------------------------------------------------

int CWebClient::PrepareHop(const Url& url) {
    HttpHop& hop = flight_->hop;
    hop = HttpHop{};
    flight_->lines = requestHeaders_;
    flight_->hostLine = hostLine_;
    const std::optional<UrlTarget> target = url.Target();
    // Through the proxy any address it can fetch goes (an ftp address among them); directly
    // only http and https.
    if (!target && (useProxy_ == 0 || !StartsWithNoCase(url.Text(), "ftp://"))) {
        return kFetchBadAddress;
    }
    const int prepared = useProxy_ != 0 ? PrepareThroughProxy(url, target.value_or(UrlTarget{}))
                                        : PrepareDirect(*target);
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

int CWebClient::PrepareDirect(const UrlTarget& target) {
    HttpHop& hop = flight_->hop;
    serverName_ = target.hostAndPort;
    // A plain address that names no port goes to the client's own port (80 unless set).
    sitePort_ = target.portWritten || target.secure ? target.port : port_;
    if (!IsHostName(target.host)) {
        return kFetchBadAddress;
    }
    if (sitePort_ < 1 || sitePort_ > 65535) {
        return kFetchConnectFailed;
    }
    hop.url = std::string(target.secure ? "https://" : "http://") + target.host + ":" +
              std::to_string(sitePort_) + "/";
    hop.target = target.target;
    hop.tlsHost = target.secure ? target.host : "";
    PutHostLine(target.hostAndPort);
    return kFetchOk;
}

int CWebClient::PrepareThroughProxy(const Url& url, const UrlTarget& target) {
    HttpHop& hop = flight_->hop;
    answer_.proxy = proxyAddress_ + ":" + std::to_string(port_);
    // No name lookup is made for the proxy.
    if (IsDottedAddress(proxyAddress_.c_str()) == 0 || port_ < 1 || port_ > 65535) {
        answer_.proxyUnreachable = true;
        return kFetchConnectFailed;
    }
    const std::string proxy = "http://" + answer_.proxy;
    serverName_ = target.hostAndPort;
    if (target.secure) {
        if (!IsHostName(target.host)) {
            return kFetchBadAddress;
        }
        if (target.port < 1 || target.port > 65535) {
            return kFetchConnectFailed;
        }
        hop.url = "https://" + target.host + ":" + std::to_string(target.port) + "/";
        hop.tunnelProxy = proxy;
        hop.target = target.target;
        hop.tlsHost = target.host;
        PutHostLine(target.hostAndPort);
        return kFetchOk;
    }
    // A plain request goes to the proxy as its peer, naming the whole address (a GET of an ftp
    // address too: the proxy fetches it).
    const std::string_view whole = url.FetchKey();
    hop.url = proxy + "/";
    hop.target = target.host.empty() || StartsWithNoCase(whole, "http://")
                     ? std::string(whole)
                     : "http://" + std::string(whole);
    // The proxy looks the site up; the Host line only needs its name (an ftp address's too).
    std::string_view host = target.hostAndPort;
    if (host.empty()) {
        host = whole.substr(whole.find("//") + 2);
        host = host.substr(0, host.find_first_of("/?#"));
    }
    PutHostLine(host);
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

std::string CWebClient::RedirectTarget(std::string_view asked, std::string_view location) {
    const std::optional<Url> base = Url::Parse(asked);
    if (!base) {
        return {};
    }
    const std::optional<Url> target = RedirectUrl(*base, location);
    return target ? target->Text() : std::string();
}

std::string CWebClient::SameAddressKey(std::string_view address) {
    if (StartsWithNoCase(address, "http://")) {
        address.remove_prefix(7);
    }
    std::string key(address.substr(0, address.find('#')));
    const std::size_t hostEnd = std::min(key.find_first_of("/?"), key.size());
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
