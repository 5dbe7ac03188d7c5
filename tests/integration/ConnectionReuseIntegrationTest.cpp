// The connections of a run against the real nginx: many requests over few connections (HTTP/1.1
// kept alive on the plain port, HTTP/2 on the TLS port), heads and chunked answers on a kept-
// alive connection, a connection the server closed while idle, the body cap ending one
// transfer only, a cancel with every transfer in flight, and TLS sessions resumed within a run
// and not across runs. nginx's log names the connection of each request; each test marks its
// requests with a token of its own in the query, as other tests use the same server meanwhile.

#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "integration/IntegrationHelpers.h"
#include "net/CWebClient.h"
#include "net/FetchAhead.h"
#include "net/WebFetcher.h"
#include "net/WebSession.h"
#include "platform/RunControl.h"
#include "support/TestServers.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Kind = FetchAhead::Kind;

const std::string kPlain = "127.0.0.1:" + std::to_string(test::kNginxPort);
const std::string kHttps = "https://127.0.0.1:" + std::to_string(test::kNginxTlsPort);

// One line of nginx's log: "CONNECTION PORT REUSED "REQUEST" STATUS".
struct Logged {
    std::string connection;
    std::string reused;
    std::string request;
};

std::string Token(const std::string& name) {
    static int count = 0;
    return "sg-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(++count);
}

// The log lines of the requests that hold `token`, once there are `count` of them (nginx writes
// a line when it has sent its answer); what there is after 3 s otherwise.
std::vector<Logged> LoggedWith(const std::string& token, std::size_t count) {
    std::vector<Logged> found;
    for (const auto end = Clock::now() + 3s; Clock::now() < end;) {
        found.clear();
        std::ifstream log(test::ServersDir() + "/access.log");
        for (std::string line; std::getline(log, line);) {
            if (line.find(token) == std::string::npos) {
                continue;
            }
            std::istringstream fields(line);
            Logged entry;
            std::string port;
            fields >> entry.connection >> port >> entry.reused;
            entry.request = line.substr(line.find('"'));
            found.push_back(entry);
        }
        if (found.size() >= count) {
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    return found;
}

std::size_t ConnectionsOf(const std::vector<Logged>& lines) {
    std::set<std::string> connections;
    for (const Logged& line : lines) {
        connections.insert(line.connection);
    }
    return connections.size();
}

std::unique_ptr<CWebClient> Fetch(const std::string& address, int& result, bool head = false) {
    auto client = std::make_unique<CWebClient>();
    std::string copy = address;
    result = head ? client->FetchHead(copy.data()) : client->FetchPage(copy.data());
    return client;
}

TEST(ConnectionReuseIntegration, ManyRequestsGoOverFewConnections) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    test::TrustTheTestCa trust;
    struct Case {
        std::string site;
        std::string served;
        std::size_t mostConnections;
        bool multiplexed;
    };
    // Four connections at most for HTTP/1.1; HTTP/2 carries all of them over one.
    for (const Case& c : {Case{kPlain, "site/index.html", 4, false},
                          Case{kHttps, "tls-site/index.html", 1, true}}) {
        const std::string token = Token("many");
        std::vector<FetchAhead::Request> requests;
        for (int n = 0; n < 40; ++n) {
            requests.emplace_back(Kind::Page,
                                  c.site + "/index.html?" + token + "-" + std::to_string(n));
        }
        WebFetcher fetcher;
        FetchAhead ahead(fetcher, 4);
        ahead.Prefetch(requests);
        for (const FetchAhead::Request& request : requests) {
            const Answer answer = ahead.Take(request.first, request.second);
            ASSERT_EQ(answer.result, Answer::kOk) << request.second << answer.tlsError;
            EXPECT_EQ(answer.BodyText(), test::ServedFile(c.served));
            EXPECT_EQ(answer.multiplexed, c.multiplexed);
        }
        const std::vector<Logged> logged = LoggedWith(token, requests.size());
        EXPECT_EQ(logged.size(), requests.size()) << c.site;
        EXPECT_GE(ConnectionsOf(logged), 1u);
        EXPECT_LE(ConnectionsOf(logged), c.mostConnections) << c.site;
    }
}

// One client per request, as the analyses make them, all in one run.
TEST(ConnectionReuseIntegration, KeptAliveConnectionCarriesHeadsChunksAndOutlivesAnIdleClose) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    const WebSession::Scope run(std::make_shared<WebSession>());
    const std::string token = Token("alive");
    int result = -1;
    auto head = Fetch(kPlain + "/logo.gif?" + token, result, true);
    ASSERT_EQ(result, CWebClient::kFetchOk);
    EXPECT_TRUE(test::HasHeader(*head, "Content-Type: image/gif"));
    EXPECT_EQ(head->Result().BodyBytes(), 0u);

    auto chunked = Fetch(kPlain + "/chunked/index.html?" + token, result);
    ASSERT_EQ(result, CWebClient::kFetchOk);
    EXPECT_TRUE(test::HasHeader(*chunked, "Transfer-Encoding: chunked"));
    std::string expected = test::ServedFile("site/index.html");
    expected.replace(expected.find("</html>"), 7, "</html><!-- chunked -->");
    EXPECT_EQ(chunked->BodyText(), expected);

    auto afterChunks = Fetch(kPlain + "/index.html?" + token, result);
    ASSERT_EQ(result, CWebClient::kFetchOk);
    EXPECT_EQ(afterChunks->BodyText(), test::ServedFile("site/index.html"));
    const std::vector<Logged> kept = LoggedWith(token, 3);
    EXPECT_EQ(ConnectionsOf(kept), 1u);

    // The server closes the connection once it has been idle for 100 ms: the next request
    // goes out on a new one, within its single attempt.
    const std::string idle = Token("idle");
    auto before = Fetch(kPlain + "/stale/index.html?" + idle, result);
    ASSERT_EQ(result, CWebClient::kFetchOk);
    std::this_thread::sleep_for(300ms);
    auto after = Fetch(kPlain + "/stale/page.html?" + idle, result);
    ASSERT_EQ(result, CWebClient::kFetchOk);
    EXPECT_EQ(after->BodyText(), test::ServedFile("site/page.html"));
    EXPECT_EQ(ConnectionsOf(LoggedWith(idle, 2)), 2u);
}

TEST(ConnectionReuseIntegration, TheBodyCapEndsOnlyItsOwnTransfer) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    test::TrustTheTestCa trust;
    const std::string big = test::ServedFile("site/big.txt");
    ASSERT_GT(big.size(), CWebClient::kDefaultBodyCap);
    struct Case {
        std::string site;
        std::string served;
        std::size_t connections;
    };
    // HTTP/2 resets the stream and keeps the connection; HTTP/1.1 must give the connection up.
    for (const Case& c :
         {Case{kHttps, "tls-site/index.html", 1}, Case{kPlain, "site/index.html", 2}}) {
        const std::string token = Token("cap");
        std::vector<FetchAhead::Request> requests = {{Kind::Page, c.site + "/big.txt?" + token}};
        for (int n = 0; n < 3; ++n) {
            requests.emplace_back(Kind::Page,
                                  c.site + "/index.html?" + token + "-" + std::to_string(n));
        }
        WebFetcher fetcher;
        FetchAhead ahead(fetcher, 1);
        for (const FetchAhead::Request& request : requests) {
            const Answer answer = ahead.Take(request.first, request.second);
            ASSERT_EQ(answer.result, Answer::kOk) << request.second;
            if (request.second.find("/big.txt") != std::string::npos) {
                EXPECT_EQ(answer.BodyText().size(), CWebClient::kDefaultBodyCap);
                EXPECT_EQ(answer.BodyText(), big.substr(0, CWebClient::kDefaultBodyCap));
            } else {
                EXPECT_EQ(answer.BodyText(), test::ServedFile(c.served));
            }
        }
        EXPECT_EQ(ConnectionsOf(LoggedWith(token, requests.size())), c.connections) << c.site;
    }
}

TEST(ConnectionReuseIntegration, CancelEndsEveryTransferInFlight) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    test::TrustTheTestCa trust;
    RunControl control;
    const RunControl::Scope scope(control);
    const std::string token = Token("cancel");
    // 8 MiB at 20 KB/s each: none ends by itself within the test. Seven a site, so that all
    // fit what the fetches ahead may hold at once (FetchAhead::kInFlightBytes).
    std::vector<FetchAhead::Request> requests;
    for (const std::string& site : {kPlain, kHttps}) {
        for (int n = 0; n < 7; ++n) {
            requests.emplace_back(Kind::Page,
                                  site + "/slow/big.txt?" + token + "-" + std::to_string(n));
        }
    }
    auto fetcher = std::make_unique<WebFetcher>();
    auto ahead = std::make_unique<FetchAhead>(*fetcher, 8);
    ahead->Prefetch(requests);
    std::this_thread::sleep_for(500ms);
    const auto start = Clock::now();
    control.RequestCancel();
    const Answer first = ahead->Take(Kind::Page, requests[0].second);
    EXPECT_LT(first.BodyText().size(), CWebClient::kDefaultBodyCap);
    ahead.reset();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_LT(elapsed.count(), 1000);
    // The run's connections close with its fetcher: the server then logs each stream, ended.
    fetcher.reset();
    // Every request had gone out before the cancel.
    EXPECT_EQ(LoggedWith(token, requests.size()).size(), requests.size());
}

TEST(ConnectionReuseIntegration, TlsSessionsAreResumedWithinARunOnly) {
    SG_REQUIRE_SERVER(test::kNginxTlsHttp1Port);
    test::TrustTheTestCa trust;
    const std::string site = "https://127.0.0.1:" + std::to_string(test::kNginxTlsHttp1Port);
    // This server closes every connection after its answer: each request makes a new one.
    for (int run = 0; run < 2; ++run) {
        const WebSession::Scope connections(std::make_shared<WebSession>());
        const std::string token = Token("resume");
        for (int n = 0; n < 3; ++n) {
            int result = -1;
            auto page = Fetch(site + "/index.html?" + token + "-" + std::to_string(n), result);
            ASSERT_EQ(result, CWebClient::kFetchOk) << page->TlsError();
            EXPECT_EQ(page->BodyText(), test::ServedFile("tls-site/index.html"));
        }
        const std::vector<Logged> logged = LoggedWith(token, 3);
        ASSERT_EQ(logged.size(), 3u);
        EXPECT_EQ(ConnectionsOf(logged), 3u);
        // A full handshake first in each run, then the session resumed.
        EXPECT_EQ(logged[0].reused, ".") << run;
        EXPECT_EQ(logged[1].reused, "r") << run;
        EXPECT_EQ(logged[2].reused, "r") << run;
    }
}

}  // namespace
}  // namespace sg
