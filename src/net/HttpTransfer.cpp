#include "net/HttpTransfer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

#include <algorithm>
#include <string_view>

#include "net/TrustedCertificates.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::size_t kPieceBytes = kLinePieceBytes;
// A body that is not kept but this small is read and dropped, so that its connection stays
// open for the next request; a larger one ends the transfer and the connection.
constexpr curl_off_t kDropBytes = 64 * 1024;
// libcurl's buffer for what one read brings; larger buffers mean fewer calls on big pages.
constexpr long kReadBuffer = 256 * 1024;

std::string_view WithoutLineEnd(std::string_view line) {
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n') || line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

bool IsDotted(const std::string& host) {
    in_addr ignored{};
    return ::inet_pton(AF_INET, host.c_str(), &ignored) == 1;
}

// The reason in libcurl's words without its frame: the last part of an OpenSSL error line
// ("error:0A00010B:SSL routines::wrong version number"), or the message without the address.
std::string ReasonOf(std::string_view text) {
    if (text.find("error:") != std::string_view::npos) {
        text = text.substr(text.rfind(':') + 1);
    }
    if (const std::size_t where = text.find(" in connection to ");
        where != std::string_view::npos) {
        text = text.substr(0, where);
    }
    if (text.starts_with("OpenSSL ")) {
        const std::size_t colon = text.find(": ");
        text = colon == std::string_view::npos ? text : text.substr(colon + 2);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

bool IsTlsFailure(CURLcode code) {
    switch (code) {
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
            return true;
        default:
            return false;
    }
}

}  // namespace

const std::string& DecodableEncodings() {
    static const std::string encodings = [] {
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        std::string list;
        const auto add = [&list](const char* name) {
            list += list.empty() ? "" : ", ";
            list += name;
        };
        if ((info->features & CURL_VERSION_LIBZ) != 0) {
            add("gzip");
            add("deflate");
        }
        if ((info->features & CURL_VERSION_BROTLI) != 0) {
            add("br");
        }
        if ((info->features & CURL_VERSION_ZSTD) != 0) {
            add("zstd");
        }
        return list;
    }();
    return encodings;
}

HttpTransfer::HttpTransfer(Answer& result) : result_(result) {}

HttpTransfer::~HttpTransfer() {
    if (easy_ != nullptr) {
        curl_easy_cleanup(easy_);
    }
    curl_slist_free_all(siteLines_);
    curl_slist_free_all(proxyLines_);
}

bool HttpTransfer::Configure(const HttpHop& hop, WebSession& session) {
    hop_ = &hop;
    session_ = &session;
    easy_ = curl_easy_init();
    if (easy_ == nullptr) {
        return false;
    }
    for (const std::string& line : hop.siteLines) {
        siteLines_ = curl_slist_append(siteLines_, line.c_str());
    }
    for (const std::string& line : hop.proxyLines) {
        proxyLines_ = curl_slist_append(proxyLines_, line.c_str());
    }
    CURL* easy = easy_;
    curl_easy_setopt(easy, CURLOPT_URL, hop.url.c_str());
    curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, hop.target.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOBODY, hop.head ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, siteLines_);
    if (!hop.acceptEncoding.empty()) {
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, hop.acceptEncoding.c_str());
    }
    // HTTP/2 where the server offers it over TLS, HTTP/1.1 otherwise; over TLS a new request
    // waits for a connection about to be made rather than making one more, as that one may
    // carry it (a plain one never can, so there nothing waits).
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_2TLS);
    curl_easy_setopt(easy, CURLOPT_PIPEWAIT, hop.url.starts_with("https:") ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_IPRESOLVE, CURL_IPRESOLVE_V4);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadBuffer);
    if (hop.connectTimeout.count() > 0) {
        curl_easy_setopt(
            easy, CURLOPT_CONNECTTIMEOUT_MS,
            static_cast<long>(std::min<long long>(hop.connectTimeout.count(), 0x7fffffff)));
    }
    // Only the proxy of the settings, never one named by the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, hop.tunnelProxy.c_str());
    if (!hop.tunnelProxy.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROXYHEADER, proxyLines_);
        curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    }
    // TLS 1.2 or later; the trusted certificates are OpenSSL's default verify paths as they
    // are at each connection (so SSL_CERT_FILE and SSL_CERT_DIR count) and the ones the process
    // added, put in by OnTlsContext; none of libcurl's own.
    curl_easy_setopt(easy, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2);
    curl_easy_setopt(easy, CURLOPT_CAINFO, nullptr);
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &HttpTransfer::OnTlsContext);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpTransfer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpTransfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &HttpTransfer::OnRequest);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &HttpTransfer::OnSocket);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error_);
    return true;
}

int HttpTransfer::Status() const {
    return result_.StatusCode();
}

std::string HttpTransfer::TlsFailure(CURLcode code) const {
    if (!IsTlsFailure(code)) {
        return {};
    }
    // The certificate check's own words, when it was the check that failed.
    long verified = X509_V_OK;
    if (curl_easy_getinfo(easy_, CURLINFO_SSL_VERIFYRESULT, &verified) == CURLE_OK &&
        verified != X509_V_OK && code == CURLE_PEER_FAILED_VERIFICATION) {
        return X509_verify_cert_error_string(verified);
    }
    std::string reason = ReasonOf(error_);
    return reason.empty() ? curl_easy_strerror(code) : reason;
}

bool HttpTransfer::HeadRefused(CURLcode code) const {
    // libcurl refuses a head line over 100 KiB as "out of memory", and a head over 300 KiB as
    // "too large response headers". Bytes without a status line are no head at all (the
    // answer without a type they always were).
    const std::string_view error(error_);
    return headRefused_ ||
           (!headEnded_ && !result_.headerLines.empty() &&
            (code == CURLE_OUT_OF_MEMORY ||
             (code != CURLE_OK && error.find("response headers") != std::string_view::npos)));
}

HttpTransfer::Clock::time_point HttpTransfer::LastActivity() const {
    Clock::time_point last = lastActivity_;
    // A connection that carries other requests too (HTTP/2) may be busy while this answer
    // stalls: the attempt's deadline bounds that.
    tcp_info info{};
    socklen_t size = sizeof(info);
    if (!headEnded_ && socket_ >= 0 &&
        ::getsockopt(socket_, IPPROTO_TCP, TCP_INFO, &info, &size) == 0) {
        last = std::max(last, Clock::now() - std::chrono::milliseconds(info.tcpi_last_data_recv));
    }
    return last;
}

bool HttpTransfer::Handshaking() const {
    if (requestSent_ || hop_->tlsHost.empty() || newSocket_ < 0) {
        return false;
    }
    sockaddr_in peer{};
    socklen_t size = sizeof(peer);
    if (::getpeername(newSocket_, reinterpret_cast<sockaddr*>(&peer), &size) != 0) {
        return false;
    }
    long tunnel = 0;
    curl_easy_getinfo(easy_, CURLINFO_HTTP_CONNECTCODE, &tunnel);
    return hop_->tunnelProxy.empty() || tunnel == 200;
}

bool HttpTransfer::HandshakeTimedOut(CURLcode code) const {
    return code == CURLE_OPERATION_TIMEDOUT && !hop_->tlsHost.empty() &&
           std::string_view(error_).find("SSL connection timeout") != std::string_view::npos;
}

int HttpTransfer::OnSocket(void* self, curl_socket_t fd, curlsocktype purpose) {
    if (purpose == CURLSOCKTYPE_IPCXN) {
        static_cast<HttpTransfer*>(self)->newSocket_ = fd;
    }
    return CURL_SOCKOPT_OK;
}

int HttpTransfer::OnRequest(void* self, char*, char*, int, int localPort) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    transfer->requestSent_ = true;
    transfer->lastActivity_ = Clock::now();
    // A new connection's socket is remembered for the requests that will reuse it.
    if (transfer->newSocket_ >= 0) {
        transfer->session_->RememberSocket(localPort, transfer->newSocket_);
        transfer->socket_ = transfer->newSocket_;
    } else {
        transfer->socket_ = transfer->session_->SocketOf(localPort);
    }
    return CURL_PREREQFUNC_OK;
}

CURLcode HttpTransfer::OnTlsContext(CURL*, void* context, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    SSL_CTX* tls = static_cast<SSL_CTX*>(context);
    if (SSL_CTX_set_default_verify_paths(tls) != 1 ||
        !AddTrustedCertificatesTo(SSL_CTX_get_cert_store(tls))) {
        return CURLE_SSL_CACERT_BADFILE;
    }
    // The name is checked with the chain, so that a mismatch reads as OpenSSL words it
    // ("hostname mismatch", "IP address mismatch").
    const std::string& host = transfer->hop_->tlsHost;
    X509_VERIFY_PARAM* check = SSL_CTX_get0_param(tls);
    const int named = IsDotted(host) ? X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str())
                                     : X509_VERIFY_PARAM_set1_host(check, host.c_str(), 0);
    return named == 1 ? CURLE_OK : CURLE_SSL_CERTPROBLEM;
}

std::size_t HttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<HttpTransfer*>(self)->TakeHeadLine(std::string_view(data, size * count));
}

std::size_t HttpTransfer::TakeHeadLine(std::string_view line) {
    const std::size_t all = line.size();
    lastActivity_ = Clock::now();
    if (headEnded_) {
        // After an informational answer (1xx) the real head starts afresh; what follows a
        // head otherwise (a chunked body's trailer lines) is not kept.
        if (!StartsWithNoCase(line, "HTTP/")) {
            return all;
        }
        // Informational answers without end are no answer.
        if (++informational_ > kMaxInformational) {
            headRefused_ = true;
            endedOnPurpose_ = true;
            return 0;
        }
        result_.headerLines.clear();
        headBytes_ = 0;
        headEnded_ = false;
    }
    line = WithoutLineEnd(line);
    if (line.empty()) {
        headEnded_ = true;
        const int status = Status();
        return (status >= 100 && status < 200) || ChooseBody() ? all : 0;
    }
    // libcurl writes an HTTP/2 status line with a blank after the code.
    if (result_.headerLines.empty() && line.starts_with("HTTP/2 ")) {
        while (line.ends_with(' ')) {
            line.remove_suffix(1);
        }
    }
    for (std::size_t at = 0; at < line.size(); at += kPieceBytes) {
        const std::string_view piece = line.substr(at, kPieceBytes);
        const std::size_t cap = std::min(hop_->cap, kMaxHeadBytes);
        const std::size_t room = cap - std::min(cap, headBytes_);
        // A head without end keeps what fits and reads no body; one past what browsers take
        // is refused whole.
        if (piece.size() > room) {
            if (room > 0) {
                result_.headerLines.emplace_back(piece.substr(0, room));
            }
            headBytes_ = cap;
            headRefused_ = cap == kMaxHeadBytes;
            endedOnPurpose_ = true;
            return 0;
        }
        result_.headerLines.emplace_back(piece);
        headBytes_ += piece.size();
    }
    return all;
}

bool HttpTransfer::ChooseBody() {
    if (hop_->head) {
        return true;
    }
    if (!result_.IsRedirect() &&
        (hop_->keepsAnyBody || KeepsBody(result_.ContentTypeLine(), hop_->acceptsJson))) {
        keepBody_ = true;
        curl_off_t announced = -1;
        curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced > 0) {
            result_.ReserveBody(
                std::min<std::size_t>(static_cast<std::size_t>(announced), hop_->cap));
        }
        return true;
    }
    // Not kept: a small body on a connection that stays is read and dropped; otherwise the
    // transfer ends here (for HTTP/2 only its stream).
    long version = 0;
    curl_easy_getinfo(easy_, CURLINFO_HTTP_VERSION, &version);
    curl_off_t announced = -1;
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (version != CURL_HTTP_VERSION_2_0 && announced >= 0 && announced <= kDropBytes) {
        return true;
    }
    endedOnPurpose_ = true;
    return false;
}

std::size_t HttpTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    const std::size_t all = size * count;
    transfer->lastActivity_ = Clock::now();
    if (!transfer->keepBody_) {
        transfer->dropped_ += all;
        return transfer->dropped_ <= static_cast<std::size_t>(kDropBytes) ? all : 0;
    }
    const std::size_t cap = transfer->hop_->cap;
    const std::size_t take = std::min(all, cap - std::min(cap, transfer->bodyBytes_));
    transfer->result_.AppendBody(data, take);
    transfer->bodyBytes_ += take;
    if (take < all) {
        // The rest is discarded with the connection.
        transfer->endedOnPurpose_ = true;
        return 0;
    }
    return all;
}

}  // namespace sg
