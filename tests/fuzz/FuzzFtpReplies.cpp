// The FTP client's readers on any bytes: the reply reader on the control connection, the
// listing read of ListDirectory on a data connection, both listing-line parsers and the readers
// of the EPSV and PASV replies. The first byte picks the path; the rest is what the server
// sends.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzPeer.h"
#include "net/CFtpAgent.h"
#include "net/FtpListParser.h"
#include "net/FtpPassiveReply.h"
#include "net/FtpSocket.h"
#include "support/FakeFtpServer.h"

using namespace std::chrono_literals;

namespace {

// The peer closes when it has sent everything, so no wait runs out; these only bound a fault.
sg::FtpWaits ShortWaits() {
    sg::FtpWaits waits;
    waits.reply = 1000ms;
    waits.data = 1000ms;
    waits.listConnect = 1000ms;
    waits.transferConnect = 1000ms;
    waits.connect = 1000ms;
    return waits;
}

void CheckEntry(const sg::FtpDirEntry& entry) {
    SG_FUZZ_CHECK(std::memchr(entry.name, '\0', sizeof(entry.name)) != nullptr);
}

// Both parsers on every line, as the agent hands them over: line ends removed.
void ParseEveryLine(std::string_view text) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        sg::FtpDirEntry unix;
        sg::ParseUnixListLine(line, 2024, unix);
        CheckEntry(unix);
        sg::FtpDirEntry dos;
        sg::ParseDosListLine(line, dos);
        CheckEntry(dos);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

// The passive replies' readers on every line: a port in range or none, and an address of four
// numbers 0..255 in dotted text.
void ParsePassiveReplies(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        const int port = sg::ParseEpsvReply(line);
        SG_FUZZ_CHECK(port >= 0 && port <= 65535);
        sg::FtpPasvTarget target;
        if (sg::ParsePasvReply(line, target)) {
            SG_FUZZ_CHECK(target.port >= 1 && target.port <= 65535);
            SG_FUZZ_CHECK(target.address.size() >= 7 && target.address.size() <= 15);
            int dots = 0;
            int part = 0;
            for (char c : target.address) {
                if (c == '.') {
                    ++dots;
                    part = 0;
                } else {
                    SG_FUZZ_CHECK(c >= '0' && c <= '9');
                    part = part * 10 + (c - '0');
                    SG_FUZZ_CHECK(part <= 255);
                }
            }
            SG_FUZZ_CHECK(dots == 3);
        } else {
            SG_FUZZ_CHECK(target.port == 0 && target.address.empty());
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

void ReadReplies(std::string_view bytes) {
    sg::fuzz::FuzzPeer& peer = sg::fuzz::FuzzPeer::Instance();
    peer.Serve(bytes, sg::fuzz::FuzzPeer::Mode::kAtOnce);
    sg::FtpSocket control;
    control.SetSendTimeout(1000);
    if (control.OpenConnection(peer.Port(), "127.0.0.1") != 0) {
        return;
    }
    sg::CFtpAgent agent(ShortWaits());
    char text[64];
    // Every reply needs at least one line end or the close, so this reads them all.
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        const int code = agent.ReadReply(&control, text, sizeof(text));
        SG_FUZZ_CHECK(std::strlen(text) < sizeof(text));
        SG_FUZZ_CHECK(std::strlen(agent.LastReply()) < sg::CFtpAgent::kLastReplySize);
        SG_FUZZ_CHECK(agent.ReplyLines().size() <= sg::CFtpAgent::kMaxReplyLines);
        if (code == 0) {
            break;
        }
    }
    control.Disconnect();
}

// One server for the process; each session lists the current input.
std::mutex listingMutex;
std::string listing;

sg::test::FakeFtpServer& ListingServer() {
    static sg::test::FakeFtpServer* server = [] {
        auto* s = new sg::test::FakeFtpServer();
        s->On("LIST", [](sg::test::FakeFtpServer::Session& session, const std::string&) {
            std::string bytes;
            {
                std::lock_guard<std::mutex> lock(listingMutex);
                bytes = listing;
            }
            session.Reply("150 Here comes the listing.\r\n");
            sg::test::LoopbackConnection data = session.ConnectData();
            data.Send(bytes, 1000ms);
            data.Close();
            session.Reply("226 Directory send OK.\r\n");
        });
        return s;
    }();
    return *server;
}

void ListDirectory(std::string_view bytes) {
    sg::test::FakeFtpServer& server = ListingServer();
    {
        std::lock_guard<std::mutex> lock(listingMutex);
        listing.assign(bytes);
    }
    sg::CFtpAgent agent(ShortWaits());
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    if (agent.LogOn(host.c_str(), "fuzz", "fuzz", "") != 0) {
        return;
    }
    const int result = agent.ListDirectory();
    SG_FUZZ_CHECK(result == 0 || result == 3 || result == 4);
    std::size_t lines = 1;
    for (char c : bytes) {
        lines += c == '\n' ? 1 : 0;
    }
    SG_FUZZ_CHECK(static_cast<std::size_t>(agent.EntryCount()) <= lines);
    for (int i = 0; i < agent.EntryCount(); ++i) {
        sg::FtpDirEntry entry;
        SG_FUZZ_CHECK(agent.EntryAt(i, &entry) == 0);
        CheckEntry(entry);
    }
    agent.LogOff();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    ParseEveryLine(bytes);
    ParsePassiveReplies(bytes);
    if ((data[0] & 1) == 0) {
        ReadReplies(bytes);
    } else {
        ListDirectory(bytes);
    }
    return 0;
}
