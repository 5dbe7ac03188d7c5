// The HTTP client and the CLI "fetch" command against real servers on loopback: nginx serving
// the test site, and tinyproxy in front of it, open and with credentials.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "integration/IntegrationHelpers.h"
#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

namespace sg {
namespace {

using Strings = std::vector<std::string>;

const std::string kSite = "127.0.0.1:" + std::to_string(test::kNginxPort);

using test::CliRun;
using test::HasHeader;
using test::RunCli;
using test::UseProxy;

std::string SiteFile(const std::string& name) {
    return test::ServedFile("site/" + name);
}

void ExpectTheIndexPage(const CWebClient& client) {
    ASSERT_FALSE(client.Result().headerLines.empty());
    EXPECT_NE(client.Result().headerLines[0].find(" 200 OK"), std::string::npos);
    EXPECT_EQ(client.BodyText(), SiteFile("index.html"));
    EXPECT_EQ(test::LinksOf(client).links, (Strings{kSite + "/page.html", kSite + "/sub/deep.html",
                                                    kSite + "/missing.html", kSite + "/logo.gif"}));
    EXPECT_EQ(test::LinksOf(client).frames, Strings{kSite + "/frame.html"});
}

TEST(HttpIntegration, DirectPageFetchResolvesLinksAndFrames) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    CWebClient client;
    std::string address = kSite + "/index.html";
    ASSERT_EQ(client.FetchPageRetrying(address.data(), 3), 0);
    ExpectTheIndexPage(client);
    EXPECT_TRUE(HasHeader(client, "Content-Type: text/html"));
}

TEST(HttpIntegration, HeadOfAnImageAndItsRefusedPage) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    CWebClient client;
    std::string address = kSite + "/logo.gif";
    ASSERT_EQ(client.FetchHeadRetrying(address.data(), 3), 0);
    EXPECT_TRUE(HasHeader(client, "Content-Type: image/gif"));
    EXPECT_TRUE(HasHeader(client, "Content-Length: 43"));
    EXPECT_TRUE(client.BodyText().empty());
    EXPECT_EQ(client.FetchPage(address.data()), 5);
    EXPECT_TRUE(client.BodyText().empty());
}

TEST(HttpIntegration, MissingPageIsFetchedWithItsStatusLine) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    CWebClient client;
    std::string address = kSite + "/missing.html";
    ASSERT_EQ(client.FetchPageRetrying(address.data(), 3), 0);
    ASSERT_FALSE(client.Result().headerLines.empty());
    EXPECT_EQ(client.Result().headerLines[0], "HTTP/1.1 404 Not Found");
    EXPECT_NE(client.BodyText().find("404 Not Found"), std::string::npos);
}

TEST(HttpIntegration, LargePageIsCutAtTheBodyCap) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    CWebClient client;
    std::string address = kSite + "/big.txt";
    ASSERT_EQ(client.FetchPage(address.data()), 0);
    // The page is larger than the cap.
    ASSERT_GT(SiteFile("big.txt").size(), CWebClient::kDefaultBodyCap);
    EXPECT_EQ(client.BodyText().size(), CWebClient::kDefaultBodyCap);
    EXPECT_EQ(client.BodyText(), SiteFile("big.txt").substr(0, CWebClient::kDefaultBodyCap));
}

TEST(HttpIntegration, PageThroughProxyHasTheSameLinks) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kProxyPort);
    CWebClient client;
    UseProxy(client, test::kProxyPort);
    std::string address = kSite + "/index.html";
    ASSERT_EQ(client.FetchPageRetrying(address.data(), 3), 0);
    ExpectTheIndexPage(client);

    std::string image = "http://" + kSite + "/logo.gif";
    EXPECT_EQ(client.FetchPage(image.data()), 5);
    ASSERT_EQ(client.FetchHead(image.data()), 0);
    EXPECT_TRUE(HasHeader(client, "Content-Type: image/gif"));
}

TEST(HttpIntegration, AuthenticatingProxyWantsTheCredentials) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kAuthProxyPort);
    std::string address = kSite + "/index.html";

    CWebClient without;
    UseProxy(without, test::kAuthProxyPort);
    without.FetchPage(address.data());
    ASSERT_FALSE(without.Result().headerLines.empty());
    EXPECT_NE(without.Result().headerLines[0].find(" 407 "), std::string::npos);

    CWebClient with;
    ApplyProxySettings(with, ProxySettings{"127.0.0.1", std::to_string(test::kAuthProxyPort),
                                           test::kProxyUser, test::kProxyPassword});
    ASSERT_EQ(with.FetchPageRetrying(address.data(), 3), 0);
    ExpectTheIndexPage(with);

    CWebClient wrong;
    ApplyProxySettings(wrong, ProxySettings{"127.0.0.1", std::to_string(test::kAuthProxyPort),
                                            test::kProxyUser, "wrong"});
    // A wrong password is refused too (this proxy answers it with 401).
    wrong.FetchPage(address.data());
    ASSERT_FALSE(wrong.Result().headerLines.empty());
    EXPECT_EQ(wrong.Result().headerLines[0].find(" 200 "), std::string::npos);
    EXPECT_TRUE(test::LinksOf(wrong).links.empty());
}

TEST(HttpIntegration, CliFetchPrintsTheResponse) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    test::TempDir dir;
    const CliRun page = RunCli(dir, "fetch " + kSite + "/index.html");
    EXPECT_EQ(page.exitCode, 0) << page.output;
    EXPECT_EQ(page.output.rfind("result: 0\nheader: HTTP/1.1 200 OK\n", 0), 0u) << page.output;
    EXPECT_NE(page.output.find("\nheader: Content-Type: text/html\n"), std::string::npos);
    EXPECT_NE(
        page.output.find("\nlink: " + kSite + "/page.html\nlink: " + kSite + "/sub/deep.html\n"),
        std::string::npos)
        << page.output;
    EXPECT_NE(page.output.find("\nframe: " + kSite + "/frame.html\n"), std::string::npos);
    const std::string bodyLine =
        "\nbody-bytes: " + std::to_string(SiteFile("index.html").size()) + "\n";
    EXPECT_EQ(page.output.size() - page.output.rfind(bodyLine), bodyLine.size()) << page.output;

    const CliRun head = RunCli(dir, "fetch --head " + kSite + "/logo.gif");
    EXPECT_EQ(head.exitCode, 0) << head.output;
    EXPECT_NE(head.output.find("\nheader: Content-Type: image/gif\n"), std::string::npos);
    EXPECT_NE(head.output.find("\nbody-bytes: 0\n"), std::string::npos);

    const CliRun image = RunCli(dir, "fetch " + kSite + "/logo.gif");
    EXPECT_EQ(image.exitCode, 1);
    EXPECT_EQ(image.output.rfind("result: 5\n", 0), 0u) << image.output;

    const CliRun usage = RunCli(dir, "fetch");
    EXPECT_EQ(usage.exitCode, 2);
}

TEST(HttpIntegration, CliFetchUsesTheProxyFile) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    SG_REQUIRE_SERVER(test::kAuthProxyPort);
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() + "/config/sitegauge");
    ASSERT_TRUE(WriteWholeFile(dir / "config/sitegauge/proxy.txt",
                               std::to_string(test::kAuthProxyPort) + "\n127.0.0.1\n" +
                                   test::kProxyUser + "\n" + test::kProxyPassword));
    const CliRun run = RunCli(dir, "fetch " + kSite + "/index.html");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("\nlink: " + kSite + "/page.html\n"), std::string::npos)
        << run.output;

    // The same file without credentials: the proxy refuses.
    ASSERT_TRUE(WriteWholeFile(dir / "config/sitegauge/proxy.txt",
                               std::to_string(test::kAuthProxyPort) + "\n127.0.0.1\n"));
    const CliRun refused = RunCli(dir, "fetch " + kSite + "/index.html");
    EXPECT_NE(refused.output.find(" 407 "), std::string::npos) << refused.output;
}

}  // namespace
}  // namespace sg
