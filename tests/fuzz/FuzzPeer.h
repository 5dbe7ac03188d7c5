#pragma once
// The server side of the network fuzz targets: one loopback server for the whole process that
// answers every connection with the bytes of the current input and then closes, so that the
// client under test reads them through its real socket path. One input is served at a time.

#include <mutex>
#include <string>
#include <string_view>

#include "support/LoopbackServer.h"

namespace sg::fuzz {

class FuzzPeer {
  public:
    // HTTP clients send a request first; it is read (and dropped) before the answer, since
    // closing with unread bytes would reset the connection and lose the answer. An FTP
    // control connection is answered straight away.
    enum class Mode { kAfterRequest, kAtOnce };

    // The peer of the process, started on first use.
    static FuzzPeer& Instance();

    int Port() const { return server_.Port(); }
    // "127.0.0.1:PORT".
    std::string Address() const;
    // What each following connection gets.
    void Serve(std::string_view bytes, Mode mode);
    // The request head read last (kAfterRequest), through its blank line.
    std::string LastRequest();

  private:
    FuzzPeer();
    void Answer(test::LoopbackConnection& connection);

    std::mutex mutex_;
    std::string bytes_;
    Mode mode_ = Mode::kAfterRequest;
    std::string lastRequest_;
    // Declared last: its thread uses the members above.
    test::LoopbackServer server_;
};

}  // namespace sg::fuzz
