#include "FuzzPeer.h"

#include <chrono>

namespace sg::fuzz {

using namespace std::chrono_literals;

FuzzPeer& FuzzPeer::Instance() {
    // Never destroyed: libFuzzer may leave through exit() while a connection is open.
    static FuzzPeer* peer = new FuzzPeer();
    return *peer;
}

FuzzPeer::FuzzPeer() : server_([this](test::LoopbackConnection& c) { Answer(c); }) {}

std::string FuzzPeer::Address() const {
    return "127.0.0.1:" + std::to_string(Port());
}

void FuzzPeer::Serve(std::string_view bytes, Mode mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_.assign(bytes);
    mode_ = mode;
}

std::string FuzzPeer::LastRequest() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastRequest_;
}

void FuzzPeer::Answer(test::LoopbackConnection& connection) {
    std::string bytes;
    Mode mode;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes = bytes_;
        mode = mode_;
    }
    if (mode == Mode::kAfterRequest) {
        std::string request = connection.ReadUntilBlankLine(1000ms);
        std::lock_guard<std::mutex> lock(mutex_);
        lastRequest_ = std::move(request);
    }
    connection.Send(bytes, 1000ms);
    connection.Close();
}

}  // namespace sg::fuzz
