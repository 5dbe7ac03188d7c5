#pragma once
// A scripted FTP server on loopback for the CFtpAgent tests. It greets, then reads commands one
// line at a time, records each, and answers from the handler set for its verb; verbs without a
// handler get the everyday answers (USER 331, PASS 230, PORT/TYPE/MODE/STRU/NOOP/CWD/CDUP 200,
// QUIT 221 and the end of the session, anything else 502). Data connections are opened to the
// port of the last PORT command, as a real server in active mode does; after EPSV or PASV
// (229 / 227 with a port it listens on at 127.0.0.1) they are accepted there instead. With
// EnableTls, AUTH TLS gets 234 and the control connection turns TLS; after PROT P every data
// connection does too.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace sg {
class TlsServerContext;
}  // namespace sg

namespace sg::test {

class FakeFtpServer {
  public:
    // What a handler works with while one session runs.
    struct Session {
        LoopbackConnection& control;
        // From the last PORT command: the announced dotted address and port.
        std::string dataAddress;
        int dataPort = 0;
        // After EPSV or PASV: the socket the next data connection is accepted on.
        int passiveFd = -1;
        // After PROT P, with TLS enabled: data connections are TLS.
        const TlsServerContext* dataTls = nullptr;
        FakeFtpServer* server = nullptr;

        ~Session();
        void Reply(std::string_view text) { control.Send(text); }
        // Listens on a fresh port of 127.0.0.1 for the next data connection: the port, or 0.
        int ListenPassive();
        // The data connection: accepted after EPSV or PASV, else made to the announced port;
        // then TLS after PROT P. Not open when it could not be made.
        LoopbackConnection ConnectData();
    };
    using Handler = std::function<void(Session& session, const std::string& argument)>;

    // The greeting is sent as it stands (with its line ends); empty sends none.
    explicit FakeFtpServer(std::string greeting = "220 ready\r\n");

    // Set handlers before the agent connects.
    void On(const std::string& verb, Handler handler) { handlers_[verb] = std::move(handler); }
    // A fixed answer (line ends included).
    void OnReply(const std::string& verb, std::string reply);
    // The listing LIST sends over a data connection, between "150" and "226".
    void ServeListing(std::string listing);
    // AUTH TLS is taken, presenting `server` (which must outlive the sessions), from the next
    // session on; null refuses it again.
    void EnableTls(const TlsServerContext* server) { tls_.store(server); }
    // Of the TLS data connections so far: how many, and how many resumed the control's session.
    int TlsDataConnections() const { return tlsData_.load(); }
    int ResumedDataConnections() const { return resumedData_.load(); }

    int Port() const { return server_.Port(); }
    // Every command line received so far, line end removed. Call after the session ended
    // (WaitDone) for a complete list.
    std::vector<std::string> Commands() const;
    bool Received(const std::string& line) const;
    bool ReceivedVerb(const std::string& verb) const;
    // True once `sessions` sessions have ended.
    bool WaitDone(int sessions = 1) { return server_.WaitHandled(sessions); }

  private:
    void Serve(LoopbackConnection& connection);

    std::string greeting_;
    std::map<std::string, Handler> handlers_;
    std::atomic<const TlsServerContext*> tls_{nullptr};
    std::atomic<int> tlsData_{0};
    std::atomic<int> resumedData_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    // Declared last: its thread may use everything above until it is destroyed.
    LoopbackServer server_;
};

}  // namespace sg::test
