#include "net/CUT_WSClient.h"

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

TEST(CUT_WSClientConnect, OpensRefusesAndStaysReusable) {
    LoopbackServer server(Silent);
    CUT_WSClient client;
    EXPECT_EQ(client.SendTimeout(), 10000);
    EXPECT_EQ(client.ReceiveTimeout(), 10000);
    EXPECT_EQ(client.Disconnect(), 0);  // closed object

    const auto start = Clock::now();
    EXPECT_EQ(client.OpenConnection(LoopbackServer::ClosedPort(), "127.0.0.1"), 3);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_FALSE(client.HasDataSocket());

    // Names are the caller's business: no lookup here.
    EXPECT_EQ(client.OpenConnection(server.Port(), "localhost"), 3);
    EXPECT_EQ(client.OpenConnection(server.Port(), "127.0.0.1", 12345, 1), 2);

    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    EXPECT_EQ(client.RemotePort(), server.Port());
    EXPECT_STREQ(client.RemoteAddressText(), "127.0.0.1");
    EXPECT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 1);
    EXPECT_EQ(client.WaitWritable(0, 0), 0);
    EXPECT_EQ(client.Disconnect(), 0);
    EXPECT_FALSE(client.HasDataSocket());
    EXPECT_EQ(client.Disconnect(), 0);
}

// A listener with backlog 0 that never accepts: once its queue is full the kernel drops new
// handshakes, so a connect hangs. Returns the listener, or -1 when this kernel answers anyway.
int FullListener(int& port, std::vector<std::unique_ptr<CUT_WSClient>>& fillers) {
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
        auto filler = std::make_unique<CUT_WSClient>();
        filler->SetSendTimeout(150);
        if (filler->OpenConnection(port, "127.0.0.1") == 4) {
            return fd;
        }
        fillers.push_back(std::move(filler));
    }
    ::close(fd);
    return -1;
}

TEST(CUT_WSClientConnect, UnansweredConnectEndsAtTheSendTimeoutOrOnCancel) {
    int port = 0;
    std::vector<std::unique_ptr<CUT_WSClient>> fillers;
    const int listener = FullListener(port, fillers);
    if (listener < 0) {
        GTEST_SKIP() << "this kernel completes handshakes past a full backlog";
    }
    CUT_WSClient client;
    client.SetSendTimeout(300);
    auto start = Clock::now();
    EXPECT_EQ(client.OpenConnection(port, "127.0.0.1"), 4);
    EXPECT_GE(MsSince(start), 280);
    EXPECT_LT(MsSince(start), 1500);
    EXPECT_FALSE(client.HasDataSocket());

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

TEST(CUT_WSClientReadLine, JoinsCrAndLfAcrossSegmentsButNotOtherBytes) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.SendSegments({"first\r", "\nsecond\r", "x\r\n", "a\nb\r\n"});
    });
    CUT_WSClient client;
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

TEST(CUT_WSClientReadLine, LongLineComesInPiecesAndNothingPastTheLineIsConsumed) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.Send(std::string(1000, 'a') + "\r\none\r\ntwo\r\nrest");
    });
    CUT_WSClient client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    ASSERT_EQ(client.WaitReadable(2, 0), 0);
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
    char rest[64] = {};
    EXPECT_EQ(client.ReadAvailable(rest, sizeof(rest) - 1, 2000ms), 4);
    EXPECT_STREQ(rest, "rest");
}

TEST(CUT_WSClientWaits, SilentPeerTimesOutWithinTheBound) {
    LoopbackServer server(Silent);
    CUT_WSClient client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    char buffer[64];

    auto start = Clock::now();
    EXPECT_EQ(client.ReadLine(buffer, sizeof(buffer), 200ms), 0);
    EXPECT_GE(MsSince(start), 190);
    EXPECT_LT(MsSince(start), 1000);

    start = Clock::now();
    EXPECT_EQ(client.ReadAvailable(buffer, sizeof(buffer), 150ms), 0);
    EXPECT_GE(MsSince(start), 140);
    EXPECT_LT(MsSince(start), 1000);

    start = Clock::now();
    EXPECT_EQ(client.WaitReadable(0, 150000), 1);
    EXPECT_GE(MsSince(start), 140);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(client.HasPendingInput(), 0);
}

// The time-out bounds each wait, so a peer sending pieces with short pauses is read whole;
// only the bound of the whole call cuts a trickle.
TEST(CUT_WSClientWaits, TimeOutBoundsEachWaitAndUntilTheWholeLine) {
    const auto trickle = [](LoopbackConnection& conn) {
        conn.SendSegments(std::vector<std::string>(12, "t"), 30ms);
    };
    LoopbackServer whole(trickle);
    CUT_WSClient client;
    ASSERT_EQ(client.OpenConnection(whole.Port(), "127.0.0.1"), 0);
    char line[512];
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 200ms), 12);

    LoopbackServer endless([](LoopbackConnection& conn) {
        conn.SendSegments(std::vector<std::string>(40, "t"), 30ms);
    });
    CUT_WSClient cut;
    ASSERT_EQ(cut.OpenConnection(endless.Port(), "127.0.0.1"), 0);
    const auto start = Clock::now();
    const int got = cut.ReadLine(line, sizeof(line), 200ms, start + 200ms);
    EXPECT_LT(MsSince(start), 500);
    EXPECT_GT(got, 0);
    EXPECT_LT(got, 20);
    EXPECT_EQ(std::string(line), std::string(static_cast<size_t>(got), 't'));
}

TEST(CUT_WSClientWaits, SecondsArgumentsAreSeconds) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.Sleep(300ms);
        conn.Send("late\r\n");
        conn.Sleep(300ms);
        conn.Send("later\r\n");
    });
    CUT_WSClient client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    char buffer[64] = {};
    EXPECT_EQ(client.ReadAvailable(buffer, sizeof(buffer) - 1, 1), 6);
    EXPECT_EQ(client.ReadLine(buffer, sizeof(buffer), 1), 7);
    EXPECT_STREQ(buffer, "later\r\n");
}

TEST(CUT_WSClientWaits, CancelFromAnotherThreadEndsABlockedRead) {
    LoopbackServer server(Silent);
    CUT_WSClient client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    RunControl control;
    int result = -1;
    Clock::time_point returned;
    std::thread reader([&] {
        RunControl::Scope scope(control);
        char line[64];
        result = client.ReadLine(line, sizeof(line), 0);  // no time-out of its own
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
    EXPECT_EQ(client.ReadAvailable(buffer, sizeof(buffer), 0), -1);
    EXPECT_EQ(client.ReadAvailable(buffer, sizeof(buffer), 5000ms), 0);
    EXPECT_EQ(client.WaitReadable(5, 0), 1);
    EXPECT_EQ(client.ReadToFile((dir / "f").c_str(), 1, &bytes, 0), 3);
    EXPECT_EQ(client.SendText("x\r\n"), -1);
}

TEST(CUT_WSClientReadToFile, EndlessSenderIsStoppedByProgressOrCancel) {
    LoopbackServer server([](LoopbackConnection& conn) {
        const std::string chunk(4096, 'z');
        while (!conn.Stopping() && conn.Send(chunk, 500ms)) {
        }
    });
    TempDir dir;
    const std::string path = (dir / "endless");
    {
        CUT_WSClient client;
        client.SetReceiveProgressHandler([](long bytes) { return bytes < 65536 ? 1 : 0; });
        ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
        long bytes = 0;
        EXPECT_EQ(client.ReadToFile(path.c_str(), 1, &bytes, 2000ms), 6);
        EXPECT_GE(bytes, 65536);
        EXPECT_EQ(static_cast<long>(std::filesystem::file_size(path)), bytes);
    }
    ASSERT_TRUE(server.WaitHandled(1));
    CUT_WSClient client;
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
    canceller.join();
}

TEST(CUT_WSClientReadToFile, ModesAndFileFailures) {
    LoopbackServer server([](LoopbackConnection& conn) { conn.Send("more"); });
    TempDir dir;
    const std::string path = (dir / "out");
    CUT_WSClient client;
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

TEST(CUT_WSClientListen, AcceptsAndCarriesABinaryFileBothWays) {
    TempDir dir;
    std::string content;
    for (int i = 0; i < 70001; ++i) {
        content.push_back(static_cast<char>((i * 7 + i / 256) & 0xff));
    }
    const std::string source = (dir / "source.bin");
    const std::string target = (dir / "target.bin");
    WriteWholeFile(source, content);

    CUT_WSClient receiver;
    ASSERT_EQ(receiver.Listen(0, 1, AF_INET, INADDR_LOOPBACK), 0);
    EXPECT_EQ(receiver.Listen(0, 1, AF_INET, INADDR_LOOPBACK), 1);
    const int port = receiver.ListeningPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(receiver.WaitForIncoming(100ms), 1);
    receiver.SetReceiveTimeout(100);
    EXPECT_EQ(receiver.AcceptIncoming(), 1);

    int sendResult = -1;
    long sent = 0;
    std::thread sender([&] {
        CUT_WSClient client;
        if (client.OpenConnection(port, "127.0.0.1") == 0) {
            sendResult = client.SendFromFile(source.c_str(), &sent);
        }
    });
    // No ASSERT until the sender is joined.
    EXPECT_EQ(receiver.WaitForIncoming(2000ms), 0);
    EXPECT_EQ(receiver.AcceptIncoming(), 0);
    EXPECT_EQ(receiver.AcceptIncoming(), 1);  // a data socket is already open
    EXPECT_EQ(receiver.RemoteSocketAddress().sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    long received = 0;
    EXPECT_EQ(receiver.ReadToFile(target.c_str(), 1, &received, 2000ms), 0);
    sender.join();
    EXPECT_EQ(sendResult, 0);
    EXPECT_EQ(sent, static_cast<long>(content.size()));
    EXPECT_EQ(received, static_cast<long>(content.size()));
    EXPECT_TRUE(ReadWholeFile(target) == content);
    EXPECT_TRUE(receiver.HasListeningSocket());
    EXPECT_EQ(receiver.Disconnect(), 0);
    EXPECT_FALSE(receiver.HasListeningSocket());
    EXPECT_EQ(receiver.ListeningPort(), 0);

    // The port is taken by a running server: bind fails.
    LoopbackServer server(Silent);
    CUT_WSClient other;
    EXPECT_EQ(other.Listen(server.Port(), 1, AF_INET, INADDR_LOOPBACK), 3);
    EXPECT_EQ(other.Listen(0, 1, 12345, INADDR_LOOPBACK), 2);
}

TEST(CUT_WSClientSendFromFile, StopsOnProgressAndFailsOnAResetPeer) {
    TempDir dir;
    const std::string path = (dir / "big");
    WriteWholeFile(path, std::string(1 << 20, 'q'));
    LoopbackServer server([](LoopbackConnection& conn) {
        if (conn.ReadLine(1000ms) == "reset\r\n") {
            conn.Reset();
        } else {
            conn.ReadUntilClosed(1000ms);
        }
    });
    CUT_WSClient client;
    long sent = 0;
    EXPECT_EQ(client.SendFromFile((dir / "missing").c_str(), &sent), 1);

    client.SetSendProgressHandler([](long) { return 0; });
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    EXPECT_EQ(client.SendText("keep\r\n"), 6);
    EXPECT_EQ(client.SendFromFile(path.c_str(), &sent), 0);
    EXPECT_EQ(sent, 256);
    client.Disconnect();
    ASSERT_TRUE(server.WaitHandled(1));

    client.SetSendProgressHandler(nullptr);
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    // An explicit length sends only that much of the text.
    EXPECT_EQ(client.SendText("reset\r\nXYZ", 7), 7);
    ASSERT_EQ(client.WaitReadable(2, 0), 0);  // the reset has arrived
    EXPECT_EQ(client.SendFromFile(path.c_str(), &sent), 2);
    EXPECT_LT(sent, 1L << 20);
    // The connection is gone, so its shutdown fails; the socket is released anyway.
    EXPECT_EQ(client.Disconnect() & 1, 1);
    EXPECT_FALSE(client.HasDataSocket());
    EXPECT_EQ(client.Disconnect(), 0);
}

TEST(CUT_WSClientTransfer, DrainDiscardsOnlyWhatIsWaiting) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.Send(std::string(3000, 'd'));
        if (conn.ReadLine() == "go\r\n") {
            conn.Send("after\r\n");
        }
    });
    CUT_WSClient client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    ASSERT_EQ(client.WaitReadable(2, 0), 0);
    EXPECT_NE(client.HasPendingInput(), 0);
    EXPECT_EQ(client.DrainInput(), 0);
    EXPECT_EQ(client.HasPendingInput(), 0);
    EXPECT_EQ(client.SendText("go\r\n"), 4);
    char line[64];
    EXPECT_EQ(client.ReadLine(line, sizeof(line), 2000ms), 7);
    EXPECT_STREQ(line, "after\r\n");
}

TEST(CUT_WSClientNames, ResolveHostAndDottedText) {
    char out[32];
    EXPECT_EQ(CUT_WSClient::ResolveHost("user@127.0.0.1", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    EXPECT_EQ(CUT_WSClient::ResolveHost("a@b@127.0.0.1", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    EXPECT_EQ(CUT_WSClient::ResolveHost("localhost", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    // A leading "@" is not looked at, so the whole text is looked up, and fails.
    EXPECT_EQ(CUT_WSClient::ResolveHost("@127.0.0.1", out, sizeof(out)), 2);
    EXPECT_EQ(CUT_WSClient::ResolveHost("127.0.0.1", out, 9), 1);
    EXPECT_EQ(CUT_WSClient::ResolveHost("127.0.0.1", out, 10), 0);

    EXPECT_NE(CUT_WSClient::IsDottedAddress("127.0.0.1"), 0);
    EXPECT_NE(CUT_WSClient::IsDottedAddress("255.255.255.255"), 0);
    for (const char* bad : {"localhost", "256.0.0.1", "1.2.3", "1.2.3.4.5", "", " 1.2.3.4"}) {
        EXPECT_EQ(CUT_WSClient::IsDottedAddress(bad), 0) << bad;
    }
    EXPECT_EQ(CUT_WSClient::IsDottedAddress(nullptr), 0);

    LoopbackServer server(Silent);
    CUT_WSClient client;
    EXPECT_EQ(client.LocalAddress(out, sizeof(out), 1), 1);
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    EXPECT_EQ(client.LocalAddress(out, sizeof(out), 1), 0);
    EXPECT_STREQ(out, "127.0.0.1");
    EXPECT_EQ(client.LocalAddress(out, 4, 1), 0);
    EXPECT_STREQ(out, "127");
    EXPECT_EQ(client.LocalAddress(out, sizeof(out), 0), 0);
    EXPECT_NE(CUT_WSClient::IsDottedAddress(out), 0) << out;
}

TEST(CUT_WSClientText, NthToken) {
    char out[64];
    const char* header = "Content-Type: text/html; charset=x";
    EXPECT_EQ(CUT_WSClient::NthToken(header, ": ", 0, out, sizeof(out)), 0);
    EXPECT_STREQ(out, "Content-Type");
    EXPECT_EQ(CUT_WSClient::NthToken(header, ": ", 1, out, sizeof(out)), 0);
    EXPECT_STREQ(out, "text/html;");
    EXPECT_EQ(CUT_WSClient::NthToken(header, ": ", 3, out, sizeof(out)), 1);
    EXPECT_STREQ(out, "");

    const char* url = "http://www.example.com/dir/page.html?q=1";
    const char* expected[] = {"http:", "www.example.com", "dir", "page.html", "q=1"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(CUT_WSClient::NthToken(url, "/?", i, out, sizeof(out)), 0);
        EXPECT_STREQ(out, expected[i]);
    }
    EXPECT_EQ(CUT_WSClient::NthToken("//a//b", "/", 0, out, sizeof(out)), 0);
    EXPECT_STREQ(out, "a");

    // The token must be shorter than the output size.
    EXPECT_EQ(CUT_WSClient::NthToken("x abcd", " ", 1, out, 4), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(CUT_WSClient::NthToken("x abcd", " ", 1, out, 5), 0);
    EXPECT_STREQ(out, "abcd");
    EXPECT_EQ(CUT_WSClient::NthToken(nullptr, " ", 0, out, sizeof(out)), 1);
    EXPECT_EQ(CUT_WSClient::NthToken("a", nullptr, 0, out, sizeof(out)), 1);
    EXPECT_EQ(CUT_WSClient::NthToken("   ", " ", 0, out, sizeof(out)), 1);
}

TEST(CUT_WSClientText, NthTokenAsLong) {
    long value = 0;
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("HTTP/1.0 404 Not Found", " ", 1, &value), 0);
    EXPECT_EQ(value, 404);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("Content-Length: -12", ": ", 1, &value), 0);
    EXPECT_EQ(value, -12);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("size +77", " ", 1, &value), 0);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("213 12abc", " ", 1, &value), 0);
    EXPECT_EQ(value, 12);
    value = 5;
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("HTTP/1.0 OK", " ", 1, &value), 1);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("a 1", " ", 2, &value), 1);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong("99999999999999999999999", " ", 0, &value), 1);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong(std::string(60, '1').c_str(), " ", 0, &value), 1);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(CUT_WSClient::NthTokenAsLong(std::string(59, '0').c_str(), " ", 0, &value), 0);
    EXPECT_EQ(value, 0);
}

TEST(CUT_WSClientText, StripLineEnd) {
    const std::pair<const char*, const char*> cases[] = {
        {"abc\r\n", "abc"}, {"abc\n", "abc"}, {"abc\r", "abc"}, {"ab\rc", "ab"},
        {"abc", "abc"},     {"\n", ""},       {"", ""},         {"a\n\n", "a"},
    };
    for (const auto& [input, expected] : cases) {
        char text[16];
        std::snprintf(text, sizeof(text), "%s", input);
        CUT_WSClient::StripLineEnd(text);
        EXPECT_STREQ(text, expected) << "input of length " << std::string(input).size();
    }
}

}  // namespace
}  // namespace sg
