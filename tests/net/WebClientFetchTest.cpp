// Direct page and head fetches against scripted loopback peers: the request bytes, how the
// response is cut into header lines and body pieces, the content-type test and the retries.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "net/CWebClient.h"
#include "net/HttpTestPeer.h"

namespace sg {
namespace {

using test::Answer;
using test::CountOf;
using test::HtmlResponse;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::RequestLog;
using Strings = std::vector<std::string>;

// Answers the n-th connection with responses[n] (the last one again when they run out).
LoopbackServer::Handler AnswerInTurn(RequestLog& log, Strings responses, std::atomic<int>& turn) {
    return [&log, responses, &turn](LoopbackConnection& conn) {
        log.Add(conn.ReadUntilBlankLine());
        const int n = std::min<int>(turn++, static_cast<int>(responses.size()) - 1);
        conn.Send(responses[static_cast<std::size_t>(n)]);
    };
}

TEST(WebClientFetch, PageFetchSendsTheRequestAndHoldsHeadBodyAndLinks) {
    RequestLog log;
    LoopbackServer server(Answer(log,
                                 "HTTP/1.0 200 OK\r\n"
                                 "Server: test\r\n"
                                 "CONTENT-TYPE: Text/HTML; charset=iso-8859-1\r\n"
                                 "\r\n"
                                 "<html>\r\n"
                                 "<a href=\"page.html\">p</a><a href=\"/top.html\">t</a>"
                                 "<a href=\"page.html\">again</a>\r\n"
                                 "<frame src=\"f.html\">"));
    ASSERT_NE(server.Port(), 0);
    CWebClient client;
    test::UseShortWaits(client);
    // The port written in the address is the one connected to (the client's own stays 80),
    // and the Host line names it.
    std::string address = test::Loopback(server.Port(), "/dir/index.html");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    ASSERT_TRUE(server.WaitHandled(1));

    const std::string host = test::Loopback(server.Port());
    EXPECT_EQ(log.All(), Strings{"GET /dir/index.html HTTP/1.1\r\nHost: " + host +
                                 "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n"});
    EXPECT_EQ(client.ServerPort(), 80);
    EXPECT_EQ(client.SitePort(), server.Port());
    EXPECT_EQ(client.ServerName(), host);

    EXPECT_EQ(client.Result().headerLines,
              (Strings{"HTTP/1.0 200 OK", "Server: test",
                       "CONTENT-TYPE: Text/HTML; charset=iso-8859-1"}));
    EXPECT_EQ(client.HeaderText(),
              "HTTP/1.0 200 OKServer: testCONTENT-TYPE: Text/HTML; charset=iso-8859-1");
    EXPECT_EQ(client.ContentTypeLine(), "CONTENT-TYPE: Text/HTML; charset=iso-8859-1");

    ASSERT_EQ(client.BodyLineCount(), 3);
    EXPECT_STREQ(client.BodyLine(0), "<html>\r\n");
    EXPECT_STREQ(client.BodyLine(2), "<frame src=\"f.html\">");
    EXPECT_EQ(client.BodyLine(-1), nullptr);
    EXPECT_EQ(client.BodyLine(3), nullptr);
    EXPECT_EQ(client.BodyText(),
              std::string(client.BodyLine(0)) + client.BodyLine(1) + client.BodyLine(2));

    EXPECT_EQ(client.Result().links, (Strings{host + "/dir/page.html", host + "/top.html"}));
    EXPECT_EQ(client.Result().frames, Strings{host + "/dir/f.html"});
    EXPECT_EQ(client.LinkAt(-1), "");
    EXPECT_EQ(client.LinkAt(client.LinkCount()), "");
    EXPECT_EQ(client.FrameAt(0), host + "/dir/f.html");
    EXPECT_EQ(client.FrameAt(client.FrameCount()), "");
}

TEST(WebClientFetch, AddressesSplitIntoHostAndPath) {
    CWebClient client;
    std::string path;

    std::string plain = "127.0.0.1/dir/a.html";
    EXPECT_EQ(client.SplitUrl(plain.data(), path), 0);
    EXPECT_EQ(path, "/dir/a.html");
    EXPECT_EQ(client.ServerName(), "127.0.0.1");
    EXPECT_EQ(client.ServerAddress(), "127.0.0.1");
    EXPECT_EQ(client.SitePort(), 80);

    std::string bare = "http://127.0.0.1";
    EXPECT_EQ(client.SplitUrl(bare.data(), path), 0);
    EXPECT_EQ(path, "");

    std::string query = "http://127.0.0.1?q=1";
    EXPECT_EQ(client.SplitUrl(query.data(), path), 0);
    EXPECT_EQ(path, "?q=1");

    std::string backslashes = "127.0.0.1\\a\\b.html*junk";
    EXPECT_EQ(client.SplitUrl(backslashes.data(), path), 0);
    EXPECT_EQ(backslashes, "127.0.0.1/a/b.html*junk");
    EXPECT_EQ(path, "/a/b.html");

    std::string withPort = "http://127.0.0.2:8081/x";
    EXPECT_EQ(client.SplitUrl(withPort.data(), path), 0);
    EXPECT_EQ(client.ServerName(), "127.0.0.2:8081");
    EXPECT_EQ(client.ServerAddress(), "127.0.0.2");
    EXPECT_EQ(client.SitePort(), 8081);

    std::string noHost = "http://";
    EXPECT_NE(client.SplitUrl(noHost.data(), path) & 1, 0);
    std::string longHost(300, 'a');
    EXPECT_NE(client.SplitUrl(longHost.data(), path) & 1, 0);
    EXPECT_NE(client.FetchPage(longHost.data()), 0);
    EXPECT_EQ(client.FetchPage(nullptr), 3);
}

TEST(WebClientFetch, EmptyPathAsksForTheRoot) {
    RequestLog log;
    LoopbackServer server(Answer(log, HtmlResponse("x")));
    CWebClient client;
    test::UseShortWaits(client);
    ASSERT_EQ(client.SetServerPort(server.Port()), 0);
    EXPECT_EQ(client.SetServerPort(-1), 1);
    EXPECT_EQ(client.ServerPort(), server.Port());
    std::string address = "http://127.0.0.1";
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    ASSERT_TRUE(server.WaitHandled(1));
    EXPECT_EQ(log.All(),
              Strings{"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Sitegauge/6.0\r\n\r\n"});
}

TEST(WebClientFetch, OnlyTextPagesAreRead) {
    RequestLog log;
    std::atomic<int> turn{0};
    LoopbackServer server(AnswerInTurn(
        log,
        {HtmlResponse("<a href=\"kept.html\">k</a>"),
         "HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 3\r\n\r\nGIF",
         "HTTP/1.0 200 OK\r\nContent-Type:text/html\r\n\r\n<a href=\"no.html\">n</a>",
         "HTTP/1.0 200 OK\r\nServer: none\r\n\r\n<a href=\"no.html\">n</a>",
         "HTTP/1.0 404 Not Found\r\ncontent-type: text/plain\r\n\r\n<a href=\"x.html\">x</a>\r\n"},
        turn));
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(server.Port(), "/a.html");

    ASSERT_EQ(client.FetchPage(address.data()), 0);
    ASSERT_EQ(client.LinkCount(), 1);

    // An image: the head is kept, the body is not read, and the links of the earlier page
    // stay because nothing refilled them.
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_EQ(client.Result().headerLines,
              (Strings{"HTTP/1.0 200 OK", "Content-Type: image/gif", "Content-Length: 3"}));
    EXPECT_EQ(client.BodyLineCount(), 0);
    EXPECT_EQ(client.LinkAt(0), test::Loopback(server.Port(), "/kept.html"));

    // Written without the blank after the colon, or missing: refused too.
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_EQ(client.ContentTypeLine(), "");

    // Plain text in any case is read, whatever the status; a browser shows its tags as text,
    // so it has no links and the earlier page's are gone.
    EXPECT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_EQ(client.BodyText(), "<a href=\"x.html\">x</a>\r\n");
    EXPECT_EQ(client.LinkCount(), 0);
}

TEST(WebClientFetch, LineEndSplitAcrossSegmentsEndsTheLine) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.SendSegments({"HTTP/1.0 200 OK\r", "\nContent-Type: text/html\r", "\n\r",
                           "\nline one\r", "\nline two"});
    });
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(server.Port(), "/");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_EQ(client.Result().headerLines, (Strings{"HTTP/1.0 200 OK", "Content-Type: text/html"}));
    EXPECT_EQ(client.Result().BodyPieces(), (Strings{"line one\r\n", "line two"}));
}

TEST(WebClientFetch, LongLinesComeInPiecesOfOneBuffer) {
    const std::string longHeader = "X-Long: " + std::string(1000 - 8, 'a');
    const std::string longBody(1000, 'b');
    LoopbackServer server([&](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send("HTTP/1.0 200 OK\r\n" + longHeader + "\r\nContent-Type: text/html\r\n\r\n" +
                  longBody + "\r\nend");
    });
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(server.Port(), "/");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_EQ(client.Result().headerLines,
              (Strings{"HTTP/1.0 200 OK", longHeader.substr(0, 511), longHeader.substr(511),
                       "Content-Type: text/html"}));
    EXPECT_EQ(client.Result().headerLines[2].size(), 489u);
    EXPECT_EQ(client.Result().BodyPieces(),
              (Strings{std::string(511, 'b'), std::string(489, 'b') + "\r\n", "end"}));
}

TEST(WebClientFetch, ResponseWithoutBlankLineHasNoBody) {
    LoopbackServer server([](LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n");
    });
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(server.Port(), "/");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_EQ(client.Result().headerLines.size(), 2u);
    EXPECT_EQ(client.BodyLineCount(), 0);
    EXPECT_EQ(client.LinkCount(), 0);
}

TEST(WebClientFetch, RefusedConnectionsFailAfterEveryAttempt) {
    const int port = LoopbackServer::ClosedPort();
    ASSERT_NE(port, 0);
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(port, "/");
    EXPECT_EQ(client.FetchPageRetrying(address.data(), 3), 1);
    EXPECT_EQ(client.FetchHeadRetrying(address.data(), 3), 1);
    // No request got as far as its Host line.
    EXPECT_TRUE(client.RequestHeaders().empty());
}

TEST(WebClientFetch, SecondAttemptSucceedsWithOneHostLineEach) {
    RequestLog log;
    std::atomic<int> turn{0};
    LoopbackServer server([&](LoopbackConnection& conn) {
        log.Add(conn.ReadUntilBlankLine());
        // The first connection is closed without an answer.
        if (turn++ > 0) {
            conn.Send(HtmlResponse("second\r\n"));
        }
    });
    CWebClient client;
    test::UseShortWaits(client);
    client.AddRequestHeader("Accept-Language:fr");
    std::string address = test::Loopback(server.Port(), "/p.html");
    ASSERT_EQ(client.FetchPageRetrying(address.data(), 3), 0);
    ASSERT_TRUE(server.WaitHandled(2));
    EXPECT_EQ(server.Accepted(), 2);
    const std::string expected = "GET /p.html HTTP/1.1\r\nHost: " + test::Loopback(server.Port()) +
                                 "\r\nAccept-Language:fr\r\nUser-Agent: Sitegauge/6.0\r\n\r\n";
    EXPECT_EQ(log.All(), (Strings{expected, expected}));
    EXPECT_EQ(client.RequestHeaders().size(), 2u);
    EXPECT_EQ(client.BodyText(), "second\r\n");
}

TEST(WebClientFetch, RequestHeaderLinesGetTheirLineEnd) {
    CWebClient client;
    EXPECT_EQ(client.AddRequestHeader("A: 1"), 1);
    EXPECT_EQ(client.AddRequestHeader("B: 2\n"), 1);
    EXPECT_EQ(client.AddRequestHeader("C: 3\r\n"), 1);
    EXPECT_EQ(client.AddRequestHeader("D: 4\rx"), 1);
    EXPECT_EQ(client.AddRequestHeader("E: 5\r"), 1);
    EXPECT_EQ(client.AddRequestHeader(""), 1);
    EXPECT_EQ(client.RequestHeaders(),
              (Strings{"A: 1\r\n", "B: 2\n", "C: 3\r\n", "D: 4\rx", "E: 5\r\r\n", "\r\n"}));
}

// Nothing from an address or a caller's line may end a request line early.
TEST(WebClientFetch, LineBreaksInsideARequestLineAreNeverSent) {
    RequestLog log;
    LoopbackServer server(Answer(log, HtmlResponse("x")));
    std::string smuggled =
        test::Loopback(server.Port(), "/a HTTP/1.0\r\nX-Injected: yes\r\n\r\nGET /smuggled");
    CWebClient direct;
    test::UseShortWaits(direct);
    EXPECT_EQ(direct.FetchPage(smuggled.data()), 3);
    EXPECT_EQ(direct.FetchHead(smuggled.data()), 3);
    CWebClient proxied;
    test::UseShortWaits(proxied);
    proxied.SetProxyAddress("127.0.0.1");
    proxied.SetServerPort(server.Port());
    proxied.UseProxy(1);
    EXPECT_EQ(proxied.FetchPage(smuggled.data()), 3);
    CWebClient header;
    test::UseShortWaits(header);
    header.AddRequestHeader("Referer: x\r\nX-Injected: yes");
    std::string plain = test::Loopback(server.Port(), "/");
    EXPECT_EQ(header.FetchPage(plain.data()), 3);
    for (const std::string& request : log.All()) {
        EXPECT_EQ(request.find("X-Injected"), std::string::npos) << request;
    }
}

TEST(WebClientFetch, CallersHostLineIsNotDoubled) {
    RequestLog log;
    LoopbackServer server(Answer(log, HtmlResponse("x")));
    CWebClient client;
    test::UseShortWaits(client);
    client.AddRequestHeader("Host: www.example.com");
    std::string address = test::Loopback(server.Port(), "/");
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    ASSERT_TRUE(server.WaitHandled(1));
    EXPECT_EQ(
        log.All(),
        Strings{"GET / HTTP/1.1\r\nHost: www.example.com\r\nUser-Agent: Sitegauge/6.0\r\n\r\n"});
}

TEST(WebClientFetch, HeadFetchKeepsOnlyTheHeadOfAnyType) {
    RequestLog log;
    LoopbackServer server(
        Answer(log, "HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 3\r\n\r\nGIF"));
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = test::Loopback(server.Port(), "/logo.gif");
    ASSERT_EQ(client.FetchHead(address.data()), 0);
    ASSERT_TRUE(server.WaitHandled(1));
    // A head request names the site and the program too.
    EXPECT_EQ(log.All(),
              Strings{"HEAD /logo.gif HTTP/1.1\r\nHost: " + test::Loopback(server.Port()) +
                      "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n"});
    EXPECT_EQ(client.Result().headerLines.size(), 3u);
    EXPECT_EQ(client.BodyLineCount(), 0);
}

}  // namespace
}  // namespace sg
