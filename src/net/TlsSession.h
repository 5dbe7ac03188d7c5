#pragma once
// TLS over a connected socket (OpenSSL 3): TLS 1.2 or later, the host name sent (SNI) and checked
// against the certificate, the chain checked against the system's trusted certificates through
// OpenSSL's default verify paths (SSL_CERT_FILE and SSL_CERT_DIR point them elsewhere) and the
// ones the process added (TrustedCertificates.h). The server side of a loopback server of the
// program's own is here too (Accept). Every wait is one of the socket's bounded waits, with its
// cancel checks. The socket stays owned by the caller; it is made non-blocking.

#include <memory>
#include <string>

#include "net/SocketWait.h"

namespace sg {

class TlsServerContext;
class TlsSession;

// How a client handshake treats what it meets.
struct TlsConnectOptions {
    // Resume this session's TLS session (and share its settings), as a server may demand for a
    // second connection that belongs to the first (FTP data connections). Must outlive the call.
    const TlsSession* resume = nullptr;
    // Complete the handshake whatever the certificate check says; Verified() then tells. The
    // caller decides whether to go on.
    bool allowUnverified = false;
};

// The server's certificate as a person checks it.
struct TlsPeerCertificate {
    // One line, "CN=host, O=maker" (RFC 2253 order).
    std::string subject;
    // SHA-256 of the DER form: 32 bytes as upper-case hex pairs joined by ":".
    std::string sha256;
};

class TlsSession {
  public:
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // The handshake with `host` (a name or a dotted address, no port) within the deadline; null
    // and the reason ("certificate has expired", "handshake timed out", ...) when it fails.
    static std::unique_ptr<TlsSession> Connect(int fd, const std::string& host,
                                               const Deadline& deadline, std::string& error);
    static std::unique_ptr<TlsSession> Connect(int fd, const std::string& host,
                                               const Deadline& deadline, std::string& error,
                                               const TlsConnectOptions& options);
    // The server's handshake on an accepted socket, presenting `server` (which must outlive the
    // session) within the deadline; null and the reason when it fails, for instance when the
    // client sends nothing in time. No client certificate is asked for.
    static std::unique_ptr<TlsSession> Accept(int fd, const TlsServerContext& server,
                                              const Deadline& deadline, std::string& error);

    // Like recv: the count of bytes (consumed, or only looked at when `peek`), 0 when the peer
    // closed, -1 on error, kTimedOut when nothing came before the deadline or a cancel.
    static constexpr int kTimedOut = -2;
    int Receive(char* buffer, int size, bool peek, const Deadline& deadline);
    // Bytes handed over before the deadline (all of them unless the peer failed), or -1.
    int Send(const char* data, int size, const Deadline& deadline);
    // Decrypted bytes waiting to be read.
    bool HasPending() const;
    // Sends the close notice now (the destructor sends it otherwise); reading goes on until the
    // peer's.
    void SendCloseNotice();

    // Whether the certificate (chain and host name) verified; always true for a handshake made
    // without allowUnverified. VerifyError says why not ("self-signed certificate").
    bool Verified() const;
    std::string VerifyError() const;
    // The peer's certificate; empty fields when it sent none.
    TlsPeerCertificate PeerCertificate() const;
    // Whether the handshake resumed an earlier session instead of making a new one.
    bool Resumed() const;

  private:
    struct State;
    explicit TlsSession(std::unique_ptr<State> state);
    // Either side's handshake, once the state is set up for it.
    static std::unique_ptr<TlsSession> Handshake(std::unique_ptr<State> state,
                                                 const Deadline& deadline, std::string& error);
    std::unique_ptr<State> state_;
};

}  // namespace sg
