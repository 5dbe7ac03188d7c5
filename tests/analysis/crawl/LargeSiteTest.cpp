// A generated site of 5,000 pages, each linking onward to the next pages and back to the start:
// the Link Validator crawl stops at its page bound in bounded time and memory, and the nested
// readiness report over it finishes with a sub-page for every page it visited. The figures are
// printed for the reliability record (MemoryBound.h).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/LinkCrawler.h"
#include "analysis/readiness/ReadinessReport.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "model/Project.h"
#include "net/FetchAhead.h"
#include "net/WebFetcher.h"
#include "support/FixtureSite.h"
#include "support/MemoryBound.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;

constexpr int kSitePages = 5000;

// "/" and "/p<n>.html" for n below kSitePages: a page with a title, a keywords tag and links to the
// three pages after it and to the start page. Anything else is missing.
std::string GeneratedPage(const std::string& path) {
    int n = path == "/" ? 0 : -1;
    if (path.size() > 7 && path.compare(0, 2, "/p") == 0 &&
        path.compare(path.size() - 5, 5, ".html") == 0) {
        n = std::stoi(path.substr(2, path.size() - 7));
    }
    if (n < 0 || n >= kSitePages) {
        return test::MissingPage("<html><body>404 Not Found</body></html>");
    }
    std::string body = "<html><head><title>Page " + std::to_string(n) +
                       "</title><meta name=\"keywords\" content=\"page, generated site\">"
                       "</head><body>\r\n";
    for (int k = n + 1; k <= n + 3 && k < kSitePages; ++k) {
        body += "<a href=\"p" + std::to_string(k) + ".html\">next</a>\r\n";
    }
    body +=
        "<a href=\"p0.html\">start</a>\r\nA generated page of a large site.\r\n</body></html>\r\n";
    return HtmlPage(body);
}

int CountRequestsStartingWith(const FixtureSite& site, const std::string& prefix) {
    int count = 0;
    for (const std::string& line : site.Requests()) {
        count += line.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    }
    return count;
}

// The page bound of this test: a fifth of the site.
constexpr int kMaxPages = 1000;

TEST(LargeSite, CrawlStopsAtThePageBoundAndTheNestedReadinessFinishes) {
    test::TempDir dir;
    StartUp(dir.path());
    SetMaxPagesPerSite(kMaxPages);
    FixtureSite site(GeneratedPage);
    const std::string root = site.Url("/");

    WebFetcher fetcher;
    LinkCrawler crawler(fetcher);
    const test::Measured crawl =
        test::Measure("large site: crawl", [&] { crawler.CrawlSite(root, true); });
    const int pagesFetched = CountRequestsStartingWith(site, "GET ");
    const int records = crawler.RecordCount();
    std::printf("[bound] large site: %d pages fetched, %d records\n", pagesFetched, records);
    // The crawl visits kMaxPages pages of the 5,000; every link of those pages is recorded,
    // four each, the ones past the bound judged by their head.
    EXPECT_EQ(crawler.PagesVisited(), kMaxPages);
    EXPECT_EQ(records, 1 + 4 * kMaxPages);
    // Fetches in flight ahead when the bound is passed are the only ones wasted.
    EXPECT_LE(pagesFetched, kMaxPages + FetchAhead::kTotalConnections);
    EXPECT_LT(crawl.ms, 30000);
    // Records and link lists of about a thousand pages; no page's response is held on the way.
    test::ExpectMemoryWithin(crawl, 16.0);

    Project project;
    project.AddUrl(site.Url("/"));
    project.PrepareRunNames("Large");
    bool finished = false;
    const test::Measured nested = test::Measure("large site: nested readiness", [&] {
        finished = WriteNestedReadinessReport(project, fetcher);
    });
    ASSERT_TRUE(finished);
    const std::string folder = App().paths.readinessDir + "/" + project.GetReportName();
    int subPages = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        subPages += item.path().filename().string().find("-nest.html") != std::string::npos;
    }
    std::printf("[bound] large site: %d sub-pages\n", subPages);
    // One sub-page per page the crawl visited, the start page ("/") aside.
    EXPECT_EQ(subPages, kMaxPages - 1);
    SetMaxPagesPerSite(kDefaultMaxPages);
    EXPECT_LT(nested.ms, 60000);
    test::ExpectMemoryWithin(nested, 16.0);
}

}  // namespace
}  // namespace sg
