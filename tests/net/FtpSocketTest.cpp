#include "net/FtpSocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/RunControl.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::TempDir;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A server that accepts and then says nothing until it is torn down.
void Silent(LoopbackConnection& conn) {
    conn.Sleep(10s);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(FtpSocketConnect, OpensRefusesAndStaysReusable) {
    LoopbackServer server(Silent);
    FtpSocket client;
    EXPECT_EQ(client.Disconnect(), 0);  // closed object

    const auto start = Clock::now();
    EXPECT_EQ(client.OpenConnection(LoopbackServer::ClosedPort(), "127.0.0.1"), 3);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(client.SendText("x"), -1);  // no socket was kept

    // Names are the caller's business: no lookup here.
    EXPECT_EQ(client.OpenConnection(server.Port(), "localhost"), 3);
    EXPECT_EQ(client.OpenConnection(server.Port(), "127.0.0.1", 12345, 1), 2);

    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    EXPECT_STREQ(client.RemoteAddressText(), "127.0.0.1");
    EXPECT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 1);
    EXPECT_EQ(client.SendText("x"), 1);
    EXPECT_EQ(client.Disconnect(), 0);
    EXPECT_EQ(client.SendText("x"), -1);
    EXPECT_EQ(client.Disconnect(), 0);
}

// A listener with backlog 0 that never accepts: once its queue is full the kernel drops new
// handshakes, so a connect hangs. Returns the listener, or -1 when this kernel answers anyway.
int FullListener(int& port, std::vector<std::unique_ptr<FtpSocket>>& fillers) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(local);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
        ::listen(fd, 0) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length)) {
        return -1;
    }
    port = ntohs(local.sin_port);
    for (int i = 0; i < 8; ++i) {
        auto filler = std::make_unique<FtpSocket>();
        filler->SetSendTimeout(150);
        if (filler->OpenConnection(port, "127.0.0.1") == 4) {
            return fd;
        }
        fillers.push_back(std::move(filler));
    }
    ::close(fd);
    return -1;
}

TEST(FtpSocketConnect, UnansweredConnectEndsAtTheSendTimeoutOrOnCancel) {
    int port = 0;
    std::vector<std::unique_ptr<FtpSocket>> fillers;
    const int listener = FullListener(port, fillers);
    if (listener < 0) {
        GTEST_SKIP() << "this kernel completes handshakes past a full backlog";
    }
    FtpSocket client;
    client.SetSendTimeout(300);
    auto start = Clock::now();
    EXPECT_EQ(client.OpenConnection(port, "127.0.0.1"), 4);
    EXPECT_GE(MsSince(start), 280);
    EXPECT_LT(MsSince(start), 1500);
    EXPECT_EQ(client.SendText("x"), -1);

    // No time-out of our own: only the cancel ends the wait.
    client.SetSendTimeout(0);
    RunControl control;
    std::thread canceller([&] {
        std::this_thread::sleep_for(150ms);
        control.RequestCancel();
    });
    start = Clock::now();
    int result = -1;
    {
        RunControl::Scope scope(control);
        result = client.OpenConnection(port, "127.0.0.1");
    }
    const long long elapsed = MsSince(start);
    canceller.join();
    EXPECT_EQ(result, 4);
    EXPECT_LT(elapsed, 150 + 500);
    ::close(listener);
}

TEST(FtpSocketReadLine, JoinsCrAndLfAcrossSegmentsButNotOtherBytes) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.SendSegments({"first\r", "\nsecond\r", "x\r\n", "a\nb\r\n"});
    });
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    char line[512];
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 7);
    EXPECT_STREQ(line, "first\r\n");
    // A CR that ends a segment but is not followed by LF stays inside the line.
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 10);
    EXPECT_STREQ(line, "second\rx\r\n");
    // A lone LF does not end a line.
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 5);
    EXPECT_STREQ(line, "a\nb\r\n");
    // The peer has closed: 0 at once, not after the time-out.
    const auto start = Clock::now();
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 0);
    EXPECT_STREQ(line, "");
    EXPECT_LT(MsSince(start), 500);
}

TEST(FtpSocketReadLine, LongLineComesInPiecesAndNothingPastTheLineIsConsumed) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.Send(std::string(1000, 'a') + "\r\none\r\ntwo\r\nrest");
    });
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    char line[512];
    ASSERT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 511);
    EXPECT_EQ(std::string(line), std::string(511, 'a'));
    ASSERT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 491);
    EXPECT_EQ(std::string(line), std::string(489, 'a') + "\r\n");
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 5);
    EXPECT_STREQ(line, "one\r\n");
    // A buffer of one byte has no room: nothing is taken from the socket.
    EXPECT_EQ(client.ReadLine(line, 1, 2000ms), 0);
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 5);
    EXPECT_STREQ(line, "two\r\n");
    // What stands after the last line end comes when the peer closes.
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 4);
    EXPECT_STREQ(line, "rest");
}

TEST(FtpSocketWaits, SilentPeerTimesOutWithinTheBound) {
    LoopbackServer server(Silent);
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    char buffer[64];

    const auto start = Clock::now();
    EXPECT_EQ(client.ReadLine(buffer, sizeof(buffer), 200ms), 0);
    EXPECT_GE(MsSince(start), 190);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(client.HasPendingInput(), 0);
}

// The time-out bounds each wait, so a peer sending pieces with short pauses is read whole;
// only the bound of the whole call cuts a trickle.
TEST(FtpSocketWaits, TimeOutBoundsEachWaitAndUntilTheWholeLine) {
    const auto trickle = [](LoopbackConnection& conn) {
        conn.SendSegments(std::vector<std::string>(12, "t"), 30ms);
    };
    LoopbackServer whole(trickle);
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(whole.Port(), "127.0.0.1"), 0);
    char line[512];
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 200ms), 12);

    LoopbackServer endless([](LoopbackConnection& conn) {
        conn.SendSegments(std::vector<std::string>(40, "t"), 30ms);
    });
    FtpSocket cut;
    ASSERT_EQ(cut.OpenConnection(endless.Port(), "127.0.0.1"), 0);
    const auto start = Clock::now();
    const int got = cut.ReadLine(line, sizeof(line), 200ms, start + 200ms);
    EXPECT_LT(MsSince(start), 500);
    EXPECT_GT(got, 0);
    EXPECT_LT(got, 20);
    EXPECT_EQ(std::string(line), std::string(static_cast<size_t>(got), 't'));
}

TEST(FtpSocketWaits, CancelFromAnotherThreadEndsABlockedRead) {
    LoopbackServer server(Silent);
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    RunControl control;
    int result = -1;
    Clock::time_point returned;
    std::thread reader([&] {
        RunControl::Scope scope(control);
        char line[64];
        result = client.ReadLine(line, sizeof(line), 0ms);  // no time-out of its own
        returned = Clock::now();
    });
    std::this_thread::sleep_for(150ms);
    const auto cancelled = Clock::now();
    control.RequestCancel();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(returned - cancelled).count(),
              500);

    // Every other wait of a cancelled run gives up with its time-out or failure code.
    RunControl::Scope scope(control);
    char buffer[64];
    long bytes = 0;
    TempDir dir;
    const auto start = Clock::now();
    EXPECT_EQ(client.ReadLine(buffer, sizeof(buffer), 5000ms), 0);
    EXPECT_EQ(client.ReadToFile((dir / "f").c_str(), 1, &bytes, 0ms), 3);
    EXPECT_EQ(client.SendText("x\r\n"), -1);
    EXPECT_LT(MsSince(start), 1000);
}

TEST(FtpSocketReadToFile, EndlessSenderIsStoppedByCancel) {
    LoopbackServer server([](LoopbackConnection& conn) {
        const std::string chunk(4096, 'z');
        while (!conn.Stopping() && conn.Send(chunk, 500ms)) {
        }
    });
    TempDir dir;
    const std::string path = (dir / "endless");
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    RunControl control;
    std::thread canceller([&] {
        std::this_thread::sleep_for(150ms);
        control.RequestCancel();
    });
    RunControl::Scope scope(control);
    long bytes = 0;
    const auto start = Clock::now();
    EXPECT_EQ(client.ReadToFile(path.c_str(), 1, &bytes, 2000ms), 3);
    EXPECT_LT(MsSince(start), 650);
    EXPECT_GT(bytes, 0);
    EXPECT_EQ(static_cast<long>(std::filesystem::file_size(path)), bytes);
    canceller.join();
}

TEST(FtpSocketReadToFile, ModesAndFileFailures) {
    LoopbackServer server([](LoopbackConnection& conn) { conn.Send("more"); });
    TempDir dir;
    const std::string path = (dir / "out");
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    long bytes = 7;
    EXPECT_EQ(client.ReadToFile(path.c_str(), 3, &bytes, 1000ms), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(client.ReadToFile((dir / "no/such/dir").c_str(), 1, &bytes, 1000ms), 2);

    WriteWholeFile(path, "old+");
    EXPECT_EQ(client.ReadToFile(path.c_str(), 2, &bytes, 2000ms), 0);
    EXPECT_EQ(bytes, 4);
    EXPECT_EQ(ReadWholeFile(path), "old+more");
}

TEST(FtpSocketListen, AcceptsAndCarriesABinaryFileBothWays) {
    TempDir dir;
    std::string content;
    for (int i = 0; i < 70001; ++i) {
        content.push_back(static_cast<char>((i * 7 + i / 256) & 0xff));
    }
    const std::string source = (dir / "source.bin");
    const std::string target = (dir / "target.bin");
    WriteWholeFile(source, content);

    FtpSocket receiver;
    const int port = LoopbackServer::ClosedPort();
    ASSERT_EQ(receiver.Listen(port, 1, AF_INET, INADDR_LOOPBACK), 0);
    EXPECT_EQ(receiver.Listen(port, 1, AF_INET, INADDR_LOOPBACK), 1);
    EXPECT_EQ(receiver.AcceptIncomingFrom("127.0.0.1", 100ms), 1);  // nobody came

    int sendResult = -1;
    long sent = 0;
    std::thread sender([&] {
        FtpSocket client;
        if (client.OpenConnection(port, "127.0.0.1") == 0) {
            sendResult = client.SendFromFile(source.c_str(), &sent);
        }
    });
    // No ASSERT until the sender is joined.
    EXPECT_EQ(receiver.AcceptIncomingFrom("127.0.0.1", 2000ms), 0);
    EXPECT_EQ(receiver.AcceptIncomingFrom("127.0.0.1", 100ms), 1);  // a data socket is open
    long received = 0;
    EXPECT_EQ(receiver.ReadToFile(target.c_str(), 1, &received, 2000ms), 0);
    sender.join();
    EXPECT_EQ(sendResult, 0);
    EXPECT_EQ(sent, static_cast<long>(content.size()));
    EXPECT_EQ(received, static_cast<long>(content.size()));
    EXPECT_TRUE(ReadWholeFile(target) == content);
    EXPECT_EQ(receiver.Disconnect(), 0);
    // Both sockets are gone: listening again works.
    EXPECT_EQ(receiver.Listen(port, 1, AF_INET, INADDR_LOOPBACK), 0);
    EXPECT_EQ(receiver.Disconnect(), 0);

    // The port is taken by a running server: bind fails.
    LoopbackServer server(Silent);
    FtpSocket other;
    EXPECT_EQ(other.Listen(server.Port(), 1, AF_INET, INADDR_LOOPBACK), 3);
    EXPECT_EQ(other.Listen(0, 1, 12345, INADDR_LOOPBACK), 2);
}

TEST(FtpSocketSendFromFile, FailsOnAMissingFileAndOnAResetPeer) {
    TempDir dir;
    const std::string path = (dir / "big");
    WriteWholeFile(path, std::string(1 << 20, 'q'));
    LoopbackServer server([](LoopbackConnection& conn) {
        if (conn.ReadLine(1000ms) == "reset\r\n") {
            conn.Reset();
        }
    });
    FtpSocket client;
    long sent = 0;
    EXPECT_EQ(client.SendFromFile((dir / "missing").c_str(), &sent), 1);

    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    // An explicit length sends only that much of the text.
    EXPECT_EQ(client.SendText("reset\r\nXYZ", 7), 7);
    char line[64];
    ASSERT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 0);  // the reset has arrived
    EXPECT_EQ(client.SendFromFile(path.c_str(), &sent), 2);
    EXPECT_LT(sent, 1L << 20);
    // The connection is gone, so its shutdown fails; the socket is released anyway.
    EXPECT_EQ(client.Disconnect() & 1, 1);
    EXPECT_EQ(client.SendText("x"), -1);
    EXPECT_EQ(client.Disconnect(), 0);
}

TEST(FtpSocketTransfer, DrainDiscardsOnlyWhatIsWaiting) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.Send(std::string(3000, 'd'));
        if (conn.ReadLine() == "go\r\n") {
            conn.Send("after\r\n");
        }
    });
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    const auto start = Clock::now();
    while (client.HasPendingInput() == 0 && MsSince(start) < 2000) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_NE(client.HasPendingInput(), 0);
    EXPECT_EQ(client.DrainInput(), 0);
    EXPECT_EQ(client.HasPendingInput(), 0);
    EXPECT_EQ(client.SendText("go\r\n"), 4);
    char line[64];
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 7);
    EXPECT_STREQ(line, "after\r\n");
}

TEST(FtpSocketNames, ResolveHostAndDottedText) {
    char out[32];
    EXPECT_EQ(FtpSocket::ResolveHost("user@127.0.0.1", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    EXPECT_EQ(FtpSocket::ResolveHost("a@b@127.0.0.1", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    EXPECT_EQ(FtpSocket::ResolveHost("localhost", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    // A leading "@" is not looked at, so the whole text is looked up, and fails.
    EXPECT_EQ(FtpSocket::ResolveHost("@127.0.0.1", out, sizeof(out)), 2);
    EXPECT_EQ(FtpSocket::ResolveHost("127.0.0.1", out, 9), 1);
    EXPECT_EQ(FtpSocket::ResolveHost("127.0.0.1", out, 10), 0);

    EXPECT_NE(FtpSocket::IsDottedAddress("127.0.0.1"), 0);
    EXPECT_NE(FtpSocket::IsDottedAddress("255.255.255.255"), 0);
    for (const char* bad : {"localhost", "256.0.0.1", "1.2.3", "1.2.3.4.5", "", " 1.2.3.4"}) {
        EXPECT_EQ(FtpSocket::IsDottedAddress(bad), 0) << bad;
    }
    EXPECT_EQ(FtpSocket::IsDottedAddress(nullptr), 0);

    LoopbackServer server(Silent);
    FtpSocket client;
    EXPECT_EQ(client.LocalAddress(out, sizeof(out), 1), 1);
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    EXPECT_EQ(client.LocalAddress(out, sizeof(out), 1), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    EXPECT_EQ(client.LocalAddress(out, 4, 1), 0);
    EXPECT_STREQ(out, "127");
    EXPECT_EQ(client.LocalAddress(out, sizeof(out), 0), 0);
    EXPECT_NE(FtpSocket::IsDottedAddress(out), 0) << out;
}

TEST(FtpSocketText, StripLineEnd) {
    const std::pair<const char*, const char*> cases[] = {
        {"abc\r\n", "abc"}, {"abc\n", "abc"}, {"abc\r", "abc"}, {"ab\rc", "ab"},
        {"abc", "abc"},     {"\n", ""},       {"", ""},         {"a\n\n", "a"},
    };
    for (const auto& [input, expected] : cases) {
        char text[16];
        std::snprintf(text, sizeof(text), "%s", input);
        FtpSocket::StripLineEnd(text);
        EXPECT_STREQ(text, expected) << "input of length " << std::string(input).size();
    }
}

}  // namespace
}  // namespace sg
