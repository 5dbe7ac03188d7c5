#pragma once
// One socket of the FTP client (designed as CUT_WSClient; the web client's connections are
// libcurl's, see WebSession.h): one data connection over TCP (IPv4), and for active mode one
// listening socket. Every operation blocks and returns an integer result code. Every wait is a
// poll in slices of at most 100 ms that also looks at the calling thread's run control, so a
// cancelled run leaves any wait within one slice; a cancelled wait returns the code of a time-out
// (or of a failure where the operation has no time-out). A time-out of zero or less means "no
// limit of our own", but such a wait still ends on cancel.

#include <netinet/in.h>

#include <chrono>
#include <memory>
#include <string>

#include "net/SocketWait.h"
#include "net/TlsSession.h"

namespace sg {

class FtpSocket {
  public:
    using Milliseconds = std::chrono::milliseconds;

    static constexpr int kInvalidSocket = -1;
    static constexpr int kDefaultTimeoutMs = 10000;
    // Every operation answers kOk for success.
    static constexpr int kOk = 0;
    // ReadToFile: its modes and its failures (kOk: the peer closed after the whole file).
    static constexpr int kTruncate = 1;
    static constexpr int kAppend = 2;
    static constexpr int kReadBadMode = 1;
    static constexpr int kReadOpenFailed = 2;
    static constexpr int kReadTimedOut = 3;
    static constexpr int kReadReceiveFailed = 4;
    static constexpr int kReadShortWrite = 5;
    // SendFromFile's failures.
    static constexpr int kSendOpenFailed = 1;
    static constexpr int kSendFailed = 2;
    static constexpr int kSendReadFailed = 3;

    FtpSocket();
    ~FtpSocket();
    FtpSocket(const FtpSocket&) = delete;
    FtpSocket& operator=(const FtpSocket&) = delete;

    // Bounds the connect and each SendText; kDefaultTimeoutMs unless set.
    void SetSendTimeout(int milliseconds) { sendTimeoutMs_ = milliseconds; }

    // --- Connection -----------------------------------------------------------------------
    // 0 connected; 1 a data socket is already open; 2 creating the socket failed; 3 the
    // connection failed (also: the address is not dotted IPv4 text); 4 it did not complete
    // within the send time-out (or the run was cancelled).
    int OpenConnection(int port, const char* address, int family = AF_INET, int type = 1);
    // Why the last OpenConnection failed: the socket's errno (ECONNREFUSED, ENETUNREACH, ...),
    // ETIMEDOUT for result 4, EINVAL when the address was not dotted IPv4 text; 0 after it
    // connected. ConnectFailureText.h puts it in words.
    int ConnectError() const { return connectError_; }
    // 0, or a bit mask: 1 shutdown of the data socket failed, 2 closing it failed, 4 shutdown of
    // the listening socket failed, 8 closing it failed. Both sockets are invalid afterwards.
    int Disconnect();
    // TLS over the open connection (TlsSession): 0, or 1 and TlsError() says why. From then on
    // ReadLine, ReadToFile, SendText, SendFromFile, DrainInput and HasPendingInput go through
    // it, with the same waits; Disconnect ends it.
    int StartTls(const std::string& host, Milliseconds timeout, const TlsConnectOptions& options);
    // Ends what was sent (the TLS close notice, then the end of the stream), reads and drops
    // what the peer still sends until it closes or the time-out passes, then Disconnect. A peer
    // that reads to the end then sees a whole stream, not a reset. Its Disconnect result.
    int FinishAndDisconnect(Milliseconds timeout);
    bool UsingTls() const { return tls_ != nullptr; }
    // The session while UsingTls(), else null.
    const TlsSession* Tls() const { return tls_.get(); }
    const std::string& TlsError() const { return tlsError_; }
    // localAddress in host byte order (INADDR_ANY, INADDR_LOOPBACK); port 0 takes a free port.
    // 0 listening; 1 already listening; 2 no socket; 3 bind failed; 4 listen failed.
    int Listen(int port, int backlog, int family, unsigned long localAddress);
    // Listen on one local address, dotted IPv4 text (a socket's own, say): as Listen; 3 also
    // when the text is no address.
    int ListenOn(int port, const char* localAddress);
    // 0 when a connection from `peer` (dotted IPv4 text) was accepted within the time and became
    // the data socket; 1 otherwise (no listening socket, a data socket already open, a bad
    // address, nothing from it in time). A connection from any other address is closed at once
    // and the wait goes on, so someone else cannot take a connection meant for `peer`.
    int AcceptIncomingFrom(const char* peer, Milliseconds timeout);

    // The address OpenConnection was given, cut to 31 chars.
    const char* RemoteAddressText() const { return remoteAddress_; }

    // --- Transfer -------------------------------------------------------------------------
    // Bytes handed to the network, or -1. length <= 0: the length of the NUL-terminated text.
    // A partial hand-over is continued until all is queued or the send time-out passes (what a
    // blocking send does), so callers may treat a result >= 0 below length as a stall.
    int SendText(const char* data, int length = 0);
    // One line, never consuming a byte after its CR LF. Bytes placed in the buffer (line end
    // included); 0 on time-out or closed connection before any byte. NUL terminated. A line
    // longer than size - 1 comes in pieces of size - 1 bytes. The time-out bounds each wait
    // for more bytes, not the whole call; `until`, when given, bounds the whole call. What
    // arrived by the end of a wait is returned.
    int ReadLine(
        char* buffer, int size, Milliseconds timeout,
        std::chrono::steady_clock::time_point until = std::chrono::steady_clock::time_point::max());
    // Mode 1 truncates, mode 2 appends. 0 the peer closed; 1 bad mode; 2 open failed;
    // 3 time-out (per piece) or cancel; 4 receive error; 5 short write. The connection is left
    // open.
    int ReadToFile(const char* path, int mode, long* bytesReceived, Milliseconds timeout);
    // 0 the whole file was sent; 1 open failed; 2 a send failed; 3 reading the file failed part
    // way.
    int SendFromFile(const char* path, long* bytesSent);
    // Discards what is readable without blocking, 256 bytes at a time. Always 0.
    int DrainInput();
    // Nonzero when bytes can be read without blocking.
    int HasPendingInput();

    // --- Names and text -------------------------------------------------------------------
    // 0 and the dotted text of the first IPv4 address; 1 out is too small; 2 lookup failed.
    // Only the part after the last "@" (not counting the first character) is resolved.
    // lookupError, when given, receives getaddrinfo's code (EAI_NONAME, EAI_AGAIN, ...) for
    // result 2, else 0.
    static int ResolveHost(const char* name, char* out, int outSize, int* lookupError = nullptr);
    // Nonzero for four decimal parts 0..255 separated by dots.
    static int IsDottedAddress(const char* text);
    // 0 and the dotted text of this machine (the host name's address unless socketOnly, else
    // the data socket's local address), cut to outSize - 1 chars; 1 when neither is available.
    int LocalAddress(char* out, int outSize, int socketOnly);
    // Cuts a final CR LF / LF / CR (the second-to-last character is looked at first).
    static void StripLineEnd(char* text);

  private:
    // One receive (or look, with `peek`) on the data socket, plain or TLS; as ReceiveOnce.
    int ReceiveSome(char* buffer, int size, bool peek, const Deadline& deadline);
    // Takes `count` bytes an earlier look showed are there.
    bool TakeLooked(char* buffer, int count);

    std::unique_ptr<TlsSession> tls_;
    std::string tlsError_;
    int connectError_ = 0;
    char remoteAddress_[32] = {};
    int socketType_ = 1;
    int dataSocket_ = kInvalidSocket;
    int listenSocket_ = kInvalidSocket;
    int sendTimeoutMs_ = kDefaultTimeoutMs;
};

}  // namespace sg
