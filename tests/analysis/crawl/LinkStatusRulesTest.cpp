// How the crawl judges an answer: by its status code (a 404 without words, 403, 410, 500 are
// broken and keep their code), a HEAD the server does not do asked again with GET, a slow-down
// answer asked again after its Retry-After, and resources judged by their head, never visited.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "analysis/crawl/LinkCrawler.h"
#include "net/AnswerRules.h"
#include "net/ConnectionSetting.h"
#include "net/WebFetcher.h"
#include "support/FixtureSite.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::FixtureSite;
using test::HtmlPage;
using Strings = std::vector<std::string>;

std::string Answer(const std::string& status, const std::string& extra = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\n" + extra +
           "\r\n<html><body>Sorry, this page is gone</body></html>";
}

// "link status code kind" for each record after the start page's own.
Strings Judged(const LinkCrawler& crawl) {
    Strings out;
    for (int n = 1; n < crawl.RecordCount(); ++n) {
        const CrawlRecord r = crawl.RecordAt(n);
        const std::string path(r.link.substr(r.link.find('/')));
        out.push_back(path + " " + std::to_string(static_cast<int>(r.status)) + " " +
                      std::to_string(r.httpStatus) +
                      (r.kind == LinkKind::Resource ? " resource" : " page"));
    }
    return out;
}

class LinkStatusRules : public ::testing::Test {
  protected:
    void SetUp() override { SetConnectionsPerHost(1); }
    void TearDown() override { SetConnectionsPerHost(kDefaultConnectionsPerHost); }
};

TEST_F(LinkStatusRules, TheStatusCodeDecidesAndIsKept) {
    int busy = 0;
    FixtureSite* self = nullptr;
    FixtureSite site([&](const std::string& path) {
        const bool head = self->Requests().back().starts_with("HEAD");
        if (path == "/") {
            return HtmlPage(
                "<html><head><link rel=stylesheet href=style.css></head><body>"
                "<a href=plain404.html>a</a><a href=forbidden.html>b</a><a href=gone.html>c</a>"
                "<a href=error.html>d</a><a href=busy.html>e</a><a href=nohead.html>f</a>"
                "<a href=nohead-missing.html>g</a><a href=moved.html>h</a>"
                "<img src=missing.png></body></html>");
        }
        if (path == "/plain404.html" || path == "/missing.png") {
            return Answer("404 Not Found");
        }
        if (path == "/forbidden.html") {
            return Answer("403 Forbidden");
        }
        if (path == "/gone.html") {
            return Answer("410 Gone");
        }
        if (path == "/error.html") {
            return Answer("500 Internal Server Error");
        }
        if (path == "/busy.html") {
            return ++busy == 1 ? Answer("429 Too Many Requests", "Retry-After: 1\r\n")
                               : HtmlPage("ok");
        }
        if (path == "/nohead.html") {
            return head ? Answer("405 Method Not Allowed") : HtmlPage("ok");
        }
        if (path == "/nohead-missing.html") {
            return head ? Answer("501 Not Implemented") : Answer("404 Not Found");
        }
        if (path == "/moved.html") {
            return std::string("HTTP/1.1 301 Moved\r\nLocation: /style.css\r\n\r\n");
        }
        return std::string("HTTP/1.1 200 OK\r\nContent-Type: text/css\r\n\r\nbody{}");
    });
    self = &site;
    WebFetcher fetcher;
    LinkCrawler crawl(fetcher);
    // A Retry-After of one second is waited for a twentieth of it here.
    crawl.SetRetryAfterCap(50ms);
    const auto started = std::chrono::steady_clock::now();
    crawl.CrawlSite(site.Url("/"), false);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 900ms);
    EXPECT_EQ(Judged(crawl), (Strings{"/plain404.html 0 404 page", "/forbidden.html 0 403 page",
                                      "/gone.html 0 410 page", "/error.html 0 500 page",
                                      "/busy.html 2 200 page", "/nohead.html 2 200 page",
                                      "/nohead-missing.html 0 404 page", "/moved.html 2 200 page",
                                      "/style.css 2 200 resource", "/missing.png 0 404 resource"}));
    EXPECT_EQ(site.CountRequests("HEAD /busy.html"), 2);
    EXPECT_EQ(site.CountRequests("GET /busy.html"), 0);
    EXPECT_EQ(site.CountRequests("HEAD /nohead.html"), 1);
    EXPECT_EQ(site.CountRequests("GET /nohead.html"), 1);
    EXPECT_EQ(site.CountRequests("GET /forbidden.html"), 0);
    // Resources are judged by their head; a style sheet is then read once, for what it loads.
    EXPECT_EQ(site.CountRequests("GET /style.css"), 1);

    // Visited, the same pages are judged the same way by their GET.
    busy = 0;
    LinkCrawler visiting(fetcher);
    visiting.SetRetryAfterCap(50ms);
    visiting.CrawlSite(site.Url("/"), true);
    EXPECT_EQ(Judged(visiting), Judged(crawl));
    const LinkCounts counts = visiting.Counts();
    EXPECT_EQ(counts.pagesVisited, 9);
    EXPECT_EQ(counts.linksJudged, 11);
    EXPECT_EQ(counts.broken, 6);
    EXPECT_EQ(counts.unreachable, 0);
}

TEST(RetryAfter, SecondsDatesAndTheCap) {
    const auto now = std::chrono::system_clock::from_time_t(784111777);  // 06 Nov 1994 08:49:37
    struct Row {
        Strings lines;
        std::chrono::milliseconds expected;
    };
    const Row rows[] = {
        {{"HTTP/1.1 429 Too Many Requests", "Retry-After: 2"}, 2000ms},
        {{"retry-after:   7  "}, 7000ms},
        {{"Retry-After: 120"}, 30000ms},
        {{"Retry-After: 99999999999999999999"}, 30000ms},
        {{"Retry-After: Sun, 06 Nov 1994 08:49:40 GMT"}, 3000ms},
        {{"Retry-After: Sun, 06 Nov 1994 08:49:30 GMT"}, 0ms},
        // Dates are capped like seconds, also past what a clock's time point holds.
        {{"Retry-After: Sun, 06 Nov 1994 08:50:07 GMT"}, 30000ms},
        {{"Retry-After: Sun, 06 Nov 1994 08:50:08 GMT"}, 30000ms},
        {{"Retry-After: Sun, 06 Nov 1994 09:49:37 GMT"}, 30000ms},
        {{"Retry-After: Fri, 31 Dec 2500 23:59:59 GMT"}, 30000ms},
        {{"Retry-After: Fri, 31 Dec 9999 23:59:59 GMT"}, 30000ms},
        {{"Retry-After: Mon, 01 Jan 1300 00:00:00 GMT"}, 0ms},
        {{"Retry-After: soon"}, kRetryAfterDefault},
        {{"HTTP/1.1 503 Service Unavailable"}, kRetryAfterDefault},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(RetryAfterWait(row.lines, kRetryAfterCap, now), row.expected) << row.lines.back();
    }
    EXPECT_EQ(RetryAfterWait({"Retry-After: 5"}, 50ms, now), 50ms);
    EXPECT_TRUE(HeadNeedsGet(405) && HeadNeedsGet(501) && !HeadNeedsGet(404));
    EXPECT_TRUE(AsksToSlowDown(429) && AsksToSlowDown(503) && !AsksToSlowDown(500));
}

}  // namespace
}  // namespace sg
