// How the crawl treats other people's sites: robots.txt read before a site's first page and
// kept (ignored on the own site only when asked), its Crawl-delay and a requested rate spacing
// the requests to a host.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/crawl/CrawlManners.h"
#include "analysis/crawl/LinkCrawler.h"
#include "analysis/linkvalidator/LinkValidatorReport.h"
#include "app/RunRecorders.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "support/FixtureSite.h"
#include "support/Gzip.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

std::string Links(const Strings& paths) {
    std::string body = "<html><body>\r\n";
    for (const std::string& path : paths) {
        body += "<a href=\"" + path + "\">x</a><img src=\"" + path + ".png\">\r\n";
    }
    return HtmlPage(body + "</body></html>\r\n");
}

std::string Text(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

// Each record's link path and status word, in record order.
Strings Judged(const LinkCrawler& crawl, const FixtureSite& site) {
    Strings out;
    for (int n = 0; n < crawl.RecordCount(); ++n) {
        const CrawlRecord r = crawl.RecordAt(n);
        const std::string link(r.link.substr(site.Url().size()));
        out.push_back(link + (r.status == LinkStatus::Blocked ? " blocked" : ""));
    }
    return out;
}

// The group of Sitegauge wins over "*"; a disallowed page or resource is recorded blocked and
// never asked; a robots.txt the server fails on closes the site, none at all opens it.
TEST(CrawlManners, RobotsTxtDecidesWhatIsAskedBeforeTheFirstPage) {
    const std::string robots =
        "User-agent: *\nDisallow: /\n\nUser-agent: Sitegauge\nDisallow: /private/\n"
        "Disallow: /*.png$\nAllow: /private/open.html\n";
    const struct {
        std::string robotsAnswer;
        Strings judged;
        Strings requests;
    } rows[] = {
        {Text(robots),
         // The longest rule decides: "Allow: /private/open.html" covers its image too.
         {"/", "/private/a.html blocked", "/private/open.html", "/b.html",
          "/private/a.html.png blocked", "/private/open.html.png", "/b.html.png blocked"},
         {"GET /robots.txt", "GET /", "HEAD /private/open.html", "HEAD /b.html",
          "HEAD /private/open.html.png"}},
        // Offered compression as pages are, and decoded.
        {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Encoding: gzip\r\n\r\n" +
             test::Gzip(robots),
         {"/", "/private/a.html blocked", "/private/open.html", "/b.html",
          "/private/a.html.png blocked", "/private/open.html.png", "/b.html.png blocked"},
         {"GET /robots.txt", "GET /", "HEAD /private/open.html", "HEAD /b.html",
          "HEAD /private/open.html.png"}},
        {"HTTP/1.0 503 Busy\r\n\r\n", {"/ blocked"}, {"GET /robots.txt"}},
        // A file cut short is not the file, and redirects that loop make none: both allow all.
        {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 900\r\n\r\n"
         "User-agent: *\nDisallow: /",
         {"/", "/private/a.html", "/private/open.html", "/b.html", "/private/a.html.png",
          "/private/open.html.png", "/b.html.png"},
         {"GET /robots.txt", "GET /", "HEAD /private/a.html", "HEAD /private/open.html",
          "HEAD /b.html", "HEAD /private/a.html.png", "HEAD /private/open.html.png",
          "HEAD /b.html.png"}},
        {"HTTP/1.0 301 Moved\r\nLocation: /robots.txt\r\n\r\n",
         {"/", "/private/a.html", "/private/open.html", "/b.html", "/private/a.html.png",
          "/private/open.html.png", "/b.html.png"},
         {"GET /robots.txt", "GET /", "HEAD /private/a.html", "HEAD /private/open.html",
          "HEAD /b.html", "HEAD /private/a.html.png", "HEAD /private/open.html.png",
          "HEAD /b.html.png"}},
        {"HTTP/1.0 404 Not Found\r\n\r\n",
         {"/", "/private/a.html", "/private/open.html", "/b.html", "/private/a.html.png",
          "/private/open.html.png", "/b.html.png"},
         {"GET /robots.txt", "GET /", "HEAD /private/a.html", "HEAD /private/open.html",
          "HEAD /b.html", "HEAD /private/a.html.png", "HEAD /private/open.html.png",
          "HEAD /b.html.png"}},
    };
    for (const auto& row : rows) {
        FixtureSite site([&](const std::string& path) {
            if (path == "/robots.txt") {
                return row.robotsAnswer;
            }
            return path == "/" ? Links({"private/a.html", "private/open.html", "b.html"})
                               : Text("x");
        });
        WebFetcher fetcher;
        LinkCrawler crawl(fetcher);
        SetConnectionsPerHost(1);
        crawl.CrawlSite(site.Url("/"), false);
        SetConnectionsPerHost(kDefaultConnectionsPerHost);
        EXPECT_EQ(Judged(crawl, site), row.judged) << row.robotsAnswer;
        EXPECT_EQ(site.Requests(), row.requests) << row.robotsAnswer;
        // Only redirects that loop make robots.txt unavailable rather than unanswered.
        EXPECT_EQ(crawl.RobotsOf(site.Url("/"))->redirectsFailed,
                  row.robotsAnswer.starts_with("HTTP/1.0 301"))
            << row.robotsAnswer;
    }
}

// A competitor's robots.txt is kept whatever the run says; the own site's is not when the run
// asks so. The report lists what was not asked in a table of its own.
TEST(CrawlManners, OnlyTheOwnSitesRobotsTxtCanBeIgnored) {
    test::TempDir dir;
    StartUp(dir.path());
    const std::string closed = Text("User-agent: *\nDisallow: /secret.html\n");
    const auto pages = [&](const std::string& path) {
        return path == "/robots.txt" ? closed : (path == "/" ? Links({"secret.html"}) : Text("x"));
    };
    FixtureSite own(pages);
    FixtureSite rival(pages);
    Project project;
    project.SetName("Manners");
    project.AddUrl(own.Url("/"));
    project.AddUrl(rival.Url("/"));
    project.PrepareRunNames("Manners");
    project.ignoreOwnRobots = true;
    WebFetcher fetcher;
    ASSERT_TRUE(WriteLinkValidatorReport(project, fetcher, false));
    EXPECT_EQ(own.CountRequests("HEAD /secret.html"), 1);
    EXPECT_EQ(own.CountRequests("GET /robots.txt"), 0);
    EXPECT_EQ(rival.CountRequests("HEAD /secret.html"), 0);
    EXPECT_EQ(project.GetUrl(0)->GetLinkCounts()->blocked, 0);
    // The page and its image ("/secret.html.png" begins with the rule's path).
    EXPECT_EQ(project.GetUrl(1)->GetLinkCounts()->blocked, 2);
    const std::string folder = App().paths.linkValidatorDir + "/" + project.GetReportName();
    std::string ownPage, rivalPage;
    ASSERT_TRUE(ReadWholeFile(folder + "/" + project.GetUrl(0)->GetLinkValidatorFile(), ownPage));
    ASSERT_TRUE(ReadWholeFile(folder + "/" + project.GetUrl(1)->GetLinkValidatorFile(), rivalPage));
    const std::string caption =
        "Not checked: the site's robots.txt keeps crawlers from these links";
    EXPECT_EQ(ownPage.find(caption), std::string::npos);
    EXPECT_NE(rivalPage.find(caption), std::string::npos);
}

// Crawl-delay spaces the requests to its host, one at a time, at most kCrawlDelayCap (here cut
// down) with a line in the log; a requested rate spaces them as well.
TEST(CrawlManners, CrawlDelayAndRateSpaceTheRequestsToAHost) {
    const struct {
        std::string robots;
        int rate;
        std::chrono::milliseconds gap;
        std::string logged;
    } rows[] = {
        {"User-agent: *\nCrawl-delay: 0.25\n", 0, std::chrono::milliseconds(250), ""},
        {"User-agent: sitegauge\nCrawl-delay: 60\n", 0, std::chrono::milliseconds(300),
         "/robots.txt asks for 60 s between requests: Sitegauge waits 0.3 s."},
        {"", 4, std::chrono::milliseconds(250), ""},
    };
    for (const auto& row : rows) {
        std::mutex mutex;
        std::vector<Clock::time_point> times;
        FixtureSite site([&](const std::string& path) {
            std::lock_guard<std::mutex> lock(mutex);
            times.push_back(Clock::now());
            if (path == "/robots.txt") {
                return Text(row.robots);
            }
            return path == "/" ? Links({"a.html", "b.html"}) : HtmlPage("<p>x</p>");
        });
        test::RecordingProgress log;
        App().progressWindow = &log;
        WebFetcher fetcher;
        LinkCrawler crawl(fetcher);
        crawl.SetCrawlDelayCap(std::chrono::milliseconds(300));
        CrawlManners manners;
        manners.requestsPerSecond = row.rate;
        crawl.SetManners(manners);
        crawl.CrawlSite(site.Url("/"), true);
        App().progressWindow = nullptr;
        // robots.txt, the start page, a.html and its image, b.html and its image.
        ASSERT_EQ(times.size(), 6u) << row.robots;
        for (std::size_t n = 1; n < times.size(); ++n) {
            EXPECT_GE(times[n] - times[n - 1], row.gap - std::chrono::milliseconds(5))
                << row.robots << " request " << n;
        }
        if (!row.logged.empty()) {
            ASSERT_EQ(log.logLines.size(), 1u);
            EXPECT_EQ(log.logLines[0], site.Url(row.logged));
        }
    }
}

}  // namespace
}  // namespace sg
