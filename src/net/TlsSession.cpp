#include "net/TlsSession.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <climits>
#include <csignal>

#include "net/TlsServerContext.h"
#include "net/TrustedCertificates.h"

namespace sg {

struct TlsSession::State {
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    int fd = -1;
    ~State() {
        if (ssl != nullptr) {
            SSL_free(ssl);
        }
        if (context != nullptr) {
            SSL_CTX_free(context);
        }
    }
};

namespace {

std::string LastError(SSL* ssl) {
    const long verified = ssl != nullptr ? SSL_get_verify_result(ssl) : X509_V_OK;
    if (verified != X509_V_OK) {
        return X509_verify_cert_error_string(verified);
    }
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) {
        return "the connection was closed during the handshake";
    }
    // The reason alone ("wrong version number") reads better than OpenSSL's full code line.
    if (const char* reason = ERR_reason_error_string(code)) {
        return reason;
    }
    char text[256];
    ERR_error_string_n(code, text, sizeof(text));
    return text;
}

bool IsDottedAddress(const std::string& host) {
    in_addr ignored{};
    return ::inet_pton(AF_INET, host.c_str(), &ignored) == 1;
}

// Waits as OpenSSL asks: readable or writable, within the deadline.
bool WaitAsAsked(SSL* ssl, int fd, int code, const Deadline& deadline) {
    const int reason = SSL_get_error(ssl, code);
    if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
        return false;
    }
    return WaitFor(fd, reason == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline) ==
           WaitResult::Ready;
}

// OpenSSL writes to the socket without MSG_NOSIGNAL: a peer gone away must give an error, not
// end the program.
void IgnorePipeSignal() {
    static const bool kNoPipeSignal = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    (void)kNoPipeSignal;
}

}  // namespace

TlsSession::TlsSession(std::unique_ptr<State> state) : state_(std::move(state)) {}

TlsSession::~TlsSession() {
    // One close notice, not waited for: the socket is closed right after.
    if (state_ != nullptr && state_->ssl != nullptr) {
        SSL_shutdown(state_->ssl);
    }
}

std::unique_ptr<TlsSession> TlsSession::Connect(int fd, const std::string& host,
                                                const Deadline& deadline, std::string& error) {
    return Connect(fd, host, deadline, error, TlsConnectOptions{});
}

std::unique_ptr<TlsSession> TlsSession::Connect(int fd, const std::string& host,
                                                const Deadline& deadline, std::string& error,
                                                const TlsConnectOptions& options) {
    IgnorePipeSignal();
    auto state = std::make_unique<State>();
    state->fd = fd;
    if (options.resume != nullptr) {
        // The same context: a session is resumed with the settings it was made with.
        SSL_CTX_up_ref(options.resume->state_->context);
        state->context = options.resume->state_->context;
    } else {
        // A context per connection reads SSL_CERT_FILE and SSL_CERT_DIR, and the added
        // certificates, as they are now.
        state->context = SSL_CTX_new(TLS_client_method());
        if (state->context == nullptr ||
            SSL_CTX_set_min_proto_version(state->context, TLS1_2_VERSION) != 1 ||
            SSL_CTX_set_default_verify_paths(state->context) != 1 ||
            !AddTrustedCertificatesTo(SSL_CTX_get_cert_store(state->context))) {
            error = LastError(nullptr);
            return nullptr;
        }
        // Many servers close without a close notice; that ends the stream like a plain close.
        SSL_CTX_set_options(state->context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    }
    state->ssl = SSL_new(state->context);
    if (state->ssl == nullptr || SSL_set_fd(state->ssl, fd) != 1) {
        error = LastError(nullptr);
        return nullptr;
    }
    // Without allowUnverified a certificate that does not verify ends the handshake; with it the
    // check still runs and its result is kept for Verified().
    SSL_set_verify(state->ssl, options.allowUnverified ? SSL_VERIFY_NONE : SSL_VERIFY_PEER,
                   nullptr);
    if (options.resume != nullptr) {
        SSL_SESSION* earlier = SSL_get1_session(options.resume->state_->ssl);
        if (earlier != nullptr) {
            SSL_set_session(state->ssl, earlier);
            SSL_SESSION_free(earlier);
        }
    }
    if (IsDottedAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(state->ssl), host.c_str());
    } else {
        SSL_set_tlsext_host_name(state->ssl, host.c_str());
        SSL_set1_host(state->ssl, host.c_str());
    }
    SSL_set_connect_state(state->ssl);
    return Handshake(std::move(state), deadline, error);
}

std::unique_ptr<TlsSession> TlsSession::Accept(int fd, const TlsServerContext& server,
                                               const Deadline& deadline, std::string& error) {
    IgnorePipeSignal();
    if (server.context_ == nullptr) {
        error = "no server certificate";
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->fd = fd;
    // The state frees its context: it takes a reference of its own.
    SSL_CTX_up_ref(server.context_);
    state->context = server.context_;
    state->ssl = SSL_new(state->context);
    if (state->ssl == nullptr || SSL_set_fd(state->ssl, fd) != 1) {
        error = LastError(nullptr);
        return nullptr;
    }
    SSL_set_accept_state(state->ssl);
    return Handshake(std::move(state), deadline, error);
}

std::unique_ptr<TlsSession> TlsSession::Handshake(std::unique_ptr<State> state,
                                                  const Deadline& deadline, std::string& error) {
    const int fd = state->fd;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ERR_clear_error();
    for (;;) {
        const int done = SSL_do_handshake(state->ssl);
        if (done == 1) {
            return std::unique_ptr<TlsSession>(new TlsSession(std::move(state)));
        }
        const int reason = SSL_get_error(state->ssl, done);
        if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
            error = LastError(state->ssl);
            return nullptr;
        }
        if (!WaitAsAsked(state->ssl, fd, done, deadline)) {
            error = "the handshake timed out";
            return nullptr;
        }
    }
}

int TlsSession::Receive(char* buffer, int size, bool peek, const Deadline& deadline) {
    SSL* ssl = state_->ssl;
    for (;;) {
        ERR_clear_error();
        const int got = peek ? SSL_peek(ssl, buffer, size) : SSL_read(ssl, buffer, size);
        if (got > 0) {
            return got;
        }
        const int reason = SSL_get_error(ssl, got);
        if (reason == SSL_ERROR_ZERO_RETURN) {
            return 0;
        }
        if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
            return -1;
        }
        switch (WaitFor(state_->fd, reason == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline)) {
            case WaitResult::Ready:
                break;
            case WaitResult::TimedOut:
                return kTimedOut;
            case WaitResult::Failed:
                return -1;
        }
    }
}

int TlsSession::Send(const char* data, int size, const Deadline& deadline) {
    SSL* ssl = state_->ssl;
    int sent = 0;
    while (sent < size) {
        ERR_clear_error();
        const int put = SSL_write(ssl, data + sent, size - sent);
        if (put > 0) {
            sent += put;
            continue;
        }
        if (!WaitAsAsked(ssl, state_->fd, put, deadline)) {
            break;
        }
    }
    return sent == 0 && size > 0 ? -1 : sent;
}

bool TlsSession::HasPending() const {
    return SSL_pending(state_->ssl) > 0;
}

void TlsSession::SendCloseNotice() {
    SSL_shutdown(state_->ssl);
}

bool TlsSession::Verified() const {
    return SSL_get_verify_result(state_->ssl) == X509_V_OK;
}

std::string TlsSession::VerifyError() const {
    const long verified = SSL_get_verify_result(state_->ssl);
    return verified == X509_V_OK ? std::string() : X509_verify_cert_error_string(verified);
}

TlsPeerCertificate TlsSession::PeerCertificate() const {
    TlsPeerCertificate peer;
    X509* certificate = SSL_get1_peer_certificate(state_->ssl);
    if (certificate == nullptr) {
        return peer;
    }
    if (BIO* text = BIO_new(BIO_s_mem())) {
        X509_NAME_print_ex(text, X509_get_subject_name(certificate), 0,
                           XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
        char* data = nullptr;
        const long length = BIO_get_mem_data(text, &data);
        if (length > 0 && data != nullptr) {
            peer.subject.assign(data, static_cast<size_t>(length));
        }
        BIO_free(text);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) == 1) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        for (unsigned int i = 0; i < length; ++i) {
            if (i > 0) {
                peer.sha256 += ':';
            }
            peer.sha256 += kHex[digest[i] >> 4];
            peer.sha256 += kHex[digest[i] & 15];
        }
    }
    X509_free(certificate);
    return peer;
}

bool TlsSession::Resumed() const {
    return SSL_session_reused(state_->ssl) == 1;
}

}  // namespace sg
