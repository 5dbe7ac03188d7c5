// The connections of a run against peers of the tests' own, for what nginx does not do: answers
// in HTTP/1.0 that end with their connection, "Connection: close", a kept-alive connection that
// the server closes instead of answering its next request, and an answer that stalls in its
// body while others go on.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "net/CWebClient.h"
#include "net/HttpTestPeer.h"
#include "net/WebSession.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::MillisecondsSince;
using Clock = std::chrono::steady_clock;
using Serving = LoopbackServer::Serving;

enum class Peer { Http10, ConnectionClose, KeepAlive, DropsSecondRequest };

std::string KeptAnswer(const std::string& body, const std::string& extra = "") {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body;
}

// Answers every request with its own path, the way `peer` does; counts the requests it read
// and the faults of a client that sends on a connection it was told is closing.
struct PathPeer {
    explicit PathPeer(Peer kind)
        : peer(kind),
          server([this](LoopbackConnection& conn) { Serve(conn); }, Serving::Concurrently) {}

    void Serve(LoopbackConnection& conn) {
        for (int onThisConnection = 0; !conn.Stopping(); ++onThisConnection) {
            const std::string head = conn.ReadUntilBlankLine(1000ms);
            if (head.empty()) {
                return;
            }
            ++requests;
            const std::string path = head.substr(4, head.find(' ', 4) - 4);
            switch (peer) {
                case Peer::Http10:
                    conn.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + path);
                    return;
                case Peer::ConnectionClose:
                    conn.Send(KeptAnswer(path, "Connection: close\r\n"));
                    // Still open for a while: a request on it now is the client's fault.
                    if (!conn.ReadUntilBlankLine(200ms).empty()) {
                        ++sentAfterClose;
                    }
                    return;
                case Peer::KeepAlive:
                    conn.Send(KeptAnswer(path));
                    break;
                case Peer::DropsSecondRequest:
                    // As a server whose idle time ran out just as the request came.
                    if (onThisConnection == 1) {
                        ++dropped;
                        return;
                    }
                    conn.Send(KeptAnswer(path));
                    break;
            }
        }
    }

    Peer peer;
    std::atomic<int> requests{0};
    std::atomic<int> sentAfterClose{0};
    std::atomic<int> dropped{0};
    LoopbackServer server;
};

TEST(WebSession, ConnectionsAreKeptOnlyWhereTheServerKeepsThem) {
    struct Case {
        Peer peer;
        int connections;
    };
    for (const Case& c : {Case{Peer::Http10, 4}, Case{Peer::ConnectionClose, 4},
                          Case{Peer::KeepAlive, 1}, Case{Peer::DropsSecondRequest, 4}}) {
        PathPeer peer(c.peer);
        const WebSession::Scope run(std::make_shared<WebSession>());
        for (int n = 0; n < 4; ++n) {
            // One client per request, as the analyses make them; one attempt each.
            CWebClient client;
            test::UseShortWaits(client);
            const std::string path = "/p" + std::to_string(n);
            std::string address = test::Loopback(peer.server.Port(), path);
            ASSERT_EQ(client.FetchPage(address.data()), CWebClient::kFetchOk)
                << static_cast<int>(c.peer) << path;
            EXPECT_EQ(client.BodyText(), path);
        }
        EXPECT_EQ(peer.server.Accepted(), c.connections) << static_cast<int>(c.peer);
        EXPECT_EQ(peer.sentAfterClose.load(), 0);
        if (c.peer == Peer::DropsSecondRequest) {
            EXPECT_EQ(peer.dropped.load(), 3);
        }
    }
}

TEST(WebSession, AnAnswerThatStallsInItsBodyHoldsUpNoOther) {
    std::atomic<int> stalls{0};
    LoopbackServer server(
        [&stalls](LoopbackConnection& conn) {
            for (;;) {
                const std::string head = conn.ReadUntilBlankLine(1000ms);
                if (head.empty()) {
                    return;
                }
                const std::string path = head.substr(4, head.find(' ', 4) - 4);
                if (path == "/stall") {
                    ++stalls;
                    conn.Send(
                        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                        "100\r\n\r\nfirst part");
                    conn.Sleep(5s);
                    return;
                }
                conn.Send(KeptAnswer(path));
            }
        },
        Serving::Concurrently);
    const auto session = std::make_shared<WebSession>(4);
    const WebSession::Scope run(session);
    RunControl control;
    CWebClient stalled;
    test::UseShortWaits(stalled);
    stalled.SetPieceTimeout(600ms);
    std::promise<int> ended;
    const auto start = Clock::now();
    stalled.StartFetch(*session, false, *Url::Parse(test::Loopback(server.Port(), "/stall")), 1,
                       control, [&ended](int result) { ended.set_value(result); });
    std::future<int> stalledResult = ended.get_future();
    // The others are answered meanwhile, over the other connections of the run.
    for (int n = 0; n < 3; ++n) {
        CWebClient client;
        test::UseShortWaits(client);
        std::string address = test::Loopback(server.Port(), "/p" + std::to_string(n));
        ASSERT_EQ(client.FetchPage(address.data()), CWebClient::kFetchOk);
        EXPECT_EQ(client.BodyText(), "/p" + std::to_string(n));
    }
    EXPECT_LT(MillisecondsSince(start), 500);
    EXPECT_EQ(stalledResult.get(), CWebClient::kFetchOk);
    const long long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 550);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(stalled.BodyText(), "first part");
    EXPECT_EQ(stalls.load(), 1);
}

}  // namespace
}  // namespace sg
