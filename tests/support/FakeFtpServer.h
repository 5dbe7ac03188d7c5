#pragma once
// A scripted FTP server on loopback for the CFtpAgent tests. It greets, then reads commands one
// line at a time, records each, and answers from the handler set for its verb; verbs without a
// handler get the everyday answers (USER 331, PASS 230, PORT/TYPE/MODE/STRU/NOOP/CWD/CDUP 200,
// QUIT 221 and the end of the session, anything else 502). Data connections are opened to the
// port of the last PORT command, as a real server in active mode does.

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace sg::test {

class FakeFtpServer {
  public:
    // What a handler works with while one session runs.
    struct Session {
        LoopbackConnection& control;
        // From the last PORT command: the announced dotted address and port.
        std::string dataAddress;
        int dataPort = 0;

        void Reply(std::string_view text) { control.Send(text); }
        // Connects to the announced port; not open when nothing listens there.
        LoopbackConnection ConnectData() const { return control.ConnectTo(dataPort); }
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

    int Port() const { return server_.Port(); }
    // Every command line received so far, line end removed. Call after the session ended
    // (WaitDone) for a complete list.
    std::vector<std::string> Commands() const;
    bool Received(const std::string& line) const;
    bool ReceivedVerb(const std::string& verb) const;
    bool WaitDone() { return server_.WaitHandled(1); }

  private:
    void Serve(LoopbackConnection& connection);

    std::string greeting_;
    std::map<std::string, Handler> handlers_;
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    // Declared last: its thread may use everything above until it is destroyed.
    LoopbackServer server_;
};

}  // namespace sg::test
