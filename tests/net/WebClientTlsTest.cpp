// https:// addresses against TLS peers on loopback whose certificates the test makes with the
// openssl command: a trusted one, one for another name, one nobody trusts, a peer that never
// completes the handshake, and a plain site that redirects to the TLS one; and the trust the
// process adds, which takes no authority.

#include <fcntl.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "cli/CliRunner.h"
#include "net/CWebClient.h"
#include "net/HttpTestPeer.h"
#include "net/TrustedCertificates.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::RequestLog;

// A self-signed certificate (its own trust anchor) for `names`, as NAME.pem and NAME.key.
bool MakeCertificate(const test::TempDir& dir, const std::string& name, const std::string& names) {
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj "
        "/CN=" +
        name + " -addext subjectAltName=" + names + " -keyout '" + dir / (name + ".key") +
        "' -out '" + dir / (name + ".pem") + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The server side of one TLS connection on a blocking socket, with certificate and key files:
// the handshake is made at once; both are freed with the object.
struct ServerTls {
    ServerTls(LoopbackConnection& conn, const std::string& cert, const std::string& key) {
        ::fcntl(conn.Fd(), F_SETFL, ::fcntl(conn.Fd(), F_GETFL) & ~O_NONBLOCK);
        context = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate_chain_file(context, cert.c_str());
        SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM);
        ssl = SSL_new(context);
        SSL_set_fd(ssl, conn.Fd());
        accepted = SSL_accept(ssl) == 1;
    }
    ~ServerTls() {
        SSL_free(ssl);
        SSL_CTX_free(context);
    }
    ServerTls(const ServerTls&) = delete;
    ServerTls& operator=(const ServerTls&) = delete;

    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    bool accepted = false;
};

// Serves one HTTP answer over TLS with the certificate NAME of `dir`, logging each request.
LoopbackServer::Handler TlsSite(const test::TempDir& dir, const std::string& name, RequestLog& log,
                                std::string answer) {
    const std::string cert = dir / (name + ".pem");
    const std::string key = dir / (name + ".key");
    return [cert, key, &log, answer](LoopbackConnection& conn) {
        timeval wait{2, 0};
        ::setsockopt(conn.Fd(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
        ServerTls tls(conn, cert, key);
        SSL* ssl = tls.ssl;
        if (tls.accepted) {
            std::string request;
            char buffer[512];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = SSL_read(ssl, buffer, sizeof(buffer));
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(got));
            }
            log.Add(request);
            SSL_write(ssl, answer.data(), static_cast<int>(answer.size()));
            SSL_shutdown(ssl);
        }
    };
}

// Copies bytes both ways until either side closes.
void Relay(LoopbackConnection& a, LoopbackConnection& b) {
    char buffer[4096];
    for (;;) {
        pollfd both[2] = {{a.Fd(), POLLIN, 0}, {b.Fd(), POLLIN, 0}};
        if (::poll(both, 2, 2000) <= 0) {
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if ((both[i].revents & (POLLIN | POLLHUP)) == 0) {
                continue;
            }
            const ssize_t got = ::recv(both[i].fd, buffer, sizeof(buffer), 0);
            if (got <= 0 || ::send(both[1 - i].fd, buffer, static_cast<std::size_t>(got),
                                   MSG_NOSIGNAL) != got) {
                return;
            }
        }
    }
}

TEST(WebClientTls, HttpsIsFetchedOverACheckedConnection) {
    test::TempDir dir;
    ASSERT_TRUE(MakeCertificate(dir, "site", "IP:127.0.0.1,DNS:localhost"));
    ASSERT_TRUE(MakeCertificate(dir, "other", "DNS:other.example"));
    test::ScopedEnv trust("SSL_CERT_FILE", (dir / "site.pem").c_str());
    test::ScopedEnv noDir("SSL_CERT_DIR", (dir / "none").c_str());

    RequestLog log;
    LoopbackServer site(TlsSite(dir, "site", log, test::HtmlResponse("<a href=\"/b.html\">b</a>")));
    const std::string host = test::Loopback(site.Port());
    CWebClient client;
    test::UseShortWaits(client);
    std::string address = "https://" + host + "/a.html";
    ASSERT_EQ(client.FetchPage(address.data()), CWebClient::kFetchOk) << client.TlsError();
    EXPECT_EQ(client.BodyText(), "<a href=\"/b.html\">b</a>");
    EXPECT_EQ(test::LinksOf(client).links, std::vector<std::string>{"https://" + host + "/b.html"});
    ASSERT_TRUE(site.WaitHandled(1));
    EXPECT_EQ(log.All().front(),
              "GET /a.html HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n");

    // A plain site that moved to the TLS one.
    RequestLog plainLog;
    LoopbackServer plain(test::Answer(
        plainLog, "HTTP/1.0 301 Moved\r\nLocation: https://" + host + "/a.html\r\n\r\n"));
    CWebClient moved;
    test::UseShortWaits(moved);
    std::string old = test::Loopback(plain.Port(), "/");
    ASSERT_EQ(moved.FetchPage(old.data()), CWebClient::kFetchOk) << moved.TlsError();
    EXPECT_EQ(moved.FinalAddress(), "https://" + host + "/a.html");
    EXPECT_FALSE(moved.LeftHttps());

    // A certificate for another name, and one nobody trusts: connection failures with reasons.
    struct Case {
        std::string certificate;
        std::string reason;
    };
    for (const Case& c : {Case{"other", ""}, Case{"site", "self-signed"}}) {
        test::ScopedEnv trusted(
            "SSL_CERT_FILE", (dir / (c.certificate == "other" ? "other.pem" : "none.pem")).c_str());
        RequestLog ignored;
        LoopbackServer wrong(TlsSite(dir, c.certificate, ignored, test::HtmlResponse("x")));
        CWebClient refused;
        test::UseShortWaits(refused);
        std::string there = "https://" + test::Loopback(wrong.Port(), "/");
        EXPECT_EQ(refused.FetchPage(there.data()), CWebClient::kFetchConnectFailed);
        EXPECT_FALSE(refused.TlsError().empty());
        if (!c.reason.empty()) {
            EXPECT_NE(refused.TlsError().find(c.reason), std::string::npos) << refused.TlsError();
        } else {
            EXPECT_NE(refused.TlsError().find("mismatch"), std::string::npos) << refused.TlsError();
        }
    }

    // Through a proxy: a CONNECT tunnel that carries the proxy's credentials, then TLS to the
    // site, which never sees them.
    RequestLog connects;
    const int sitePort = site.Port();
    LoopbackServer proxy([&connects, sitePort](LoopbackConnection& conn) {
        connects.Add(conn.ReadUntilBlankLine());
        LoopbackConnection upstream = conn.ConnectTo(sitePort);
        conn.Send("HTTP/1.0 200 Connection established\r\n\r\n");
        Relay(conn, upstream);
    });
    CWebClient tunnelled;
    test::UseShortWaits(tunnelled);
    tunnelled.SetProxyAddress("127.0.0.1");
    tunnelled.SetServerPort(proxy.Port());
    tunnelled.UseProxy(1);
    tunnelled.AddRequestHeader("Proxy-Authorization: Basic dTpw");
    std::string viaProxy = "https://" + host + "/a.html";
    ASSERT_EQ(tunnelled.FetchPage(viaProxy.data()), CWebClient::kFetchOk) << tunnelled.TlsError();
    EXPECT_EQ(tunnelled.BodyText(), "<a href=\"/b.html\">b</a>");
    EXPECT_EQ(connects.All().front(), "CONNECT " + host + " HTTP/1.1\r\nHost: " + host +
                                          "\r\nProxy-Authorization: Basic dTpw\r\n\r\n");
    ASSERT_TRUE(site.WaitHandled(3));
    EXPECT_EQ(log.All().back(),
              "GET /a.html HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: Sitegauge/6.0\r\n\r\n");

    // Peers that go away after the handshake: one resets the connection before the request,
    // one stops in the middle of a record. Each ends the fetch, neither the program.
    for (const bool midRecord : {false, true}) {
        const std::string cert = dir / "site.pem";
        const std::string key = dir / "site.key";
        LoopbackServer gone([cert, key, midRecord](LoopbackConnection& conn) {
            ServerTls tls(conn, cert, key);
            SSL* ssl = tls.ssl;
            if (tls.accepted) {
                if (midRecord) {
                    char request[512];
                    SSL_read(ssl, request, sizeof(request));
                    // An application-data record header announcing 64 bytes, and 3 of them.
                    conn.Send(
                        std::string("\x17\x03\x03\x00\x40"
                                    "abc",
                                    8));
                    conn.Close();
                } else {
                    conn.Reset();
                }
            }
        });
        CWebClient cut;
        test::UseShortWaits(cut);
        std::string there = "https://" + test::Loopback(gone.Port(), "/");
        const auto began = std::chrono::steady_clock::now();
        const int result = cut.FetchPage(there.data());
        EXPECT_TRUE(result == CWebClient::kFetchNotText || result == CWebClient::kFetchSendFailed)
            << result;
        EXPECT_LT(std::chrono::steady_clock::now() - began, 2s);
    }

    // A peer that takes the connection and never answers the handshake: bounded.
    LoopbackServer silent([](LoopbackConnection& conn) { conn.Sleep(5s); });
    CWebClient waiting;
    test::UseShortWaits(waiting);
    waiting.SetConnectTimeout(300ms);
    std::string quiet = "https://" + test::Loopback(silent.Port(), "/");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waiting.FetchPage(quiet.data()), CWebClient::kFetchConnectFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_NE(waiting.TlsError().find("timed out"), std::string::npos) << waiting.TlsError();
}

// The process-wide trust takes a server's own certificate only: an authority would vouch for
// every host it signs for.
// A page asked over https that redirects to a plain http address: followed (sites do move
// back), and the hop is marked, also in what `fetch` prints.
TEST(WebClientTls, ARedirectThatLeavesHttpsIsFollowedAndMarked) {
    test::TempDir dir;
    ASSERT_TRUE(MakeCertificate(dir, "site", "IP:127.0.0.1,DNS:localhost"));
    test::ScopedEnv trust("SSL_CERT_FILE", (dir / "site.pem").c_str());
    test::ScopedEnv noDir("SSL_CERT_DIR", (dir / "none").c_str());
    RequestLog plainLog;
    LoopbackServer plain(test::Answer(plainLog, test::HtmlResponse("plain")));
    const std::string plainHost = test::Loopback(plain.Port());
    RequestLog log;
    LoopbackServer site(
        TlsSite(dir, "site", log,
                "HTTP/1.0 301 Moved\r\nLocation: http://" + plainHost + "/p.html\r\n\r\n"));
    const std::string address = "https://" + test::Loopback(site.Port(), "/a.html");

    CWebClient client;
    test::UseShortWaits(client);
    std::string asked = address;
    ASSERT_EQ(client.FetchPage(asked.data()), CWebClient::kFetchOk) << client.TlsError();
    EXPECT_EQ(client.BodyText(), "plain");
    EXPECT_EQ(client.Redirects(), std::vector<std::string>{plainHost + "/p.html"});
    EXPECT_TRUE(client.HopLeavesHttps(0));
    EXPECT_TRUE(client.LeftHttps());

    const test::CliResult run = test::RunCli(dir.path(), {"fetch", address});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("redirect: " + plainHost + "/p.html (leaves https)\nresult: 0\n", 0),
              0u)
        << run.out;
}

TEST(WebClientTls, TheAddedTrustTakesNoAuthority) {
    test::TempDir dir;
    ASSERT_TRUE(MakeCertificate(dir, "authority", "IP:127.0.0.1"));
    std::string pem;
    ASSERT_TRUE(ReadWholeFile(dir / "authority.pem", pem));
    EXPECT_EQ(AddTrustedCertificate(pem), kTrustIsAuthority);
    EXPECT_EQ(RemoveTrustedCertificate(pem), kTrustNotFound);
    EXPECT_EQ(AddTrustedCertificate("-----BEGIN CERTIFICATE-----\nAAAA\n"), kTrustNoCertificate);
}

}  // namespace
}  // namespace sg
