// Peers that would hold a fetch forever or fill memory: silent, closing, endless and dripping
// servers, and a cancelled run. Every fetch must end within its bounds.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "net/CWebClient.h"
#include "net/HttpTestPeer.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::MillisecondsSince;
using Clock = std::chrono::steady_clock;

constexpr const char* kHtmlHead = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

// Sends the head, then `chunk` again and again until the client goes away (recorded) or the
// server stops.
LoopbackServer::Handler Endless(std::string head, std::string chunk,
                                std::atomic<bool>& clientClosed) {
    return [head, chunk, &clientClosed](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        if (!conn.Send(head)) {
            clientClosed = true;
            return;
        }
        while (!conn.Stopping()) {
            if (!conn.Send(chunk)) {
                clientClosed = true;
                return;
            }
        }
    };
}

TEST(WebClientBounds, SilentPeerEndsTheFetchAfterOnePieceWait) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Sleep(5s);
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(300ms);
    std::string address = test::Loopback(server.Port(), "/");
    const auto start = Clock::now();
    // No head at all: no content type either.
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    const long long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 2000);
    EXPECT_TRUE(client.Result().headerLines.empty());
}

TEST(WebClientBounds, PeerFallingSilentMidBodyKeepsWhatCame) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(std::string(kHtmlHead) + "part\r\n");
        conn.Sleep(5s);
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(300ms);
    std::string address = test::Loopback(server.Port(), "/");
    const auto start = Clock::now();
    EXPECT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_LT(MillisecondsSince(start), 2000);
    EXPECT_EQ(client.BodyText(), "part\r\n");
}

TEST(WebClientBounds, PeerClosingAtOnceIsNoticedWithoutWaiting) {
    LoopbackServer server([](LoopbackConnection&) {});
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(3000ms);
    std::string address = test::Loopback(server.Port(), "/");
    const auto start = Clock::now();
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_LT(MillisecondsSince(start), 1500);
    EXPECT_TRUE(client.Result().headerLines.empty());
}

TEST(WebClientBounds, EndlessBodyStopsAtTheCapAndClosesTheConnection) {
    std::atomic<bool> clientClosed{false};
    std::string line(998, 'x');
    line += "\r\n";
    std::string chunk;
    for (int i = 0; i < 64; ++i) {
        chunk += line;
    }
    LoopbackServer server(Endless(kHtmlHead, chunk, clientClosed));
    CWebClient client;
    client.SetConnectTimeout(1000ms);
    client.SetPieceTimeout(2000ms);
    client.SetAttemptDeadline(40s);
    std::string address = test::Loopback(server.Port(), "/big");
    const auto start = Clock::now();
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_LT(MillisecondsSince(start), 30000);
    EXPECT_EQ(client.BodyText().size(), CWebClient::kDefaultBodyCap);
    // The server learns that the client is gone: its next send fails.
    ASSERT_TRUE(server.WaitHandled(1, 5000ms));
    EXPECT_TRUE(clientClosed.load());
}

TEST(WebClientBounds, CapCutsThePieceThatCrossesIt) {
    std::atomic<bool> clientClosed{false};
    LoopbackServer server(Endless(kHtmlHead, std::string(1000, 'x') + "\r\n", clientClosed));
    CWebClient client;
    test::UseShortWaits(client);
    client.SetBodyCap(1000);
    std::string address = test::Loopback(server.Port(), "/");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    const std::string first(511, 'x');
    const std::string second(489, 'x');
    EXPECT_EQ(BodyPieces(client.BodyText()), (std::vector<std::string_view>{first, second}));
}

TEST(WebClientBounds, EndlessHeadStopsAtTheCapWithoutABody) {
    std::atomic<bool> clientClosed{false};
    LoopbackServer server(Endless("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n",
                                  "X-Filler: " + std::string(40, 'f') + "\r\n", clientClosed));
    CWebClient client;
    test::UseShortWaits(client);
    client.SetBodyCap(2000);
    std::string address = test::Loopback(server.Port(), "/");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    const auto& lines = client.Result().headerLines;
    const std::size_t kept =
        std::accumulate(lines.begin(), lines.end(), std::size_t{0},
                        [](std::size_t sum, const std::string& s) { return sum + s.size(); });
    EXPECT_EQ(kept, 2000u);
    EXPECT_TRUE(client.BodyText().empty());
    ASSERT_TRUE(server.WaitHandled(1, 5000ms));
    EXPECT_TRUE(clientClosed.load());
}

// Pauses each shorter than the piece wait but longer in total: the peer is answering.
TEST(WebClientBounds, HeadSentInPausedPiecesIsReadWhole) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.SendSegments({"HTTP/1.0 200 OK\r\nCon", "tent-T", "ype: te", "xt/html\r\n\r\nok"},
                          150ms);
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(300ms);
    std::string address = test::Loopback(server.Port(), "/");
    EXPECT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_EQ(client.ContentTypeLine(), "Content-Type: text/html");
    EXPECT_EQ(client.BodyText(), "ok");
}

TEST(WebClientBounds, DrippingPeerIsEndedByTheAttemptDeadline) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(kHtmlHead);
        // Never a line end, so no single read ends by itself either.
        while (!conn.Stopping() && conn.Send("x")) {
            conn.Sleep(20ms);
        }
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(2000ms);
    client.SetAttemptDeadline(500ms);
    std::string address = test::Loopback(server.Port(), "/");
    const auto start = Clock::now();
    EXPECT_EQ(client.FetchPage(address.data()), 0);
    const long long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 450);
    EXPECT_LT(elapsed, 1500);
    EXPECT_GT(client.BodyText().size(), 5u);
}

TEST(WebClientBounds, CancelledRunMakesNoFurtherAttempt) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Sleep(10s);
    });
    CWebClient client;
    client.SetConnectTimeout(1000ms);
    client.SetPieceTimeout(5000ms);
    RunControl control;
    RunControl::Scope scope(control);
    std::thread canceller([&control] {
        std::this_thread::sleep_for(200ms);
        control.RequestCancel();
    });
    std::string address = test::Loopback(server.Port(), "/");
    const auto start = Clock::now();
    EXPECT_NE(client.FetchPageRetrying(address.data(), 3), 0);
    const long long elapsed = MillisecondsSince(start);
    canceller.join();
    // The blocked read ends within a wait slice of the cancel, and no retry follows.
    EXPECT_LT(elapsed, 1000);
    EXPECT_EQ(server.Accepted(), 1);

    // Once cancelled, nothing is attempted at all.
    EXPECT_NE(client.FetchPageRetrying(address.data(), 3), 0);
    EXPECT_NE(client.FetchHeadRetrying(address.data(), 3), 0);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(server.Accepted(), 1);
}

TEST(WebClientBounds, PausedRunStartsNoAttemptUntilResumed) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\nok");
    });
    CWebClient client;
    RunControl control;
    control.Pause();
    std::atomic<int> result{-1};
    std::string address = test::Loopback(server.Port(), "/");
    std::thread worker([&] {
        RunControl::Scope scope(control);
        result = client.FetchPageRetrying(address.data(), 3);
    });
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(server.Accepted(), 0);  // held while the Cancel question is open
    control.Resume();
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(server.Accepted(), 1);
}

}  // namespace
}  // namespace sg
