// HTTP peers that try to hold a fetch forever or fill memory, each with a bound on the time the
// fetch takes and on how far the live heap rises (MemoryBound.h). The bounds are a few times what
// a correct client needs, far below what an unbounded one would take. Each case prints its
// figures.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "net/CWebClient.h"
#include "net/HttpTestPeer.h"
#include "support/MemoryBound.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::ExpectMemoryWithin;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::Measure;
using test::Measured;
using test::MillisecondsSince;
using Clock = std::chrono::steady_clock;

constexpr const char* kHtmlHead = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

// Sends `head`, then `chunk` over and over until the client goes away or the server stops.
LoopbackServer::Handler Endless(std::string head, std::string chunk) {
    return [head, chunk](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        if (!conn.Send(head)) {
            return;
        }
        while (!conn.Stopping() && conn.Send(chunk)) {
        }
    };
}

TEST(HostileHttp, BodyThatNeverEndsIsCutAtTheCap) {
    std::string chunk;
    for (int i = 0; i < 64; ++i) {
        chunk += std::string(1022, 'b') + "\r\n";
    }
    LoopbackServer server(Endless(kHtmlHead, chunk));
    CWebClient client;
    test::UseShortWaits(client);
    client.SetAttemptDeadline(20s);
    std::string address = test::Loopback(server.Port(), "/endless");
    int result = -1;
    const Measured m = Measure("endless body", [&] { result = client.FetchPage(address.data()); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(client.BodyText().size(), CWebClient::kDefaultBodyCap);
    EXPECT_LT(m.ms, 15000);
    // The body is 8 MiB, in a string that grows by doubling (to a capacity of 15 MiB, with the
    // old buffer alive while it is copied): far from the sender's unlimited stream.
    ExpectMemoryWithin(m, 32.0);
}

TEST(HostileHttp, OneByteAtATimeIsEndedByTheAttemptDeadline) {
    // Every byte comes well within the piece wait, so only the attempt's own deadline ends it:
    // first while the status line drips (no content type, so every attempt is made), then in
    // the body.
    LoopbackServer dripHead([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        const std::string status = "HTTP/1.0 200 OK";
        for (std::size_t sent = 0; !conn.Stopping(); ++sent) {
            if (!conn.Send(sent < status.size() ? status.substr(sent, 1) : "x")) {
                break;
            }
            conn.Sleep(150ms);
        }
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(1000ms);
    client.SetAttemptDeadline(400ms);
    std::string address = test::Loopback(dripHead.Port(), "/");
    int result = -1;
    Measured m = Measure("one byte every 150 ms in the head, 3 attempts",
                         [&] { result = client.FetchPageRetrying(address.data(), 3); });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(dripHead.Accepted(), 3);
    EXPECT_GE(m.ms, 3 * 350);
    EXPECT_LT(m.ms, 3 * 400 + 1000);
    ExpectMemoryWithin(m, 2.0);

    LoopbackServer dripBody([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(kHtmlHead);
        while (!conn.Stopping() && conn.Send("b")) {
            conn.Sleep(150ms);
        }
    });
    address = test::Loopback(dripBody.Port(), "/");
    m = Measure("one byte every 150 ms in the body",
                [&] { result = client.FetchPageRetrying(address.data(), 3); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dripBody.Accepted(), 1);
    EXPECT_GE(client.BodyText().size(), 1u);
    EXPECT_LE(client.BodyText().size(), 4u);
    EXPECT_LT(m.ms, 400 + 1000);
    ExpectMemoryWithin(m, 2.0);
}

// Heads no browser takes (Chromium refuses one over 256 KiB) are no answer, not a page: a line
// of 1 MiB, 100,000 lines, informational answers without end, and a last answer that is one.
TEST(HostileHttp, HeadsBrowsersRefuseAreNoAnswer) {
    std::string manyLines = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    for (int n = 0; n < 100000; ++n) {
        manyLines += "X-" + std::to_string(n) + ": v\r\n";
    }
    const struct {
        const char* name;
        std::string head;
        // Sent over and over after `head` until the client goes.
        std::string repeated;
    } kCases[] = {
        {"a head line of 1 MiB",
         "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-Long: " + std::string(1024 * 1024, 'h') +
             "\r\n\r\n<p>body</p>",
         ""},
        {"100,000 head lines", manyLines + "\r\n<p>body</p>", ""},
        {"102 Processing without end", "", "HTTP/1.1 102 Processing\r\n\r\n"},
        {"only an informational answer", "HTTP/1.1 103 Early Hints\r\nLink: </a.css>\r\n\r\n", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&](LoopbackConnection& conn) {
            conn.ReadUntilBlankLine();
            if (!conn.Send(c.head, 5000ms)) {
                return;
            }
            while (!c.repeated.empty() && !conn.Stopping() && conn.Send(c.repeated)) {
            }
        });
        CWebClient client;
        test::UseShortWaits(client);
        const std::string address = test::Loopback(server.Port(), "/");
        int result = -1;
        const Measured m = Measure(c.name, [&] { result = client.FetchPage(address.data()); });
        EXPECT_EQ(result, CWebClient::kFetchConnectFailed);
        EXPECT_TRUE(client.Result().headerLines.empty());
        EXPECT_TRUE(client.BodyText().empty());
        EXPECT_LT(m.ms, 5000);
        ExpectMemoryWithin(m, 8.0);
    }
}

TEST(HostileHttp, NoLineEndsAtAll) {
    // Not even the status line ends, nor begins as one: no head, no content type, no body.
    LoopbackServer endless(Endless("", std::string(4096, 'n')));
    CWebClient client;
    test::UseShortWaits(client);
    client.SetAttemptDeadline(20s);
    std::string address = test::Loopback(endless.Port(), "/");
    int result = -1;
    Measured m =
        Measure("no line end, endless", [&] { result = client.FetchPage(address.data()); });
    EXPECT_EQ(result, CWebClient::kFetchNotText);
    EXPECT_TRUE(client.BodyText().empty());
    EXPECT_TRUE(client.Result().headerLines.empty());
    EXPECT_LT(m.ms, 15000);
    ExpectMemoryWithin(m, 24.0);

    // A proper head, then a body of 2 MiB without a line end: kept whole, links still found.
    const std::string body = std::string(2 * 1024 * 1024, 'n') + "<a href=\"end.html\">";
    LoopbackServer unended([&](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(kHtmlHead + body, 5000ms);
    });
    // A fresh client, so that the first one's head is not freed inside this measurement.
    CWebClient second;
    test::UseShortWaits(second);
    address = test::Loopback(unended.Port(), "/dir/");
    m = Measure("2 MiB body without a line end",
                [&] { result = second.FetchPage(address.data()); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(second.BodyText(), body);
    ASSERT_EQ(test::LinksOf(second).links.size(), 1u);
    EXPECT_EQ(test::LinksOf(second).links[0], test::Loopback(unended.Port(), "/dir/end.html"));
    EXPECT_LT(m.ms, 5000);
    // The body grown by doubling, and the server's own 2 MiB copy of what it sends.
    ExpectMemoryWithin(m, 12.0);
}

TEST(HostileHttp, NulBytesInTheBodyAreKept) {
    using namespace std::string_literals;
    const std::string body = "<html>\0\0<a href=\"one.html\">\0\r\n"s + std::string(600, '\0') +
                             "\r\n\0<frame src=\"f.html\">\0</html>"s;
    LoopbackServer server([&](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(kHtmlHead + body);
    });
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(server.Port(), "/");
    int result = -1;
    const Measured m =
        Measure("NUL bytes in the body", [&] { result = client.FetchPage(address.data()); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(client.BodyText(), body);
    std::string joined;
    for (const std::string_view piece : BodyPieces(client.BodyText())) {
        joined += piece;
    }
    EXPECT_EQ(joined, body);
    ASSERT_EQ(test::LinksOf(client).links.size(), 1u);
    EXPECT_EQ(test::LinksOf(client).links[0], test::Loopback(server.Port(), "/one.html"));
    ASSERT_EQ(test::LinksOf(client).frames.size(), 1u);
    EXPECT_LT(m.ms, 2000);
    ExpectMemoryWithin(m, 2.0);
}

TEST(HostileHttp, ResetInTheMiddleOfALine) {
    for (const bool inHead : {false, true}) {
        LoopbackServer server([inHead](LoopbackConnection& conn) {
            conn.ReadUntilBlankLine();
            if (inHead) {
                conn.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nX-Cut: hal");
            } else {
                conn.Send(std::string(kHtmlHead) + "first line\r\nsecond li");
            }
            // Let the bytes arrive before the reset, which would otherwise discard them.
            conn.Sleep(100ms);
            conn.Reset();
        });
        CWebClient client;
        test::UseShortWaits(client);
        // Long waits: the reset, not a wait, must end the fetch.
        client.SetPieceTimeout(5000ms);
        client.SetAttemptDeadline(10000ms);
        std::string address = test::Loopback(server.Port(), "/");
        int result = -1;
        const Measured m = Measure(inHead ? "reset in a head line" : "reset in a body line",
                                   [&] { result = client.FetchPage(address.data()); });
        EXPECT_EQ(result, 0);
        if (inHead) {
            // The whole lines before the reset are kept; the cut one is not a line.
            EXPECT_TRUE(client.BodyText().empty());
            EXPECT_EQ(client.ContentTypeLine(), "Content-Type: text/html");
        } else {
            EXPECT_EQ(client.BodyText().rfind("first line\r\n", 0), 0u);
        }
        EXPECT_LT(m.ms, 2000);
        ExpectMemoryWithin(m, 2.0);
    }
}

TEST(HostileHttp, ServerThatAcceptsAndNeverAnswers) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Sleep(10s);
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.SetPieceTimeout(300ms);
    std::string address = test::Loopback(server.Port(), "/");
    int result = -1;
    Measured m = Measure("never answers, page, 3 attempts",
                         [&] { result = client.FetchPageRetrying(address.data(), 3); });
    EXPECT_EQ(result, 5);
    EXPECT_GE(m.ms, 3 * 250);
    EXPECT_LT(m.ms, 3 * 300 + 1500);
    ExpectMemoryWithin(m, 2.0);

    m = Measure("never answers, head", [&] { result = client.FetchHead(address.data()); });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(client.Result().headerLines.empty());
    EXPECT_LT(m.ms, 300 + 1000);
    ExpectMemoryWithin(m, 2.0);
}

}  // namespace
}  // namespace sg
