// The crawl over a generated site of a few hundred pages served by nginx: every page reached
// once, missing pages broken, an image available, no page lost or judged unreachable.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/LinkCrawler.h"
#include "net/CWebClient.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "support/TestServers.h"

namespace sg {
namespace {

constexpr int kPages = 300;
constexpr int kMissing = 10;

std::string PageName(int n) {
    return "p" + std::to_string(n) + ".html";
}

std::string Page(const std::string& links) {
    return "<html><head><title>generated</title></head><body>\n" + links + "</body></html>\n";
}

std::string Anchor(const std::string& href) {
    return "<a href=\"" + href + "\">" + href + "</a>\n";
}

// Page n links to the next page, to a page further on, and to one of ten missing pages; the
// index adds an absolute link into the site and the site's image.
void GenerateSite(const std::string& folder, const std::string& site) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    WriteWholeFile(folder + "/index.html",
                   Page(Anchor(PageName(0)) + Anchor("http://" + site + "/gen/" + PageName(5)) +
                        Anchor("../logo.gif")));
    for (int n = 0; n < kPages; ++n) {
        std::string links;
        if (n + 1 < kPages) {
            links += Anchor(PageName(n + 1));
        }
        links += Anchor(PageName((7 * n + 3) % kPages));
        links += Anchor("missing" + std::to_string(n % kMissing) + ".html");
        WriteWholeFile(folder + "/" + PageName(n), Page(links));
    }
}

TEST(LinkCrawlIntegration, CrawlsAGeneratedSiteServedByNginx) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    const std::string site = "127.0.0.1:" + std::to_string(test::kNginxPort);
    const std::string folder = test::ServersDir() + "/site/gen";
    GenerateSite(folder, site);
    const std::string start = site + "/gen/index.html";
    {
        CWebClient client;
        std::string address = start;
        ASSERT_EQ(client.FetchPageRetrying(address.data(), 3), 0);
        ASSERT_NE(client.HeaderText().find(" 200 "), std::string::npos)
            << "nginx on " << site << " does not serve " << test::ServersDir();
    }

    WebFetcher fetcher;
    LinkCrawler crawl(fetcher);
    crawl.CrawlSite(start, true);
    auto RecordCount = [&] { return crawl.RecordCount(); };
    auto RecordAt = [&](int n) { return crawl.RecordAt(n); };
    auto FindRecord = [&](const std::string& link) { return crawl.FindRecord(link); };

    // The index's own row and three links, and three links (two on the last page) per page.
    EXPECT_EQ(RecordCount(), 1 + 3 + 3 * kPages - 1);
    std::set<std::string> pages, missing;
    int missingRows = 0;
    for (int n = 0; n < RecordCount(); ++n) {
        const CrawlRecord record = RecordAt(n);
        if (record.link.find("/gen/missing") != std::string::npos) {
            EXPECT_EQ(record.status, LinkStatus::Broken) << record.link;
            missing.emplace(record.link);
            ++missingRows;
        } else {
            EXPECT_EQ(record.status, LinkStatus::Available) << record.link;
            if (record.link.rfind(site + "/gen/p", 0) == 0) {
                pages.emplace(record.link);
            }
        }
    }
    EXPECT_EQ(static_cast<int>(pages.size()), kPages);
    EXPECT_EQ(static_cast<int>(missing.size()), kMissing);
    EXPECT_EQ(missingRows, kPages);
    ASSERT_TRUE(FindRecord(site + "/logo.gif"));
    EXPECT_EQ(FindRecord(site + "/logo.gif")->status, LinkStatus::Available);
    // The absolute link on the index names a page the crawl knows: one link, in any case.
    ASSERT_TRUE(FindRecord("HTTP://" + site + "/GEN/P5.HTML"));
    EXPECT_EQ(FindRecord("http://" + site + "/gen/p5.html"), FindRecord(site + "/gen/p5.html"));
    int absoluteRows = 0;
    for (int n = 0; n < RecordCount(); ++n) {
        if (RecordAt(n).link == "http://" + site + "/gen/p5.html") {
            EXPECT_EQ(RecordAt(n).fromPage, start);
            ++absoluteRows;
        }
    }
    EXPECT_EQ(absoluteRows, 1);

    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace sg
