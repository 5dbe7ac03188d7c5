// The demo sites' file server: what each request is answered with, that nothing outside the
// site's own folder can be named, and that it serves the program's own HTTP client on loopback.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "analysis/crawl/AnswerLinks.h"
#include "demo/DemoSiteFiles.h"
#include "demo/DemoSiteServer.h"
#include "net/CWebClient.h"

namespace sg {
namespace {

std::string Get(const DemoSiteServer& server, const std::string& target,
                const std::string& method = "GET") {
    return server.Answer(method + " " + target + " HTTP/1.0\r\nHost: x\r\n\r\n");
}

// A text file as served: every line end a CR LF.
std::string Served(std::string_view content) {
    std::string out;
    for (char c : content) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::string Body(const std::string& response) {
    const std::size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

TEST(DemoSiteServer, AnswersFilesWithTheirTypeAndFoldersWithTheirIndex) {
    const DemoSiteServer server("site-a");
    const DemoFile* index = FindDemoFile("site-a/index.html");
    ASSERT_NE(index, nullptr);
    for (const char* target : {"/", "/index.html", "/./index.html", "//index.html?ref=1",
                               "/index.html#top", "http://127.0.0.1:8080/index.html"}) {
        const std::string response = Get(server, target);
        EXPECT_EQ(response.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << target;
        EXPECT_NE(response.find("\r\nContent-Type: text/html\r\n"), std::string::npos) << target;
        const std::string served = Served(index->content);
        EXPECT_NE(response.find("\r\nContent-Length: " + std::to_string(served.size()) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(Body(response), served) << target;
    }
    EXPECT_EQ(Body(Get(server, "/shop/")), Served(FindDemoFile("site-a/shop/index.html")->content));
    // Pictures go out byte for byte.
    const std::string logo = Get(server, "/images/logo.svg");
    EXPECT_NE(logo.find("Content-Type: image/svg+xml\r\n"), std::string::npos);
    EXPECT_EQ(Body(logo), FindDemoFile("site-a/images/logo.svg")->content);
    EXPECT_NE(Get(server, "/style.css").find("Content-Type: text/css\r\n"), std::string::npos);
    // A percent-escape names the same file.
    EXPECT_EQ(Body(Get(server, "/%61bout.html")),
              Served(FindDemoFile("site-a/about.html")->content));

    const std::string head = Get(server, "/about.html", "HEAD");
    EXPECT_EQ(head.rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
    EXPECT_TRUE(Body(head).empty());
    EXPECT_NE(head.find("Content-Length: " +
                        std::to_string(Served(FindDemoFile("site-a/about.html")->content).size())),
              std::string::npos);
}

TEST(DemoSiteServer, MissingPagesAreNotFoundAsTheLinkValidatorJudgesThem) {
    const DemoSiteServer server("site-a");
    for (const char* target : {"/specials.html", "/shop", "/Index.html", "/images/"}) {
        const std::string response = Get(server, target);
        EXPECT_EQ(response.rfind("HTTP/1.0 404 Not Found\r\n", 0), 0u) << target;
        EXPECT_NE(Body(response).find("404 Not Found"), std::string::npos);
    }
    EXPECT_TRUE(Body(Get(server, "/missing.html", "HEAD")).empty());
    EXPECT_EQ(Get(server, "/index.html", "POST").rfind("HTTP/1.0 501 ", 0), 0u);
    EXPECT_EQ(server.Answer("garbage\r\n\r\n").rfind("HTTP/1.0 400 ", 0), 0u);
    EXPECT_EQ(server.Answer("").rfind("HTTP/1.0 400 ", 0), 0u);
    EXPECT_EQ(Get(server, "index.html").rfind("HTTP/1.0 404 ", 0), 0u);
}

TEST(DemoSiteServer, NoTargetLeavesTheSiteFolder) {
    // site-b/index.html exists, so each of these would reach it if ".." were resolved.
    ASSERT_NE(FindDemoFile("site-b/index.html"), nullptr);
    const DemoSiteServer server("site-a");
    for (const char* target :
         {"/../site-b/index.html", "/shop/../../site-b/index.html", "/%2e%2e/site-b/index.html",
          "/%2E%2E%2Fsite-b%2Findex.html", "/..%2fsite-b/index.html", "/shop/../index.html", "/..",
          "/../", "/%00index.html", "/index.html%", "/index.html%4", "/%zz",
          "/..\\site-b/index.html", "/%5c..%5csite-b/index.html"}) {
        EXPECT_EQ(server.FileForTarget(target), "") << target;
        EXPECT_EQ(Get(server, target).rfind("HTTP/1.0 404 ", 0), 0u) << target;
    }
    EXPECT_EQ(server.FileForTarget("/shop/beans/index.html"), "site-a/shop/beans/index.html");
    EXPECT_EQ(DemoSiteServer("site-b").FileForTarget("/"), "site-b/index.html");
}

TEST(DemoSiteServer, ServesTheProgramsClientOnLoopback) {
    DemoSiteServer server("site-b");
    ASSERT_TRUE(server.Start());
    ASSERT_NE(server.Port(), 0);
    EXPECT_EQ(server.Host(), "127.0.0.1:" + std::to_string(server.Port()));

    CWebClient client;
    std::string address = server.Host() + "/menu/index.html";
    ASSERT_EQ(client.FetchPageRetrying(address.data(), 1), 0);
    EXPECT_NE(client.BodyText().find("<frameset"), std::string::npos);
    // The frames of the frameset page are found, as the crawl needs them.
    EXPECT_EQ(ExtractAnswerLinks(client.Result()).frames.size(), 2u);

    CWebClient missing;
    address = server.Host() + "/old-menu.html";
    missing.FetchPageRetrying(address.data(), 1);
    EXPECT_NE(missing.HeaderText().find("404"), std::string::npos);
    EXPECT_EQ(server.RequestCount(), 2);
}

TEST(DemoSiteServer, ASilentClientHoldsTheServerOnlyForABoundedTime) {
    DemoSiteServer server("site-a");
    ASSERT_TRUE(server.Start());
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(server.Port()));
    ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    const auto start = std::chrono::steady_clock::now();
    CWebClient client;
    std::string page = server.Host() + "/about.html";
    EXPECT_EQ(client.FetchPageRetrying(page.data(), 1), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::seconds(4));
    ::close(silent);

    server.Stop();
    EXPECT_FALSE(server.Running());
    CWebClient after;
    EXPECT_NE(after.FetchPageRetrying(page.data(), 1), 0);
}

}  // namespace
}  // namespace sg
