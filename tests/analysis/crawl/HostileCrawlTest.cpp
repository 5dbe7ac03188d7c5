// What one hostile site can make the crawl do: bounded in memory and time, and each bound that
// acted said.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "analysis/crawl/LinkCrawler.h"
#include "analysis/crawl/PageBoundSetting.h"
#include "app/RunRecorders.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "net/WebFetcher.h"
#include "support/FixtureSite.h"
#include "support/MemoryBound.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;
using Strings = std::vector<std::string>;

class HostileCrawl : public ::testing::Test {
  protected:
    void SetUp() override { App().progressWindow = &log_; }
    void TearDown() override {
        App().progressWindow = nullptr;
        SetMaxLinksPerPage(static_cast<int>(kDefaultLinksPerPage));
    }
    test::RecordingProgress log_;
    WebFetcher fetcher_;
};

// A long <base href> makes every one of many short links a long address: the page's links are
// read up to the limit, none of the long ones is asked or kept whole, and both bounds are said.
TEST_F(HostileCrawl, ALongBaseAndManyLinksStayWithinTheLinkAndAddressBounds) {
    constexpr int kLinks = 20000;
    constexpr int kRead = 1000;
    SetMaxLinksPerPage(kRead);
    std::string page = "<html><head><base href=\"/" + std::string(64 * 1024, 'a') + "/\">";
    for (int n = 0; n < kLinks; ++n) {
        page += "<a href=\"p" + std::to_string(n) + "\">x</a>";
    }
    // Links read already, or past the limit already, are not counted again.
    page += "<a href=\"p0\">x</a><a href=\"p19999\">x</a><a href=\"mailto:x@y\">x</a>";
    FixtureSite site([&](const std::string& path) {
        return path == "/" ? HtmlPage(page + "</html>") : HtmlPage("x");
    });
    LinkCrawler crawl(fetcher_);
    const test::Measured m =
        test::Measure("long base, many links", [&] { crawl.CrawlSite(site.Url("/"), true); });
    ASSERT_EQ(crawl.RecordCount(), 1 + kRead);
    for (int n = 1; n < crawl.RecordCount(); ++n) {
        const CrawlRecord record = crawl.RecordAt(n);
        ASSERT_EQ(record.because, BrokenBecause::AddressTooLong);
        ASSERT_EQ(record.link.size(), kTooLongShown);
        // Its end tells it from the others that share the long base.
        ASSERT_TRUE(record.link.ends_with("/p" + std::to_string(n - 1))) << n;
    }
    EXPECT_EQ(site.Requests(), (Strings{"GET /robots.txt", "GET /"}));
    const LinkCounts counts = crawl.Counts();
    EXPECT_EQ(counts.linksNotRead, static_cast<std::size_t>(kLinks - kRead));
    EXPECT_NE(LinkCountsText(counts).find("19000 links past the per-page limit not read"),
              std::string::npos);
    ASSERT_EQ(log_.logLines.size(), 1u);
    EXPECT_EQ(log_.logLines[0],
              site.Url("/") + ": 19000 links past the limit of 1000 a page were not read.");
    test::ExpectMemoryWithin(m, 64.0);
}

// Each link answers "slow down" with an endless Retry-After: the waits of one host share one
// budget, after which its links are judged by the answer they got, and the log says so once.
TEST_F(HostileCrawl, SlowDownAnswersShareOneBudgetOfWaitingPerHost) {
    FixtureSite site([&](const std::string& path) {
        if (path == "/") {
            return HtmlPage("<a href=a>a</a><a href=b>b</a><a href=c>c</a><a href=d>d</a>");
        }
        return std::string("HTTP/1.1 429 Too Many Requests\r\nRetry-After: 999999999\r\n\r\n");
    });
    LinkCrawler crawl(fetcher_);
    crawl.SetRetryAfterCap(std::chrono::milliseconds(100));
    crawl.SetRetryBudget(std::chrono::milliseconds(250));
    const auto start = std::chrono::steady_clock::now();
    crawl.CrawlSite(site.Url("/"), false);
    // Two waits of 100 ms fit the budget; the third link would pass it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(site.CountRequests("HEAD /a"), 2);
    EXPECT_EQ(site.CountRequests("HEAD /b"), 2);
    EXPECT_EQ(site.CountRequests("HEAD /c"), 1);
    EXPECT_EQ(site.CountRequests("HEAD /d"), 1);
    EXPECT_EQ(crawl.Counts().broken, 4);
    ASSERT_EQ(log_.logLines.size(), 1u);
    EXPECT_NE(log_.logLines[0].find("asked to slow down past the waiting budget"),
              std::string::npos);
}

}  // namespace
}  // namespace sg
