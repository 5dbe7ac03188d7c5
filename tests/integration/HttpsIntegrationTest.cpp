// https against nginx with certificates of the test CA that test-servers.sh makes: pages and
// heads, virtual hosts on one port, redirects, certificate failures, CONNECT tunnels through
// tinyproxy, a crawl over absolute https links and the CLI's fetch.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/LinkCrawler.h"
#include "integration/IntegrationHelpers.h"
#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"
#include "net/WebFetcher.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

namespace sg {
namespace {

using Strings = std::vector<std::string>;
using test::HasHeader;

const std::string kHttps = "https://127.0.0.1:" + std::to_string(test::kNginxTlsPort);

using test::TrustTheTestCa;

int Fetch(CWebClient& client, const std::string& address, bool head = false) {
    std::string copy = address;
    return head ? client.FetchHeadRetrying(copy.data(), 3)
                : client.FetchPageRetrying(copy.data(), 3);
}

// The status line's code ("HTTP/1.1 200 OK", or "HTTP/2 200" without a reason).
bool StatusIs(const CWebClient& client, const std::string& code) {
    return std::to_string(client.StatusCode()) == code;
}

// The https index as served, with its links as written (absolute https addresses).
void ExpectTheHttpsIndex(const CWebClient& client) {
    EXPECT_TRUE(StatusIs(client, "200"));
    EXPECT_EQ(client.BodyText(), test::ServedFile("tls-site/index.html"));
    EXPECT_EQ(test::LinksOf(client).links, (Strings{kHttps + "/a.html", kHttps + "/sub/c.html"}));
    EXPECT_EQ(client.TlsError(), "");
}

TEST(HttpsIntegration, PagesAndHeadsOverTls) {
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    TrustTheTestCa trust;
    CWebClient client;
    ASSERT_EQ(Fetch(client, kHttps + "/index.html"), CWebClient::kFetchOk) << client.TlsError();
    ExpectTheHttpsIndex(client);

    CWebClient head;
    ASSERT_EQ(Fetch(head, kHttps + "/sub/c.html", true), CWebClient::kFetchOk);
    EXPECT_TRUE(StatusIs(head, "200"));
    EXPECT_TRUE(HasHeader(
        head, "Content-Length: " + std::to_string(test::ServedFile("tls-site/sub/c.html").size())));
    EXPECT_EQ(head.Result().BodyBytes(), 0u);

    // The UTF-8 pages come whole, byte for byte, with their charset.
    for (const std::string name : {"utf8-80.html", "utf8-81.html"}) {
        CWebClient page;
        ASSERT_EQ(Fetch(page, kHttps + "/" + name), CWebClient::kFetchOk) << name;
        EXPECT_TRUE(HasHeader(page, "Content-Type: text/html; charset=utf-8")) << name;
        const std::string served = test::ServedFile("tls-site/" + name);
        ASSERT_FALSE(served.empty()) << name;
        EXPECT_EQ(page.BodyText(), served) << name;
    }
}

TEST(HttpsIntegration, VirtualHostsOnOnePortAnswerByHost) {
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    TrustTheTestCa trust;
    const std::string port = std::to_string(test::kNginxTlsPort);
    for (const std::string host : {"127.0.0.1", "localhost"}) {
        const std::string address = "https://" + host + ":" + port + "/host.html";
        CWebClient page;
        ASSERT_EQ(Fetch(page, address), CWebClient::kFetchOk) << address << page.TlsError();
        EXPECT_TRUE(HasHeader(page, "X-Served-For: " + host)) << page.HeaderText();
        EXPECT_EQ(page.BodyText(), "<html><body>the site of " + host + "</body></html>\n");

        CWebClient head;
        ASSERT_EQ(Fetch(head, address, true), CWebClient::kFetchOk) << address;
        EXPECT_TRUE(HasHeader(head, "X-Served-For: " + host)) << head.HeaderText();
        EXPECT_EQ(head.Result().BodyBytes(), 0u);
    }
}

TEST(HttpsIntegration, RedirectsAreFollowedUpToFiveWithoutLoops) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    TrustTheTestCa trust;
    const std::string plain = "127.0.0.1:" + std::to_string(test::kNginxPort);

    // From http to https, for a page and for a head.
    CWebClient upgraded;
    ASSERT_EQ(Fetch(upgraded, plain + "/to-https/index.html"), CWebClient::kFetchOk);
    EXPECT_EQ(upgraded.Redirects(), Strings{kHttps + "/index.html"});
    EXPECT_EQ(upgraded.FinalAddress(), kHttps + "/index.html");
    ExpectTheHttpsIndex(upgraded);
    CWebClient upgradedHead;
    ASSERT_EQ(Fetch(upgradedHead, "http://" + plain + "/to-https/sub/c.html", true),
              CWebClient::kFetchOk);
    EXPECT_EQ(upgradedHead.FinalAddress(), kHttps + "/sub/c.html");
    EXPECT_TRUE(StatusIs(upgradedHead, "200"));

    // A Location relative to the https page asked stays on https.
    CWebClient relative;
    ASSERT_EQ(Fetch(relative, kHttps + "/sub/moved.html"), CWebClient::kFetchOk);
    EXPECT_EQ(relative.Redirects(), Strings{kHttps + "/sub/c.html"});
    EXPECT_EQ(relative.BodyText(), test::ServedFile("tls-site/sub/c.html"));

    CWebClient five;
    ASSERT_EQ(Fetch(five, kHttps + "/chain/5"), CWebClient::kFetchOk);
    EXPECT_EQ(five.Redirects(),
              (Strings{kHttps + "/chain/4", kHttps + "/chain/3", kHttps + "/chain/2",
                       kHttps + "/chain/1", kHttps + "/index.html"}));
    ExpectTheHttpsIndex(five);

    CWebClient six;
    EXPECT_EQ(Fetch(six, kHttps + "/chain/6"), CWebClient::kFetchConnectFailed);
    EXPECT_EQ(six.Redirects().size(), CWebClient::kMaxRedirects);
    EXPECT_TRUE(six.Result().headerLines.empty());
    EXPECT_EQ(six.BodyText(), "");

    // The loop ends when it comes back, not at the redirect limit.
    CWebClient loop;
    EXPECT_EQ(Fetch(loop, kHttps + "/loop/a"), CWebClient::kFetchConnectFailed);
    EXPECT_EQ(loop.Redirects(), Strings{kHttps + "/loop/b"});
    EXPECT_TRUE(loop.Result().headerLines.empty());
}

TEST(HttpsIntegration, CertificateFailuresGiveNoPageAndSayWhy) {
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    SG_REQUIRE_SERVER(test::kNginxWrongNamePort);
    SG_REQUIRE_SERVER(test::kNginxExpiredPort);
    const std::string wrongName = std::to_string(test::kNginxWrongNamePort);
    const std::string expired = std::to_string(test::kNginxExpiredPort);
    struct Case {
        std::string address;
        std::string reason;
    };
    std::vector<Case> cases = {
        {"https://127.0.0.1:" + wrongName + "/index.html", "IP address mismatch"},
        {"https://localhost:" + wrongName + "/index.html", "hostname mismatch"},
        {"https://127.0.0.1:" + expired + "/index.html", "certificate has expired"},
        {"https://localhost:" + expired + "/index.html", "certificate has expired"},
    };
    {
        TrustTheTestCa trust;
        for (const Case& c : cases) {
            CWebClient client;
            EXPECT_EQ(Fetch(client, c.address), CWebClient::kFetchConnectFailed) << c.address;
            EXPECT_NE(client.TlsError().find(c.reason), std::string::npos)
                << c.address << ": " << client.TlsError();
            EXPECT_TRUE(client.Result().headerLines.empty()) << c.address;
            EXPECT_TRUE(test::LinksOf(client).links.empty());
        }
    }
    // The good certificate, from a CA the client was not told to trust.
    test::ScopedEnv untrusted("SSL_CERT_FILE", (test::ServersDir() + "/empty/none.pem").c_str());
    test::ScopedEnv noDir("SSL_CERT_DIR", (test::ServersDir() + "/empty").c_str());
    CWebClient client;
    EXPECT_EQ(Fetch(client, kHttps + "/index.html"), CWebClient::kFetchConnectFailed);
    EXPECT_NE(client.TlsError().find("unable to get local issuer certificate"), std::string::npos)
        << client.TlsError();
    EXPECT_TRUE(client.Result().headerLines.empty());
}

TEST(HttpsIntegration, TunnelsThroughTheProxies) {
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    SG_REQUIRE_SERVER(test::kProxyPort);
    SG_REQUIRE_SERVER(test::kAuthProxyPort);
    TrustTheTestCa trust;
    const std::string index = kHttps + "/index.html";

    CWebClient open;
    test::UseProxy(open, test::kProxyPort);
    ASSERT_EQ(Fetch(open, index), CWebClient::kFetchOk) << open.TlsError();
    ExpectTheHttpsIndex(open);
    // Inside the tunnel the Host line still chooses the site.
    CWebClient openHead;
    test::UseProxy(openHead, test::kProxyPort);
    ASSERT_EQ(
        Fetch(openHead, "https://localhost:" + std::to_string(test::kNginxTlsPort) + "/host.html",
              true),
        CWebClient::kFetchOk)
        << openHead.TlsError();
    EXPECT_TRUE(HasHeader(openHead, "X-Served-For: localhost")) << openHead.HeaderText();

    CWebClient with;
    ApplyProxySettings(with, ProxySettings{"127.0.0.1", std::to_string(test::kAuthProxyPort),
                                           test::kProxyUser, test::kProxyPassword});
    ASSERT_EQ(Fetch(with, index), CWebClient::kFetchOk) << with.TlsError();
    ExpectTheHttpsIndex(with);

    // The proxy's refusal (407) is no page of the site.
    CWebClient without;
    test::UseProxy(without, test::kAuthProxyPort);
    EXPECT_EQ(Fetch(without, index), CWebClient::kFetchConnectFailed);
    EXPECT_TRUE(without.Result().headerLines.empty());
    EXPECT_EQ(without.BodyText(), "");
    EXPECT_TRUE(test::LinksOf(without).links.empty());
}

TEST(HttpsIntegration, CrawlFollowsAbsoluteHttpsLinksToEveryPageOnce) {
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    TrustTheTestCa trust;
    const Strings pages = {kHttps + "/index.html", kHttps + "/a.html", kHttps + "/b.html",
                           kHttps + "/sub/c.html"};
    WebFetcher fetcher;
    LinkCrawler crawl(fetcher);
    crawl.CrawlSite(pages.front(), true);
    auto RecordCount = [&] { return crawl.RecordCount(); };
    auto RecordAt = [&](int n) { return crawl.RecordAt(n); };
    auto FindRecord = [&](const std::string& link) { return crawl.FindRecord(link); };

    // Each page visited once records its two links once: the start's own row and two per page.
    ASSERT_EQ(RecordCount(), 1 + 2 * static_cast<int>(pages.size()));
    std::map<std::string, int> linksFrom;
    for (int n = 0; n < RecordCount(); ++n) {
        const CrawlRecord record = RecordAt(n);
        EXPECT_EQ(record.status, LinkStatus::Available) << record.link;
        EXPECT_EQ(record.link.rfind(kHttps + "/", 0), 0u) << record.link;
        if (n > 0) {
            ++linksFrom[std::string(record.fromPage)];
        }
    }
    for (const std::string& page : pages) {
        EXPECT_EQ(linksFrom[page], 2) << page;
        ASSERT_TRUE(FindRecord(page)) << page;
    }
    EXPECT_EQ(linksFrom.size(), pages.size());
}

TEST(HttpsIntegration, CliFetchPrintsRedirectsAndTlsErrors) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    SG_REQUIRE_SERVER(test::kNginxExpiredPort);
    TrustTheTestCa trust;
    test::TempDir dir;
    const std::string plain = "127.0.0.1:" + std::to_string(test::kNginxPort);

    const test::CliRun upgraded = test::RunCli(dir, "fetch " + plain + "/to-https/index.html");
    EXPECT_EQ(upgraded.exitCode, 0) << upgraded.output;
    EXPECT_EQ(upgraded.output.rfind(
                  "redirect: " + kHttps + "/index.html\nresult: 0\n" + "header: HTTP/2 200\n", 0),
              0u)
        << upgraded.output;
    EXPECT_NE(upgraded.output.find("\nlink: " + kHttps + "/a.html\n"), std::string::npos)
        << upgraded.output;
    EXPECT_EQ(upgraded.output.find("tls-error:"), std::string::npos) << upgraded.output;

    const test::CliRun expired = test::RunCli(
        dir, "fetch https://127.0.0.1:" + std::to_string(test::kNginxExpiredPort) + "/index.html");
    EXPECT_EQ(expired.exitCode, 1) << expired.output;
    EXPECT_NE(expired.output.find("tls-error: certificate has expired\n"), std::string::npos)
        << expired.output;
    EXPECT_NE(expired.output.find("result: 1\n"), std::string::npos) << expired.output;
    EXPECT_EQ(expired.output.find("header:"), std::string::npos) << expired.output;
}

// The folder of the report whose summary page is the last line of a CLI run's output.
// The folder of the summary page, the last line of the output that names an .html file (the
// counts of `links` may follow it).
std::string ReportFolderOf(const test::CliRun& run) {
    std::string output = run.output;
    std::size_t end = output.rfind(".html\n");
    if (end == std::string::npos) {
        return {};
    }
    output.resize(end + 5);
    const std::string page = output.substr(output.rfind('\n') + 1);
    return page.substr(0, page.rfind('/'));
}

std::string TitleCount(int n, bool fits) {
    return std::string("No of Characters:<font color=") + (fits ? "#0000FF" : "#FF0000") +
           " face=Verdana,Arial,Helvetica size=2>" + std::to_string(n) + "</font>";
}

TEST(HttpsIntegration, ASiteThatMovedToHttpsGetsWholeReports) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kNginxTlsPort);
    TrustTheTestCa trust;
    test::TempDir dir;
    const std::string moved = "127.0.0.1:" + std::to_string(test::kNginxPort) + "/to-https/";

    // Readiness: the pages behind the redirect, each a sub-page; UTF-8 titles in characters.
    const test::CliRun readiness =
        test::RunCli(dir, "readiness --nested --name M --url " + moved + " --url " + kHttps +
                              "/utf8-80.html --url " + kHttps + "/utf8-81.html");
    ASSERT_EQ(readiness.exitCode, 0) << readiness.output;
    const std::string folder = ReportFolderOf(readiness);
    std::string own;
    ASSERT_TRUE(ReadWholeFile(folder + "/127.html", own)) << readiness.output;
    EXPECT_EQ(own.find("301 Moved"), std::string::npos);
    for (const std::string page : {"/a.html", "/b.html", "/sub/c.html", "/index.html"}) {
        EXPECT_NE(own.find("'>" + kHttps + page + "</a>"), std::string::npos) << page;
    }
    std::string sub;
    ASSERT_TRUE(ReadWholeFile(folder + "/1271-nest.html", sub));
    EXPECT_NE(sub.find(">Page A\n</a>"), std::string::npos);
    std::string fits;
    std::string tooLong;
    ASSERT_TRUE(ReadWholeFile(folder + "/1270.html", fits));
    ASSERT_TRUE(ReadWholeFile(folder + "/1271.html", tooLong));
    EXPECT_NE(fits.find(TitleCount(80, true)), std::string::npos);
    EXPECT_NE(tooLong.find(TitleCount(81, false)), std::string::npos);

    // The Link Validator: every page of the https site is reached and judged.
    const test::CliRun links = test::RunCli(dir, "links --nested --name L --url " + moved);
    ASSERT_EQ(links.exitCode, 0) << links.output;
    std::string table;
    ASSERT_TRUE(ReadWholeFile(ReportFolderOf(links) + "/127.html", table)) << links.output;
    for (const std::string page : {"/a.html", "/b.html", "/sub/c.html", "/index.html"}) {
        EXPECT_NE(table.find("<a href =" + kHttps + page + ">"), std::string::npos) << page;
    }
}

}  // namespace
}  // namespace sg
