// Redirects within one attempt, and the Host and User-Agent lines of every request, against
// loopback sites that answer each path with a redirect or a page.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "net/CWebClient.h"
#include "net/HttpTestPeer.h"

namespace sg {
namespace {

using test::HtmlResponse;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::RequestLog;
using Strings = std::vector<std::string>;

std::string Redirect(int code, const std::string& location) {
    return "HTTP/1.0 " + std::to_string(code) + " Moved\r\nLocation: " + location +
           "\r\nContent-Type: text/html\r\n\r\n<a href=\"moved.html\">here</a>";
}

// Answers by the path of the request line; unknown paths get a 404 page.
LoopbackServer::Handler Site(RequestLog& log, std::map<std::string, std::string> answers) {
    return [&log, answers](LoopbackConnection& conn) {
        const std::string request = conn.ReadUntilBlankLine();
        log.Add(request);
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        const auto found = answers.find(path);
        conn.Send(found != answers.end() ? found->second
                                         : "HTTP/1.0 404 Not Found\r\nContent-Type: text/html"
                                           "\r\n\r\ngone");
    };
}

TEST(WebClientRedirect, FollowsAChainAcrossHostsWithTheSameMethodAndTheRightHost) {
    RequestLog firstLog;
    RequestLog secondLog;
    LoopbackServer second(Site(secondLog, {{"/new", Redirect(302, "/final")},
                                           {"/final", HtmlResponse("<a href=\"a.html\">a</a>")}}));
    const std::string secondHost = test::Loopback(second.Port());
    LoopbackServer first(
        Site(firstLog, {{"/old", Redirect(301, "http://" + secondHost + "/new")}}));
    const std::string firstHost = test::Loopback(first.Port());

    CWebClient client;
    test::UseShortWaits(client);
    std::string address = "http://" + firstHost + "/old";
    ASSERT_EQ(client.FetchPage(address.data()), CWebClient::kFetchOk);
    EXPECT_EQ(client.Redirects(), (Strings{secondHost + "/new", secondHost + "/final"}));
    EXPECT_EQ(client.FinalAddress(), secondHost + "/final");
    EXPECT_EQ(test::LinksOf(client).links, Strings{secondHost + "/a.html"});
    ASSERT_TRUE(second.WaitHandled(2));
    EXPECT_EQ(firstLog.All(), Strings{"GET /old HTTP/1.1\r\nHost: " + firstHost +
                                      "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n"});
    EXPECT_EQ(secondLog.All(), (Strings{"GET /new HTTP/1.1\r\nHost: " + secondHost +
                                            "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n",
                                        "GET /final HTTP/1.1\r\nHost: " + secondHost +
                                            "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n"}));

    // A HEAD stays a HEAD, and a caller's own User-Agent is not doubled.
    CWebClient head;
    test::UseShortWaits(head);
    head.AddRequestHeader("User-Agent: mine");
    std::string again = firstHost + "/old";
    ASSERT_EQ(head.FetchHead(again.data()), CWebClient::kFetchOk);
    EXPECT_EQ(head.Result().headerLines.front(), "HTTP/1.0 200 OK");
    ASSERT_TRUE(second.WaitHandled(4));
    const Strings log = secondLog.All();
    EXPECT_EQ(log.back(),
              "HEAD /final HTTP/1.1\r\nHost: " + secondHost + "\r\nUser-Agent: mine\r\n\r\n");
}

TEST(WebClientRedirect, LongChainsLoopsAndOtherSchemesFailTheAttempt) {
    RequestLog log;
    std::map<std::string, std::string> answers;
    for (int i = 0; i < 6; ++i) {
        answers["/r" + std::to_string(i)] = Redirect(307, "r" + std::to_string(i + 1));
    }
    answers["/r6"] = HtmlResponse("end");
    answers["/loop"] = Redirect(303, "/loop2");
    answers["/loop2"] = Redirect(308, "/loop#again");
    answers["/ftp"] = Redirect(301, "ftp://127.0.0.1/");
    LoopbackServer site(Site(log, answers));
    const std::string host = test::Loopback(site.Port());

    struct Case {
        std::string path;
        int result;
        std::size_t redirects;
    };
    const std::vector<Case> cases = {
        {"/r1", CWebClient::kFetchOk, 5},             // five redirects: followed
        {"/r0", CWebClient::kFetchConnectFailed, 5},  // six: the attempt fails
        {"/ftp", CWebClient::kFetchConnectFailed, 0},
    };
    for (const Case& c : cases) {
        CWebClient client;
        test::UseShortWaits(client);
        std::string address = host + c.path;
        EXPECT_EQ(client.FetchPage(address.data()), c.result) << c.path;
        EXPECT_EQ(client.Redirects().size(), c.redirects) << c.path;
    }
    // Back to an address already asked (the fragment does not make it another one).
    CWebClient looping;
    test::UseShortWaits(looping);
    std::string address = "http://" + host + "/loop";
    EXPECT_EQ(looping.FetchPage(address.data()), CWebClient::kFetchConnectFailed);
    EXPECT_TRUE(looping.Result().headerLines.empty());
}

// A Location with blanks would add words to the request line ("GET /a b HTTP/1.1 X HTTP/1.1"):
// they are percent-encoded, as a link's path is, and a tab is dropped, as browsers drop it.
TEST(WebClientRedirect, BlanksOfALocationAreEncodedInTheRequestLine) {
    RequestLog log;
    LoopbackServer site(Site(log, {{"/old", Redirect(302, "/a b\tHTTP/1.1 X\xE9")},
                                   {"/a%20bHTTP/1.1%20X%E9", HtmlResponse("moved")}}));
    const std::string host = test::Loopback(site.Port());
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = host + "/old";
    ASSERT_EQ(client.FetchPage(address.data()), CWebClient::kFetchOk);
    EXPECT_EQ(client.BodyText(), "moved");
    EXPECT_EQ(client.Redirects(), Strings{host + "/a%20bHTTP/1.1%20X%E9"});
    ASSERT_TRUE(site.WaitHandled(2));
    EXPECT_EQ(log.All().back().substr(0, log.All().back().find("\r\n")),
              "GET /a%20bHTTP/1.1%20X%E9 HTTP/1.1");
}

}  // namespace
}  // namespace sg
