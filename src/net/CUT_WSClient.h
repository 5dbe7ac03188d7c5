#pragma once
// The one class through which the program speaks TCP (IPv4): one data connection, and for the
// FTP client's active mode one listening socket. Every operation blocks and returns an integer
// result code. Every wait is a poll in slices of at most 100 ms that also looks at the calling
// thread's run control, so a cancelled run leaves any wait within one slice; a cancelled wait
// returns the code of a time-out (or of a failure where the operation has no time-out).
//
// Per-call time-outs come in whole seconds; each has an overload taking
// std::chrono::milliseconds for callers (and tests) that need finer bounds. A time-out of zero
// or less means "no limit of our own", but such a wait still ends on cancel.

#include <netinet/in.h>

#include <chrono>
#include <memory>
#include <string>

#include "net/SocketWait.h"
#include "net/TlsSession.h"

namespace sg {

class CUT_WSClient {
  public:
    using ProgressHandler = int (*)(long bytesSoFar);
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
    static constexpr int kReadStopped = 6;
    // SendFromFile's failures.
    static constexpr int kSendOpenFailed = 1;
    static constexpr int kSendFailed = 2;
    static constexpr int kSendReadFailed = 3;

    CUT_WSClient();
    virtual ~CUT_WSClient();
    CUT_WSClient(const CUT_WSClient&) = delete;
    CUT_WSClient& operator=(const CUT_WSClient&) = delete;

    // Nonzero means go on, zero means stop. Without a handler: 1.
    virtual int OnReceiveProgress(long bytesSoFar);
    virtual int OnSendProgress(long bytesSoFar);
    void SetReceiveProgressHandler(ProgressHandler handler) { receiveProgress_ = handler; }
    void SetSendProgressHandler(ProgressHandler handler) { sendProgress_ = handler; }

    // The send time-out bounds the connect and each SendText; the receive time-out bounds
    // AcceptIncoming.
    void SetSendTimeout(int milliseconds) { sendTimeoutMs_ = milliseconds; }
    void SetReceiveTimeout(int milliseconds) { receiveTimeoutMs_ = milliseconds; }
    int SendTimeout() const { return sendTimeoutMs_; }
    int ReceiveTimeout() const { return receiveTimeoutMs_; }

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
    // ReadLine, ReadAvailable, ReadToFile, SendText, SendFromFile, DrainInput and
    // HasPendingInput go through it, with the same waits; Disconnect ends it.
    int StartTls(const std::string& host, Milliseconds timeout);
    int StartTls(const std::string& host, Milliseconds timeout, const TlsConnectOptions& options);
    // Ends what was sent (the TLS close notice, then the end of the stream), reads and drops
    // what the peer still sends until it closes or the time-out passes, then Disconnect. A peer
    // that reads to the end then sees a whole stream, not a reset. Its Disconnect result.
    int FinishAndDisconnect(Milliseconds timeout);
    bool UsingTls() const { return tls_ != nullptr; }
    // The session while UsingTls(), else null.
    const TlsSession* Tls() const { return tls_.get(); }
    const std::string& TlsError() const { return tlsError_; }
    // localAddress in host byte order (INADDR_ANY, INADDR_LOOPBACK). Port 0 takes a free port,
    // see ListeningPort(). 0 listening; 1 already listening; 2 no socket; 3 bind failed;
    // 4 listen failed.
    int Listen(int port, int backlog, int family, unsigned long localAddress);
    int ListenAny(int port);
    // Listen on one local address, dotted IPv4 text (a socket's own, say): as Listen; 3 also
    // when the text is no address.
    int ListenOn(int port, const char* localAddress);
    // 0 when a connection is waiting on the listening socket within the time, 1 otherwise. A
    // time of zero or less is an immediate check, as for WaitReadable/WaitWritable.
    int WaitForIncoming(int seconds);
    int WaitForIncoming(Milliseconds timeout);
    // 0 when a connection was accepted and became the data socket, 1 on failure (no listening
    // socket, a data socket already open, nothing arrived within the receive time-out).
    int AcceptIncoming();
    // 0 when a connection from `peer` (dotted IPv4 text) was accepted within the time and became
    // the data socket; 1 otherwise (no listening socket, a data socket already open, a bad
    // address, nothing from it in time). A connection from any other address is closed at once
    // and the wait goes on, so someone else cannot take a connection meant for `peer`.
    int AcceptIncomingFrom(const char* peer, Milliseconds timeout);

    bool HasDataSocket() const { return dataSocket_ != kInvalidSocket; }
    bool HasListeningSocket() const { return listenSocket_ != kInvalidSocket; }
    // Host byte order; 0 when not listening.
    int ListeningPort() const;
    int RemotePort() const { return remotePort_; }
    const char* RemoteAddressText() const { return remoteAddress_; }
    // After AcceptIncoming: the peer's address.
    const sockaddr_in& RemoteSocketAddress() const { return remoteSockAddr_; }

    // --- Transfer -------------------------------------------------------------------------
    // Bytes handed to the network, or -1. length <= 0: the length of the NUL-terminated text.
    // A partial hand-over is continued until all is queued or the send time-out passes (what a
    // blocking send does), so callers may treat a result >= 0 below length as a stall.
    int SendText(const char* data, int length = 0);
    // 0 when the time-out is above zero and nothing arrives within it; else one receive of up
    // to size bytes: its count, 0 when the peer closed, -1 on error.
    int ReadAvailable(char* buffer, int size, int timeoutSeconds);
    int ReadAvailable(char* buffer, int size, Milliseconds timeout);
    // One line, never consuming a byte after its CR LF. Bytes placed in the buffer (line end
    // included); 0 on time-out or closed connection before any byte. NUL terminated. A line
    // longer than size - 1 comes in pieces of size - 1 bytes. The time-out bounds each wait
    // for more bytes, not the whole call; `until`, when given, bounds the whole call. What
    // arrived by the end of a wait is returned.
    int ReadLine(char* buffer, int size, int timeoutSeconds);
    int ReadLine(char* buffer, int size, Milliseconds timeout);
    int ReadLine(char* buffer, int size, Milliseconds timeout,
                 std::chrono::steady_clock::time_point until);
    // Mode 1 truncates, mode 2 appends. 0 the peer closed; 1 bad mode; 2 open failed;
    // 3 time-out (per piece) or cancel; 4 receive error; 5 short write; 6 stopped by
    // OnReceiveProgress. The connection is left open.
    int ReadToFile(const char* path, int mode, long* bytesReceived, int timeoutSeconds);
    int ReadToFile(const char* path, int mode, long* bytesReceived, Milliseconds timeout);
    // 0 the whole file was sent or OnSendProgress said stop; 1 open failed; 2 a send failed;
    // 3 reading the file failed part way.
    int SendFromFile(const char* path, long* bytesSent);
    // Discards what is readable without blocking, 256 bytes at a time. Always 0.
    int DrainInput();
    // Nonzero when bytes can be read without blocking.
    int HasPendingInput();
    // 0 when the data socket becomes readable / writable within the time, 1 otherwise.
    int WaitReadable(int seconds, int microseconds);
    int WaitWritable(int seconds, int microseconds);

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
    // 0 and the zero-based index-th run of non-separator characters; 1 when there is none or it
    // does not fit (out is then empty).
    static int NthToken(const char* text, const char* separators, int index, char* out,
                        int outSize);
    // 0 and the token's leading decimal number; 1 when there is no such token, it is 60 bytes or
    // longer, it does not start with a number, or the number does not fit a long.
    static int NthTokenAsLong(const char* text, const char* separators, int index, long* value);
    // Cuts a final CR LF / LF / CR (the second-to-last character is looked at first).
    static void StripLineEnd(char* text);

  private:
    // One receive (or look, with `peek`) on the data socket, plain or TLS; as ReceiveOnce.
    int ReceiveSome(char* buffer, int size, bool peek, const Deadline& deadline);
    // Takes `count` bytes an earlier look showed are there.
    bool TakeLooked(char* buffer, int count);

    std::unique_ptr<TlsSession> tls_;
    std::string tlsError_;
    int remotePort_ = 0;
    int connectError_ = 0;
    char remoteAddress_[32] = {};
    int addressFamily_ = AF_INET;
    int socketType_ = 1;
    int dataSocket_ = kInvalidSocket;
    sockaddr_in remoteSockAddr_ = {};
    int listenSocket_ = kInvalidSocket;
    sockaddr_in listenSockAddr_ = {};
    int sendTimeoutMs_ = kDefaultTimeoutMs;
    int receiveTimeoutMs_ = kDefaultTimeoutMs;
    ProgressHandler receiveProgress_ = nullptr;
    ProgressHandler sendProgress_ = nullptr;
};

}  // namespace sg
