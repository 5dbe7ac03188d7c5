// Direct page and head fetches against scripted loopback peers: the request bytes, how the
// response is cut into header lines and body pieces, the content-type test and the retries.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "analysis/crawl/AnswerLinks.h"
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
using Views = std::vector<std::string_view>;

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

    EXPECT_EQ(client.BodyText(),
              "<html>\r\n<a href=\"page.html\">p</a><a href=\"/top.html\">t</a><a "
              "href=\"page.html\">again</a>\r\n<frame src=\"f.html\">");
    EXPECT_EQ(client.FinalAddress(), address);
    // The links are read after the fetch, against the address the answer came from.
    const FoundLinks found = ExtractAnswerLinks(client.Result());
    EXPECT_EQ(found.links, (Strings{host + "/dir/page.html", host + "/top.html"}));
    EXPECT_EQ(found.frames, Strings{host + "/dir/f.html"});
}

// The address is read by the one parser of addresses (Url) down to the request line: an
// address inside the path or query is part of them, never the host; the fragment is never
// sent; backslashes are slashes.
TEST(WebClientFetch, EveryAddressIsAskedOfItsOwnHostWithItsOwnPath) {
    RequestLog log;
    LoopbackServer server(Answer(log, HtmlResponse("x")));
    RequestLog otherLog;
    LoopbackServer other(Answer(otherLog, HtmlResponse("other")));
    const std::string host = test::Loopback(server.Port());
    const std::string otherHost = test::Loopback(other.Port());
    const struct {
        std::string address;
        std::string requestLine;
    } rows[] = {
        {host + "/share.html?u=http://x.example/", "GET /share.html?u=http://x.example/"},
        {"http://" + host + "/login?next=https://a.example/b",
         "GET /login?next=https://a.example/b"},
        {host + "/" + otherHost + "/x?u=http://y.example",
         "GET /" + otherHost + "/x?u=http://y.example"},
        {host + "?q=http://z.example", "GET /?q=http://z.example"},
        {"http://" + host + "/p.html#http://frag.example/", "GET /p.html"},
        {host + "\\a\\b.html", "GET /a/b.html"},
    };
    for (const auto& row : rows) {
        CWebClient client;
        test::UseShortWaits(client);
        EXPECT_EQ(client.FetchPage(row.address), 0) << row.address;
        EXPECT_EQ(client.ServerName(), host) << row.address;
        EXPECT_EQ(client.SitePort(), server.Port());
    }
    ASSERT_TRUE(server.WaitHandled(static_cast<int>(std::size(rows))));
    const Strings requests = log.All();
    ASSERT_EQ(requests.size(), std::size(rows));
    for (std::size_t n = 0; n < requests.size(); ++n) {
        EXPECT_EQ(requests[n], rows[n].requestLine + " HTTP/1.1\r\nHost: " + host +
                                   "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n");
    }
    EXPECT_EQ(other.Accepted(), 0);

    CWebClient client;
    EXPECT_EQ(client.FetchPage("http://"), 3);
    EXPECT_EQ(client.FetchPage(""), 3);
    EXPECT_NE(client.FetchPage(std::string(300, 'a')), 0);
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
    ASSERT_EQ(ExtractAnswerLinks(client.Result()).links.size(), 1u);

    // An image: the head is kept, the body is not read, and it has no links.
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_EQ(client.Result().headerLines,
              (Strings{"HTTP/1.0 200 OK", "Content-Type: image/gif", "Content-Length: 3"}));
    EXPECT_TRUE(client.BodyText().empty());
    EXPECT_TRUE(ExtractAnswerLinks(client.Result()).Empty());

    // Written without the blank after the colon, or missing: refused too.
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_EQ(client.ContentTypeLine(), "");

    // Plain text in any case is read, whatever the status; a browser shows its tags as text,
    // so it has no links.
    EXPECT_EQ(client.FetchPage(address.data()), 0);
    EXPECT_EQ(client.BodyText(), "<a href=\"x.html\">x</a>\r\n");
    EXPECT_TRUE(ExtractAnswerLinks(client.Result()).Empty());
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
    EXPECT_EQ(BodyPieces(client.BodyText()), (Views{"line one\r\n", "line two"}));
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
    const std::string piece1(511, 'b');
    const std::string piece2 = std::string(489, 'b') + "\r\n";
    EXPECT_EQ(BodyPieces(client.BodyText()), (Views{piece1, piece2, "end"}));
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
    EXPECT_TRUE(client.BodyText().empty());
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
    EXPECT_TRUE(client.BodyText().empty());
}

}  // namespace
}  // namespace sg
