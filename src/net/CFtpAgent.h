#pragma once
// The FTP client of the FTP Center: logs in, lists the current remote folder, changes folders and
// moves one file at a time between a local file and the remote folder. It owns two sockets: the
// control connection, on which it reads replies line by line, and the data connection of the
// current transfer. Every call blocks until its replies are read; every wait is bounded by
// FtpWaits.
//
// Data connections are active or passive (FtpConnectionSetting). Active: the client listens on a
// port of the control connection's local address, announces it with PORT and accepts the
// server's connection, refusing any from another address. Passive: EPSV (PASV
// once the server refused EPSV) names a port, and the client connects to it at the control
// connection's peer address, never at an address a PASV reply names. With encryption, AUTH TLS
// follows the greeting; after the log-on PBSZ 0 and PROT P make every data connection TLS too,
// resuming the control connection's session. A new agent connects as designed: active, plain.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "net/FtpConnectionSetting.h"
#include "net/FtpDirEntry.h"
#include "net/FtpSocket.h"
#include "net/FtpWaits.h"
#include "net/TlsSession.h"

namespace sg {

class CFtpAgent {
  public:
    // Every operation answers kOk for success; each lists its failures.
    static constexpr int kOk = 0;
    static constexpr int kLineBufferSize = 256;
    static constexpr int kLastReplySize = 261;
    // Data ports: the first one comes from the tick count, then each transfer takes the next.
    static constexpr int kFirstDataPort = 10000;
    static constexpr int kDataPortSpread = 20000;
    static constexpr int kLastDataPort = 32000;
    static constexpr int kDataPortTries = 128;
    // Memory bounds against a peer that never stops sending: the most recent reply lines kept,
    // and the entries kept from one listing.
    static constexpr size_t kMaxReplyLines = 1024;
    static constexpr size_t kMaxEntries = 262144;
    // LogOn's failures.
    static constexpr int kLogOnBadHost = 1;
    static constexpr int kLogOnNoConnection = 2;
    static constexpr int kLogOnNoGreeting = 3;
    static constexpr int kLogOnGreetingRefused = 4;
    static constexpr int kLogOnNoUserReply = 5;
    static constexpr int kLogOnUserRefused = 6;
    static constexpr int kLogOnNoPasswordReply = 7;
    static constexpr int kLogOnPasswordRefused = 8;
    static constexpr int kLogOnNoAccountReply = 9;
    static constexpr int kLogOnAccountRefused = 10;
    // LogOn's failures of encryption.
    // Encryption required and AUTH TLS refused: nothing else was sent, no user name, no password.
    static constexpr int kLogOnTlsRefused = 11;
    // The TLS handshake failed or AUTH TLS got no reply; TlsError() says why.
    static constexpr int kLogOnTlsFailed = 12;
    // The certificate does not verify and is not the trusted one (SetTrustedFingerprint):
    // PeerCertificate() and TlsError() say which and why. No user name or password was sent.
    static constexpr int kLogOnCertificateNotTrusted = 13;
    // PBSZ 0 or PROT P refused: the data connections could not be encrypted.
    static constexpr int kLogOnDataProtectionRefused = 14;

    CFtpAgent();
    explicit CFtpAgent(const FtpWaits& waits);
    CFtpAgent(const CFtpAgent&) = delete;
    CFtpAgent& operator=(const CFtpAgent&) = delete;

    // host is a name or dotted IPv4 text, optionally followed by ":port" (21 when none is
    // written). 0 logged in; 1 the host cannot be resolved (or the port is not 1..65535); 2 no
    // connection; 3 no greeting; 4 the greeting is not 2xx or 3xx; 5 no reply to USER; 6 USER
    // refused; 7 no reply to PASS; 8 PASS refused; 9 no reply to ACCT; 10 ACCT refused;
    // 11..14 the kLogOn failures of encryption above.
    int LogOn(const char* host, const char* user, const char* password, const char* account);
    // Why the last LogOn failed, as one sentence for a person (the host name not found, the
    // connection refused or timed out, no greeting, the server's refusal with its reply, the
    // TLS reason); empty after it logged on.
    const std::string& LogOnFailure() const { return logOnFailure_; }
    // "host:port" of what LogOn connects to for this host text (as Server() tells after it);
    // empty when the text is no host.
    static std::string ServerOf(std::string_view host);
    // Sends "Quit" whatever the state and closes both connections. Always 0.
    int LogOff();
    // NOOP: 0 on 2xx, 1 no reply, 2 otherwise. The test for an open connection.
    int CheckConnection();

    // 0 ASCII, 1 image. 0 on 2xx; 1 bad value; 2 no reply; 3 otherwise.
    int SetTransferType(int type);
    // 0 stream, 1 block, 2 compressed. Results as SetTransferType.
    int SetTransferMode(int mode);
    // 0 file, 1 record, 2 page. Results as SetTransferType.
    int SetFileStructure(int structure);

    // CWD: 0 on 2xx, 1 no reply, 2 otherwise.
    int ChangeDirectory(const char* name);
    // CDUP: 0 on 2xx, 1 no reply, 2 on 5xx, 3 otherwise.
    int ChangeToParent();
    // PWD: 0 and the server's current folder in `folder` (the quoted name of its 257 reply, a
    // doubled quote inside read as one); 1 no reply; 2 otherwise, `folder` then empty.
    int PrintWorkingDirectory(std::string& folder);

    // Passive or active, and the encryption, from the next LogOn on.
    void SetConnectionSetting(const FtpConnectionSetting& setting) { setting_ = setting; }
    const FtpConnectionSetting& ConnectionSetting() const { return setting_; }
    // A certificate to accept although it does not verify: its SHA-256 fingerprint in any form
    // NormalizeFingerprint (FtpTrustList.h) reads. Empty accepts none.
    void SetTrustedFingerprint(const std::string& fingerprint);
    // After LogOn: whether the control connection is encrypted; the server's certificate and
    // why it did not verify (empty when it did), or why TLS failed; "host:port" as connected.
    bool Encrypted() const { return control_.UsingTls(); }
    const TlsPeerCertificate& PeerCertificate() const { return peer_; }
    const std::string& TlsError() const { return tlsError_; }
    const std::string& Server() const { return server_; }
    // Whether the last encrypted data connection resumed the control connection's session.
    bool DataSessionResumed() const { return dataResumed_; }

    // 0 listed; 1 no free local port; 2 PORT refused (passive: EPSV and PASV refused); 3 no data
    // connection (the server did not connect, connecting to it failed, or its TLS failed); 4 the
    // final reply is not 2xx.
    virtual int ListDirectory();
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    // 0 and a copy of the entry; 1 when index is out of range or out is null.
    int EntryAt(int index, FtpDirEntry* out) const;

    // 0 done; 1 no free local port; 2 PORT refused (passive: EPSV and PASV refused); 3 RETR
    // refused; 4 no data connection; 5 the final reply is not 2xx. The bytes go to a new file
    // beside localPath (CreateFileBeside), which replaces localPath only when the server's
    // final reply is 2xx and the whole file was written (LocalTransferResult() 0); otherwise
    // it is deleted and a file at localPath stays as it was.
    int DownloadFile(const char* remoteName, const char* localPath);
    // As DownloadFile, with STOR. Only the server's final reply decides the result.
    int UploadFile(const char* localPath, const char* remoteName);
    // The local side of the last DownloadFile or UploadFile, which their results leave out:
    // -1 when no bytes were moved (the transfer ended before its data connection), else the
    // result of FtpSocket::ReadToFile (0 only when the peer closed after the whole file
    // was written) or of SendFromFile (0 only when the whole file was sent), or
    // kLocalNotReplaced.
    int LocalTransferResult() const { return localTransferResult_; }
    // The whole download came but could not be renamed over the local file, which is unchanged.
    static constexpr int kLocalNotReplaced = 7;

    // Reads one reply (all lines of a multi-line one) and returns its code, 0 when no line can
    // be read. text, when given, receives the final line after the code and blank, cut to
    // textSize - 1 chars.
    int ReadReply(FtpSocket* connection, char* text, int textSize);

    // The final line of the last reply, line end removed.
    const char* LastReply() const { return lastReply_; }
    // Lines of multi-line replies and of the single-line replies read since; emptied when a
    // multi-line reply begins and at LogOn.
    const std::deque<std::string>& ReplyLines() const { return replyLines_; }

    int TransferType() const { return transferType_; }

    // The local port tried first for the next data connection.
    int NextDataPort() const { return nextDataPort_; }
    void SetNextDataPort(int port) { nextDataPort_ = port; }

    const FtpWaits& Waits() const { return waits_; }
    void SetWaits(const FtpWaits& waits);

    virtual ~CFtpAgent();

  protected:
    // Parse the listing line last read (LineBuffer()) into entry. Always 0.
    virtual int ParseUnixListLine(FtpDirEntry* entry);
    virtual int ParseDosListLine(FtpDirEntry* entry);
    std::string_view LineBuffer() const { return std::string_view(lineBuffer_, lineLength_); }

  private:
    using Clock = std::chrono::steady_clock;

    // Sends the command with its line end; false when it could not be handed over whole.
    bool SendCommand(std::string_view verb, const char* argument);
    // SendCommand, then ReadReply; 0 when the command could not be sent.
    int Command(std::string_view verb, const char* argument);
    // TYPE, MODE and STRU: letters[value] is sent and kept in `field` when given; the results
    // of SetTransferType.
    int SetParameter(std::string_view verb, std::string_view letters, int value, int* field);
    // One line into the line buffer, line end removed; the rest of a line longer than the
    // buffer is read and dropped, so that it is never taken for a line of its own. False when
    // nothing could be read before the deadline.
    bool ReadCutLine(FtpSocket& connection, Clock::time_point deadline);
    void KeepReplyLine(std::string_view line);
    // Active or passive: 0, 1 no free port, 2 PORT (or EPSV and PASV) refused,
    // kNoDataConnection when connecting to the server's port failed.
    static constexpr int kNoDataConnection = -1;
    int OpenDataConnection();
    // Listens on the next free data port and announces it: 0, 1 no free port, 2 PORT refused.
    int OpenActiveConnection();
    int OpenPassiveConnection();
    // TLS on the data connection once PROT P is in force; true when not needed or made.
    bool SecureDataConnection();
    // LogOn without its failure text.
    int LogOnSteps(const char* host, const char* user, const char* password, const char* account);
    // LogOnFailure's sentence for a LogOn result, from what the steps left behind.
    std::string DescribeLogOnResult(int result) const;
    // The TLS part of LogOn, after the greeting: 0 or one of the kLogOn failures.
    int StartEncryption(const std::string& host);
    int TransferFile(const char* command, const char* remoteName,
                     const std::function<void()>& moveBytes);
    void AdvanceDataPort();
    // After a transfer command was accepted: waits for the server to connect back, from the
    // control connection's peer address; a connection from any other address is closed.
    bool AcceptDataConnection(FtpWaits::Milliseconds wait);

    FtpSocket control_;
    FtpSocket data_;
    FtpConnectionSetting setting_{false, FtpEncryption::kOff};
    std::string trustedFingerprint_;
    TlsPeerCertificate peer_;
    std::string tlsError_;
    std::string tlsHost_;
    std::string server_;
    std::string logOnFailure_;
    // Of the last LogOn: the host name as written, and the name lookup's or the connect's error.
    std::string logOnName_;
    int lookupError_ = 0;
    int connectError_ = 0;
    bool protectData_ = false;
    bool dataResumed_ = false;
    bool epsvRefused_ = false;
    char lastReply_[kLastReplySize] = {};
    int localTransferResult_ = -1;
    int transferType_ = 0;
    int nextDataPort_ = kFirstDataPort;
    std::deque<std::string> replyLines_;
    std::vector<FtpDirEntry> entries_;
    char lineBuffer_[kLineBufferSize] = {};
    int lineLength_ = 0;
    int currentYear_ = 0;
    FtpWaits waits_;
};

}  // namespace sg
