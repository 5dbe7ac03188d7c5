// The demo session: two sites and the engines on loopback while it runs, the own site moved to
// https with a certificate trusted only while the session runs, the process state put back when
// it stops, and the demo project with its profile.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "demo/DemoEngines.h"
#include "demo/DemoProject.h"
#include "demo/DemoSession.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineCatalogue.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountsForSite.h"
#include "html/UrlText.h"
#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "net/CWebClient.h"
#include "net/TrustedCertificates.h"
#include "platform/Connectivity.h"
#include "support/TempDir.h"

namespace sg {
namespace {

int Fetch(const std::string& url, std::string* body = nullptr) {
    CWebClient client;
    std::string address = url;
    const int result = client.FetchPageRetrying(address.data(), 1);
    if (body != nullptr) {
        *body = client.BodyText();
    }
    return result;
}

// The port of "127.0.0.1:PORT/" or "https://127.0.0.1:PORT/".
int PortOf(const std::string& url) {
    const std::size_t colon = url.find(':', url.find("127.0.0.1"));
    return std::atoi(url.c_str() + colon + 1);
}

// A plain connection to 127.0.0.1:port, or -1.
int ConnectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One request sent as it is, and all that comes back before the server closes (or 2 seconds).
std::string Exchange(int port, const std::string& request) {
    const int fd = ConnectTo(port);
    if (fd < 0) {
        return {};
    }
    timeval wait{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
    std::string answer;
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        ssize_t got;
        while ((got = ::recv(fd, buffer, sizeof(buffer), 0)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return answer;
}

TEST(DemoSession, RunsTheSitesAndTheEnginesOnLoopbackUntilStopped) {
    const EngineHosts before = CurrentEngineHosts();
    DemoSession session;
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(session.SiteUrl(0), "");
    ASSERT_EQ(session.Start(), kDemoStarted);
    ASSERT_TRUE(session.Running());

    const std::string own = session.SiteUrl(0);
    const std::string rival = session.SiteUrl(1);
    EXPECT_EQ(own.rfind("127.0.0.1:", 0), 0u);
    EXPECT_EQ(own.back(), '/');
    EXPECT_NE(own, rival);
    EXPECT_EQ(session.SiteUrl(2), "");
    std::string page;
    ASSERT_EQ(Fetch(own, &page), 0);
    EXPECT_NE(page.find("Harbor Lane"), std::string::npos);
    ASSERT_EQ(Fetch(rival, &page), 0);
    EXPECT_NE(page.find("Bean Street"), std::string::npos);

    const EngineHosts during = CurrentEngineHosts();
    for (EngineId id : kAllEngines) {
        EXPECT_EQ(during.SearchHost(id), session.EngineHost());
        EXPECT_EQ(during.LinkHost(id), session.EngineHost());
    }
    EXPECT_TRUE(IsOnline());
    // A second Start keeps what runs.
    EXPECT_EQ(session.Start(), kDemoStarted);
    EXPECT_EQ(session.SiteUrl(0), own);

    session.Stop();
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(session.EngineHost(), "");
    EXPECT_NE(Fetch(own), 0);
    const EngineHosts after = CurrentEngineHosts();
    for (int slot = 0; slot < EngineHosts::kSlotCount; ++slot) {
        EXPECT_EQ(after.SlotHost(slot), before.SlotHost(slot)) << slot;
    }
}

TEST(DemoSession, TheOwnSiteMovedToHttpsWithACertificateTrustedOnlyWhileItRuns) {
    using ::testing::HasSubstr;
    DemoSession session;
    ASSERT_EQ(session.Start(), kDemoStarted);
    const std::string own = session.SiteUrl(kDemoMovedSite);
    const std::string moved = session.MovedSiteUrl(kDemoMovedSite);
    ASSERT_EQ(moved.rfind("https://127.0.0.1:", 0), 0u) << moved;
    EXPECT_NE(PortOf(moved), PortOf(own));
    EXPECT_EQ(session.MovedSiteUrl(1), "");

    // The plain address: a 301 to the same path and query on the https port.
    const std::string answer =
        Exchange(PortOf(own), "GET /shop/index.html?week=1 HTTP/1.0\r\nHost: x\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.0 301 Moved Permanently\r\n", 0), 0u) << answer;
    EXPECT_THAT(answer, HasSubstr("\r\nLocation: " + moved + "shop/index.html?week=1\r\n"));

    // A client that stalls in its handshake holds the https port for a bounded time only; then
    // the program's client follows the redirect and the certificate verifies.
    const int stalled = ConnectTo(PortOf(moved));
    ASSERT_GE(stalled, 0);
    const auto start = std::chrono::steady_clock::now();
    CWebClient client;
    std::string address = own;
    ASSERT_EQ(client.FetchPageRetrying(address.data(), 1), CWebClient::kFetchOk)
        << client.TlsError();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    ::close(stalled);
    EXPECT_EQ(client.Redirects(), std::vector<std::string>{moved});
    EXPECT_THAT(client.BodyText(), HasSubstr("<title>Harbor Lane Coffee Roasters"));

    // It verifies only because the session trusts it: without that, it is refused.
    const std::string certificate = session.CertificatePem();
    ASSERT_EQ(RemoveTrustedCertificate(certificate), kTrustOk);
    CWebClient untrusted;
    address = moved;
    EXPECT_EQ(untrusted.FetchPageRetrying(address.data(), 1), CWebClient::kFetchConnectFailed);
    EXPECT_THAT(untrusted.TlsError(), HasSubstr("self-signed certificate"));
    ASSERT_EQ(AddTrustedCertificate(certificate), kTrustOk);

    // The rival stays plain, and Stop takes the trust back.
    CWebClient rival;
    address = session.SiteUrl(1);
    ASSERT_EQ(rival.FetchPageRetrying(address.data(), 1), CWebClient::kFetchOk);
    EXPECT_TRUE(rival.Redirects().empty());
    session.Stop();
    EXPECT_EQ(session.CertificatePem(), "");
    EXPECT_EQ(RemoveTrustedCertificate(certificate), kTrustNotFound);
}

TEST(DemoSession, TheEnginesRankEachSiteWhereTheDemoSaysAndCountItsLinks) {
    EngineEmulator emulator;
    // One port a prefix of the other: a site must not be taken for the other one.
    const std::array<std::string, kDemoSiteCount> sites = {"127.0.0.1:4012/", "127.0.0.1:40123/"};
    ConfigureDemoEngines(emulator, sites);
    int listed[kDemoSiteCount] = {};
    int absent[kDemoSiteCount] = {};
    for (int keyword = 0; keyword < static_cast<int>(kDemoKeywords.size()); ++keyword) {
        const std::string encoded = PercentEncode(kDemoKeywords[keyword]);
        for (EngineId engine : kAllEngines) {
            const int step = PageStep(engine);
            for (int site = 0; site < kDemoSiteCount; ++site) {
                const int position = DemoPosition(keyword, engine, site);
                (position > 0 ? listed : absent)[site] += 1;
                // The page that holds the position names the site; no page of an engine that
                // does not list the site does.
                for (int start = 0; start < 60; start += step) {
                    const std::string page = emulator.ResultPage(engine, encoded, start, "h");
                    const bool here = position > start && position <= start + step;
                    EXPECT_EQ(page.find(sites[site]) != std::string::npos, here)
                        << kDemoKeywords[keyword] << " engine " << EngineIndex(engine) << " site "
                        << site << " start " << start;
                }
            }
        }
    }
    // The report shows both sites ranked, and each missing on some engine (a red "x").
    for (int site = 0; site < kDemoSiteCount; ++site) {
        EXPECT_GT(listed[site], 10);
        EXPECT_GT(absent[site], 0);
    }
    for (EngineId engine : kLinkCountEngines) {
        for (int site = 0; site < kDemoSiteCount; ++site) {
            const int count = DemoLinkCount(engine, site);
            EXPECT_GT(count, 0);
            const std::string text = std::to_string(engine == EngineId::AOL ? count / 10 : count);
            EXPECT_NE(emulator.LinkCountPage(engine, sites[site]).find(text), std::string::npos)
                << EngineIndex(engine);
        }
    }
}

TEST(DemoProject, FillsTheProjectForTheRunningSitesAndSavesItsProfile) {
    test::TempDir work;
    test::ScopedEnv config("XDG_CONFIG_HOME", (work / "config").c_str());
    StartUp(work.path());
    Project project;
    project.SetName("Mine");
    project.AddUrl("www.example.com");
    project.AddKeyword("old");

    DemoSession session;
    ASSERT_EQ(OpenDemoProject(project, session), kDemoStarted);
    ASSERT_TRUE(session.Running());
    EXPECT_EQ(project.GetName(), "Coffee Demo");
    ASSERT_EQ(project.UrlCount(), 2);
    EXPECT_EQ(project.GetUrl(0)->GetUrl(), session.SiteUrl(0));
    EXPECT_EQ(project.GetUrl(1)->GetUrl(), session.SiteUrl(1));
    ASSERT_EQ(project.KeywordCount(), 3);
    EXPECT_EQ(project.GetKeyword(0), "coffee beans");

    EXPECT_EQ(DemoProfilePath(), work.path() + "/Profiles/Coffee Demo.swp");
    Project loaded;
    ASSERT_EQ(LoadProfile(loaded, DemoProfilePath(), nullptr), kProfileOk);
    EXPECT_EQ(loaded.GetName(), "Coffee Demo");
    ASSERT_EQ(loaded.UrlCount(), 2);
    EXPECT_EQ(loaded.GetUrl(1)->GetUrl(), session.SiteUrl(1));
    EXPECT_EQ(loaded.KeywordCount(), 3);

    // A working folder whose Profiles folder is gone: the project is still filled.
    std::filesystem::remove_all(work / "Profiles");
    Project again;
    EXPECT_EQ(OpenDemoProject(again, session), kDemoProfileNotSaved);
    EXPECT_EQ(again.UrlCount(), 2);
    App().paths = AppPaths();
}

}  // namespace
}  // namespace sg
