// The crawl and the readiness reports with fetches started ahead: for a site that answers the
// same each time, every record (order included) and every report byte are those of the walk
// one request at a time, however the answers' delays reorder them; and a cancel with every
// connection busy stops the run within its bound.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/LinkCrawler.h"
#include "analysis/linkvalidator/LinkValidatorReport.h"
#include "analysis/readiness/ReadinessReport.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "model/Project.h"
#include "net/CWebClient.h"
#include "net/FetchAhead.h"
#include "net/HttpTransfer.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "support/FixtureSite.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::FixtureSite;
using test::HtmlPage;
using Serving = test::LoopbackServer::Serving;

// Up to 3 ms before each answer, drawn anew every time, so that answers overtake each other.
void RandomDelay() {
    thread_local std::mt19937 random(std::random_device{}());
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
}

// Page n of `pages` links on to the three after it, to a missing page, to itself written
// absolute, and (some pages) to a page of the other site or to a closed port; some pages have
// a frame on the other site. The other site's pages are first met one way and later the other:
// x.html as a link (page 2) and then as a frame (page 4); y.html as a frame (page 3) and then
// as a link (page 6).
std::string Page(int n, int pages, const std::string& self, const std::string& other,
                 const std::string& dead) {
    if (n < 0 || n >= pages) {
        return test::MissingPage("<html><body>404 Not Found</body></html>");
    }
    std::string body = "<html><head><title>Page " + std::to_string(n) +
                       "</title><meta name=\"keywords\" content=\"page, site\"></head><body>\r\n";
    for (int k = n + 1; k <= n + 3 && k < pages; ++k) {
        body += "<a href=\"p" + std::to_string(k) + ".html\">next</a>\r\n";
    }
    body += "<a href=\"gone" + std::to_string(n) + ".html\">gone</a>\r\n";
    body += "<a href=\"http://" + self + "/p" + std::to_string(n) + ".html\">me</a>\r\n";
    if (n == 2 || n == 6) {
        body += "<a href=\"http://" + other + (n == 2 ? "/x.html" : "/y.html") + "\">o</a>\r\n";
    }
    if (n == 3 || n == 4) {
        body += "<frame src=\"http://" + other + (n == 3 ? "/y.html" : "/x.html") + "\">\r\n";
    }
    if (n % 5 == 1) {
        body += "<a href=\"http://" + dead + "/down.html\">down</a>\r\n";
    }
    body += "Words of a generated page.\r\n</body></html>\r\n";
    return HtmlPage(body);
}

int PageNumber(const std::string& path) {
    if (path == "/") {
        return 0;
    }
    if (path.size() > 7 && path.compare(0, 2, "/p") == 0 &&
        path.compare(path.size() - 5, 5, ".html") == 0) {
        return std::stoi(path.substr(2, path.size() - 7));
    }
    return -1;
}

struct Sites {
    explicit Sites(int pages)
        : other(
              [](const std::string& path) {
                  RandomDelay();
                  return path == "/x.html" || path == "/y.html"
                             ? HtmlPage("<html><head></head><body>other</body></html>\r\n")
                             : test::MissingPage("<html>404 Not Found</html>");
              },
              Serving::Concurrently),
          dead("127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort())),
          site(
              [this, pages](const std::string& path) {
                  RandomDelay();
                  return Page(PageNumber(path), pages, site.Url(), other.Url(), dead);
              },
              Serving::Concurrently) {}

    FixtureSite other;
    std::string dead;
    FixtureSite site;
};

std::vector<std::string> Records(const LinkCrawler& crawl) {
    std::vector<std::string> lines;
    for (int n = 0; n < crawl.RecordCount(); ++n) {
        const CrawlRecord record = crawl.RecordAt(n);
        lines.push_back(std::string(record.fromPage) + " " + std::string(record.link) + " " +
                        std::to_string(static_cast<int>(record.status)));
    }
    return lines;
}

// Every file under `folder`, by its name there.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        if (item.is_regular_file()) {
            std::string text;
            ReadWholeFile(item.path().string(), text);
            files[std::filesystem::relative(item.path(), folder).string()] = text;
        }
    }
    return files;
}

class CrawlConcurrency : public ::testing::Test {
  protected:
    void SetUp() override { StartUp(dir_.path()); }
    void TearDown() override { SetConnectionsPerHost(8); }

    // The crawl's records and Link Validator tables at `connections`.
    std::pair<std::vector<std::string>, std::string> Crawl(const std::string& start,
                                                           int connections) {
        SetConnectionsPerHost(connections);
        const std::string report = dir_ / ("links" + std::to_string(connections) + ".html");
        fetcher_ = std::make_unique<WebFetcher>();
        crawl_ = std::make_unique<LinkCrawler>(*fetcher_, maxPages_);
        crawl_->CrawlSite(start, true);
        WriteLinkTables(crawl_->Records(), report);
        std::string tables;
        ReadWholeFile(report, tables);
        return {Records(*crawl_), tables};
    }

    test::TempDir dir_;
    int maxPages_ = kDefaultMaxPages;
    std::unique_ptr<WebFetcher> fetcher_;
    std::unique_ptr<LinkCrawler> crawl_;
};

TEST_F(CrawlConcurrency, RecordsAndTablesAreThoseOfOneRequestAtATime) {
    maxPages_ = 200;
    for (const int pages : {40, 400}) {
        Sites sites(pages);
        const auto one = Crawl(sites.site.Url("/"), 1);
        const auto many = Crawl(sites.site.Url("/"), 16);
        EXPECT_EQ(many.first, one.first) << pages << " pages";
        EXPECT_EQ(many.second, one.second) << pages << " pages";
        // The small site is crawled whole; the large one to the page bound.
        EXPECT_EQ(crawl_->PagesVisited() == maxPages_, pages == 400);
        EXPECT_GT(crawl_->RecordCount(), 4 * std::min(pages, 40));
    }
}

TEST_F(CrawlConcurrency, NestedReadinessReportsAreThoseOfOneRequestAtATime) {
    Sites sites(30);
    Project project;
    project.AddUrl(sites.site.Url("/"));
    project.AddUrl(sites.other.Url("/x.html"));
    project.AddKeyword("page");
    project.PrepareRunNames("Same");
    const std::string folder = App().paths.readinessDir + "/" + project.GetReportName();
    std::map<std::string, std::string> first;
    for (const int connections : {1, 16}) {
        SetConnectionsPerHost(connections);
        std::filesystem::remove_all(folder);
        WebFetcher fetcher;
        ASSERT_TRUE(WriteNestedReadinessReport(project, fetcher));
        ASSERT_TRUE(WriteReadinessReport(project, fetcher));
        if (connections == 1) {
            first = Files(folder);
            // The site page, its sub-pages, the other site's page, the two summaries.
            EXPECT_GT(first.size(), 30u);
        } else {
            EXPECT_EQ(Files(folder), first);
        }
    }
}

// An index links to many places of one page ("a.html#1", "a.html#2"): the fetches ahead ask
// each page and each head once, as the walk takes it once.
TEST_F(CrawlConcurrency, LinksToOnePageWithManyFragmentsAreFetchedOnce) {
    std::string start = "<html><body>";
    for (int k = 0; k < 6; ++k) {
        start += "<a href=\"a.html#" + std::to_string(k) + "\">a</a><img src=\"i.png#" +
                 std::to_string(k) + "\">";
    }
    FixtureSite site({{"/", HtmlPage(start + "</body></html>\r\n")},
                      {"/a.html", HtmlPage("<html><body>a</body></html>\r\n")},
                      {"/i.png",
                       "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                       "Content-Length: 0\r\n\r\n"}});
    Crawl(site.Url("/"), 8);
    EXPECT_EQ(crawl_->RecordCount(), 13);
    // Every request the site got, whatever its target: a fragment kept anywhere on the way
    // would ask again.
    EXPECT_EQ(site.Requests(),
              (std::vector<std::string>{"GET /robots.txt", "GET /", "GET /a.html", "HEAD /i.png"}));
}

// The walk goes down a chain of slow pages first; a page beside the chain, fetched ahead from
// the start page, is read while the walk waits, so that its links are fetched long before the
// walk comes back to it. The records stay those of one request at a time.
TEST_F(CrawlConcurrency, LinksOfAPageFetchedAheadAreFetchedBeforeTheWalkReachesIt) {
    FixtureSite site(
        [](const std::string& path) {
            std::string body = "<html><head></head><body>";
            if (path == "/") {
                body += "<a href=\"a0.html\">a</a><a href=\"b.html\">b</a>";
            } else if (path == "/b.html") {
                for (int k = 1; k <= 4; ++k) {
                    body += "<a href=\"b" + std::to_string(k) + ".html\">b</a>";
                }
            } else if (path.starts_with("/a") && path != "/a9.html") {
                std::this_thread::sleep_for(20ms);
                body += "<a href=\"a" + std::to_string(std::stoi(path.substr(2)) + 1) +
                        ".html\">next</a>";
            }
            return HtmlPage(body + "</body></html>\r\n");
        },
        Serving::Concurrently);
    const auto many = Crawl(site.Url("/"), 8);
    const std::vector<std::string> requests = site.Requests();
    const auto at = [&](const std::string& line) {
        return std::find(requests.begin(), requests.end(), line) - requests.begin();
    };
    EXPECT_LT(at("GET /b4.html"), at("GET /a5.html"));
    EXPECT_EQ(crawl_->PagesVisited(), 16);
    EXPECT_EQ(many.first, Crawl(site.Url("/"), 1).first);
}

TEST_F(CrawlConcurrency, CancelWithEveryConnectionBusyStopsWithinTheBound) {
    // Every answer waits until released, so the fetches ahead pile up to the limit: as many
    // pages as may fill their caps together, beside the start page and the walk's own fetch.
    const int busy = static_cast<int>(FetchAhead::kInFlightBytes /
                                      (CWebClient::kDefaultBodyCap + HttpTransfer::kMaxHeadBytes)) +
                     2;
    std::atomic<bool> release{false};
    std::atomic<int> waiting{0};
    FixtureSite slow(
        [&](const std::string& path) {
            ++waiting;
            const auto until = std::chrono::steady_clock::now() + 5s;
            while (!release.load() && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(5ms);
            }
            std::string body = "<html><head></head><body>";
            for (int k = 0; k < 40; ++k) {
                body += "<a href=\"" + path.substr(1) + "-" + std::to_string(k) + ".html\">l</a>";
            }
            return HtmlPage(body + "</body></html>\r\n");
        },
        Serving::Concurrently);
    SetConnectionsPerHost(FetchAhead::kTotalConnections);
    // The start page answers at once, so its 40 links are fetched ahead together.
    release = true;
    RunControl control;
    std::atomic<int> recordsAtCancel{-1};
    WebFetcher fetcher;
    LinkCrawler crawl(fetcher);
    std::thread walk([&] {
        RunControl::Scope scope(control);
        crawl.CrawlSite(slow.Url("/s.html"), true);
    });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (waiting.load() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    release = false;
    while (waiting.load() < busy && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    // No more come while the ones in flight hold their answers back.
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(waiting.load(), busy);
    recordsAtCancel = crawl.RecordCount();
    const auto cancelled = std::chrono::steady_clock::now();
    control.RequestCancel();
    walk.join();
    const auto stopped = std::chrono::steady_clock::now() - cancelled;
    EXPECT_LT(stopped, 400ms);
    EXPECT_EQ(crawl.RecordCount(), recordsAtCancel.load());
    release = true;
}

}  // namespace
}  // namespace sg
