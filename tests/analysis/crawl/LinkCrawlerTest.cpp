// The crawl against loopback sites: how each answer is judged, which URLs are visited, judged by
// their head or not fetched again, the fetch address, and the record bound.

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/LinkCrawler.h"
#include "app/RunRecorders.h"
#include "demo/DemoCertificate.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "net/FetchAhead.h"
#include "net/TlsServerContext.h"
#include "net/TrustedCertificates.h"
#include "net/WebFetcher.h"
#include "support/FixtureSite.h"
#include "support/LoopbackServer.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;
using test::MissingPage;
using Strings = std::vector<std::string>;

// Each record as "from > link = status".
Strings RecordsOf(const LinkCrawler& crawl) {
    Strings out;
    for (int n = 0; n < crawl.RecordCount(); ++n) {
        const CrawlRecord r = crawl.RecordAt(n);
        out.push_back(std::string(r.fromPage) + " > " + std::string(r.link) + " = " +
                      std::to_string(static_cast<int>(r.status)));
    }
    return out;
}

std::string Rec(const std::string& from, const std::string& link, LinkStatus status) {
    return from + " > " + link + " = " + std::to_string(static_cast<int>(status));
}

constexpr LinkStatus kBroken = LinkStatus::Broken;
constexpr LinkStatus kUnreachable = LinkStatus::Unreachable;
constexpr LinkStatus kAvailable = LinkStatus::Available;

// These cases assert the requests of the walk itself, one at a time; the walk with fetches
// ahead is held to the same records in CrawlConcurrencyTest.
class LinkCrawl : public ::testing::Test {
  protected:
    void SetUp() override { SetConnectionsPerHost(1); }
    void TearDown() override { SetConnectionsPerHost(8); }

    // The designed interface, on this test's crawl.
    void CrawlSite(const std::string& start, bool follow) { crawl_.CrawlSite(start, follow); }
    int RecordCount() const { return crawl_.RecordCount(); }
    CrawlRecord RecordAt(int n) const { return crawl_.RecordAt(n); }
    std::optional<CrawlRecord> FindRecord(const std::string& link) const {
        return crawl_.FindRecord(link);
    }
    Strings Records() const { return RecordsOf(crawl_); }

    WebFetcher fetcher_;
    LinkCrawler crawl_{fetcher_};
};

TEST(CrawlRecordList, LookupIgnoresCaseAndFindsTheFirstRecord) {
    CrawlRecordList list;
    list.Add("a", "Host/Page.html", LinkStatus::Broken);
    list.Add("b", "host/page.html", LinkStatus::Available);
    list.Add("c", "host/other.html", LinkStatus::Unreachable);
    ASSERT_TRUE(list.Find("HOST/PAGE.HTML"));
    EXPECT_EQ(list.Find("HOST/PAGE.HTML"), list.At(0));
    EXPECT_EQ(list.Find("host/other.html"), list.At(2));
    EXPECT_FALSE(list.Find("host/page.htm"));
    EXPECT_EQ(list.Count(), 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Find("host/page.html"));
    list.Add("d", "HOST/page.html", LinkStatus::Available);
    EXPECT_EQ(list.Find("host/PAGE.html"), list.At(0));
}

// A page that links to each of `paths`.
std::string Links(const Strings& paths) {
    std::string body = "<html><body>\r\n";
    for (const std::string& path : paths) {
        body += "<a href=\"" + path + "\">x</a>\r\n";
    }
    return HtmlPage(body + "</body></html>\r\n");
}

TEST_F(LinkCrawl, BrokenNeedsABrokenStatusOrA404HeadAndThePagesWords) {
    const std::string words404 = MissingPage("<h1>The page could not be found</h1>");
    const std::string plain404 = MissingPage("<h1>Gone fishing</h1>");
    const std::string wordsOk = HtmlPage("Search: nothing NOT FOUND here");
    // "404" only inside a header value: the page is fetched and decides.
    const std::string length404 =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nX-Length: 4040\r\n\r\n";
    FixtureSite site(std::map<std::string, std::string>{
        {"/", Links({"a.html", "b.html", "c.html", "d.html", "e.html"})},
        {"/a.html", words404},
        {"/b.html", plain404},
        {"/c.html", wordsOk},
        {"/d.html", length404 + "404 Not Found"},
        {"/e.html", length404 + "all fine"},
    });
    const std::string root = site.Url("/");
    const std::string a = site.Url("/a.html"), b = site.Url("/b.html"), c = site.Url("/c.html"),
                      d = site.Url("/d.html"), e = site.Url("/e.html");

    // Not following: each link is judged by its head; a broken status decides there, and only
    // a head that holds "404" otherwise fetches the page.
    CrawlSite(root, false);
    EXPECT_EQ(Records(),
              (Strings{Rec(root, root, kAvailable), Rec(root, a, kBroken), Rec(root, b, kBroken),
                       Rec(root, c, kAvailable), Rec(root, d, kBroken), Rec(root, e, kAvailable)}));
    EXPECT_EQ(site.Requests(),
              (Strings{"GET /robots.txt", "GET /", "HEAD /a.html", "HEAD /b.html", "HEAD /c.html",
                       "HEAD /d.html", "GET /d.html", "HEAD /e.html", "GET /e.html"}));

    // Following: the same pages are visited with one page fetch each, judged the same way. A
    // 404 status is broken with or without the words.
    CrawlSite(root, true);
    EXPECT_EQ(Records(),
              (Strings{Rec(root, root, kAvailable), Rec(root, a, kBroken), Rec(root, b, kBroken),
                       Rec(root, c, kAvailable), Rec(root, d, kBroken), Rec(root, e, kAvailable)}));
    EXPECT_EQ(site.CountRequests("HEAD /a.html"), 1);
    EXPECT_EQ(site.CountRequests("GET /a.html"), 1);
    EXPECT_EQ(site.CountRequests("GET /c.html"), 1);
}

TEST_F(LinkCrawl, BrokenAndFailedPagesAreNotScannedForLinks) {
    FixtureSite site(std::map<std::string, std::string>{
        {"/", Links({"gone.html"})},
        {"/gone.html", MissingPage("not found <a href=\"inner.html\">x</a>")},
    });
    CrawlSite(site.Url("/"), true);
    EXPECT_EQ(Records(), (Strings{Rec(site.Url("/"), site.Url("/"), kAvailable),
                                  Rec(site.Url("/"), site.Url("/gone.html"), kBroken)}));
    EXPECT_EQ(site.CountRequests("GET /inner.html") + site.CountRequests("HEAD /inner.html"), 0);
}

TEST_F(LinkCrawl, RefusedConnectionsAreUnreachable) {
    const std::string dead = "127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
    // A start page that cannot be reached: one record, found on itself.
    CrawlSite(dead + "/index.html", true);
    EXPECT_EQ(Records(), Strings{Rec(dead + "/index.html", dead + "/index.html", kUnreachable)});

    FixtureSite site(std::map<std::string, std::string>{
        {"/", Links({"http://" + dead + "/x.html"})},
    });
    CrawlSite(site.Url("/"), false);
    EXPECT_EQ(Records(), (Strings{Rec(site.Url("/"), site.Url("/"), kAvailable),
                                  Rec(site.Url("/"), "http://" + dead + "/x.html", kUnreachable)}));
}

TEST_F(LinkCrawl, FramesAreVisitedWhateverTheHostAndTheFollowFlag) {
    FixtureSite other(std::map<std::string, std::string>{
        {"/side.html", Links({"deep.html"})},
        {"/deep.html", HtmlPage("deep")},
    });
    const std::string side = other.Url("/side.html");
    FixtureSite site(std::map<std::string, std::string>{
        {"/", HtmlPage("<frameset><frame src=\"top.html\"><frame src=\"http://" + side +
                       "\"></frameset><a href=\"own.html\">o</a>")},
        {"/top.html", Links({"own.html"})},
        {"/own.html", Links({"never.html"})},
    });
    const std::string root = site.Url("/");
    const std::string top = site.Url("/top.html"), own = site.Url("/own.html");
    CrawlSite(root, false);
    // Frames first (each page's own links judged by their head), then the page's links; the
    // second occurrence of own.html takes the earlier status without a fetch.
    EXPECT_EQ(Records(),
              (Strings{Rec(root, root, kAvailable), Rec(root, top, kAvailable),
                       Rec(top, own, kAvailable), Rec(root, "http://" + side, kAvailable),
                       Rec("http://" + side, "http://" + other.Url("/deep.html"), kAvailable),
                       Rec(root, own, kAvailable)}));
    EXPECT_EQ(site.Requests(),
              (Strings{"GET /robots.txt", "GET /", "GET /top.html", "HEAD /own.html"}));
    EXPECT_EQ(other.Requests(), (Strings{"GET /side.html", "HEAD /deep.html"}));
}

TEST_F(LinkCrawl, FollowingVisitsTheLinksOfTheRootsHostWrittenRelativeOrAbsolute) {
    FixtureSite other(std::map<std::string, std::string>{
        {"/ext.html", Links({"ext2.html"})},
    });
    const std::string ext = "http://" + other.Url("/ext.html");
    FixtureSite site([&](const std::string& path) {
        if (path == "/") {
            // Absolute links into the own site: one to a page already found, one to a new one.
            return Links({"sub/a.html", ext, "http://" + site.Url("/sub/a.html"),
                          "http://" + site.Url("/c.html")});
        }
        if (path == "/sub/a.html") {
            return Links({"../b.html"});
        }
        if (path == "/b.html") {
            return Links({"/sub/a.html", "logo.gif"});
        }
        if (path == "/c.html") {
            return Links({});
        }
        return std::string("HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\n\r\nGIF89a");
    });
    const std::string root = site.Url("/"), a = site.Url("/sub/a.html"), b = site.Url("/b.html");
    CrawlSite(root, true);
    EXPECT_EQ(Records(), (Strings{Rec(root, root, kAvailable), Rec(root, a, kAvailable),
                                  Rec(a, b, kAvailable), Rec(b, a, kAvailable),
                                  // An image was answered by its server: available, with no links.
                                  Rec(b, site.Url("/logo.gif"), kAvailable),
                                  Rec(root, ext, kAvailable), Rec(root, "http://" + a, kAvailable),
                                  Rec(root, "http://" + site.Url("/c.html"), kAvailable)}));
    // The image is asked once: an answer of a type that is not read is not asked again.
    EXPECT_EQ(site.Requests(), (Strings{"GET /robots.txt", "GET /", "GET /sub/a.html",
                                        "GET /b.html", "GET /logo.gif", "GET /c.html"}));
    EXPECT_EQ(other.Requests(), Strings{"HEAD /ext.html"});
}

// A start page that moved to another host: the crawl goes on from where it landed.
TEST_F(LinkCrawl, TheRootIsTheStartPageAfterItsRedirects) {
    FixtureSite moved(std::map<std::string, std::string>{
        {"/home.html", Links({"p.html"})},
        {"/p.html", Links({})},
    });
    FixtureSite old([&](const std::string&) {
        return "HTTP/1.0 301 Moved Permanently\r\nLocation: http://" + moved.Url("/home.html") +
               "\r\nContent-Type: text/html\r\n\r\nmoved";
    });
    CrawlSite(old.Url("/"), true);
    EXPECT_EQ(Records(), (Strings{Rec(old.Url("/"), old.Url("/"), kAvailable),
                                  Rec(old.Url("/"), moved.Url("/p.html"), kAvailable)}));
    // robots.txt of the first host redirects like every address there; the host where the
    // start page landed has its own read before its pages.
    EXPECT_EQ(moved.Requests(),
              (Strings{"GET /home.html", "GET /home.html", "GET /robots.txt", "GET /p.html"}));
}

// A start page asked over https that redirects to plain http is crawled from where it landed,
// and the run's log says so once for the site, though its frame does the same.
TEST_F(LinkCrawl, LeavingHttpsIsFollowedAndLoggedOncePerSite) {
    DemoCertificate pem;
    TlsServerContext tls;
    ASSERT_EQ(MakeDemoCertificate(pem), kDemoCertificateMade);
    ASSERT_EQ(tls.Load(pem.certificatePem, pem.keyPem), TlsServerContext::kOk);
    std::string secure;
    FixtureSite plain([&](const std::string& path) {
        return path == "/a.html"
                   ? HtmlPage("<frameset><frame src=\"https://" + secure + "/f.html\"></frameset>")
                   : Links({});
    });
    test::LoopbackServer moved([&](test::LoopbackConnection& conn) {
        if (!conn.AcceptTls(tls)) {
            return;
        }
        const std::string request = conn.ReadUntilBlankLine();
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        conn.Send("HTTP/1.0 301 Moved\r\nLocation: http://" + plain.Url(path) + "\r\n\r\n");
    });
    secure = "127.0.0.1:" + std::to_string(moved.Port());
    test::RecordingProgress log;
    ASSERT_EQ(AddTrustedCertificate(pem.certificatePem), kTrustOk);
    App().progressWindow = &log;
    CrawlSite("https://" + secure + "/a.html", true);
    App().progressWindow = nullptr;
    RemoveTrustedCertificate(pem.certificatePem);

    // The host the redirect landed on has its robots.txt read before its next page.
    EXPECT_EQ(plain.Requests(),
              (Strings{"GET /robots.txt", "GET /a.html", "GET /robots.txt", "GET /f.html"}));
    EXPECT_EQ(log.logLines,
              Strings{"https://" + secure + "/a.html was redirected to plain http (http://" +
                      plain.Url("/a.html") + "): the page was read unencrypted."});
}

// The bar follows the links judged as well as the pages: a page whose many links are judged
// after its last page was read does not leave the bar standing still.
TEST_F(LinkCrawl, TheBarMovesWithEveryLinkJudgedAndEndsFull) {
    Strings links = {"a.html"};
    for (int k = 0; k < 40; ++k) {
        links.push_back("gone" + std::to_string(k) + ".html");
    }
    FixtureSite site(
        std::map<std::string, std::string>{{"/", Links(links)}, {"/a.html", Links({"/"})}});
    test::RecordingProgress log;
    App().progressWindow = &log;
    CrawlSite(site.Url("/"), true);
    App().progressWindow = nullptr;
    ASSERT_GE(log.siteWork.size(), 40u);
    // Every record made of every link found: the start page, a.html and its link, the 40.
    EXPECT_EQ(log.siteWork.back(), std::make_pair(43, 43));
    for (std::size_t n = 1; n < log.siteWork.size(); ++n) {
        EXPECT_GE(log.siteWork[n].first, log.siteWork[n - 1].first);
    }
}

TEST_F(LinkCrawl, KnownLinksAreRecordedAgainWithoutAFetchIgnoringCase) {
    FixtureSite site(std::map<std::string, std::string>{
        {"/", Links({"Page.html", "page.html", "gone.html", "/"})},
        {"/Page.html", Links({"GONE.html"})},
    });
    const std::string root = site.Url("/");
    CrawlSite(root, false);
    EXPECT_EQ(Records(),
              (Strings{Rec(root, root, kAvailable), Rec(root, site.Url("/Page.html"), kAvailable),
                       Rec(root, site.Url("/page.html"), kAvailable),
                       Rec(root, site.Url("/gone.html"), kBroken), Rec(root, root, kAvailable)}));
    EXPECT_EQ(site.Requests(),
              (Strings{"GET /robots.txt", "GET /", "HEAD /Page.html", "HEAD /gone.html"}));
    ASSERT_TRUE(FindRecord(site.Url("/PAGE.HTML")));
    EXPECT_EQ(FindRecord(site.Url("/PAGE.HTML")), RecordAt(1));

    // Following: page.html is not visited again, and GONE.html takes gone.html's status.
    CrawlSite(root, true);
    EXPECT_EQ(Records(),
              (Strings{Rec(root, root, kAvailable), Rec(root, site.Url("/Page.html"), kAvailable),
                       Rec(site.Url("/Page.html"), site.Url("/GONE.html"), kBroken),
                       Rec(root, site.Url("/page.html"), kAvailable),
                       Rec(root, site.Url("/gone.html"), kBroken), Rec(root, root, kAvailable)}));
}

TEST_F(LinkCrawl, FetchesWithoutTheFragmentKeepsThePortAndRecordsTheUrlAsFound) {
    FixtureSite site([&](const std::string& path) {
        if (path == "/start.html") {
            return Links({"page.html#part", "http://" + site.Url("/abs.html#top")});
        }
        return HtmlPage("p");
    });
    // Every request that reaches this server came through the port written in the URL.
    const std::string start = site.Url("/start.html#intro");
    CrawlSite(start, true);
    EXPECT_EQ(Records(), (Strings{Rec(start, start, kAvailable),
                                  Rec(start, site.Url("/page.html#part"), kAvailable),
                                  Rec(start, "http://" + site.Url("/abs.html#top"), kAvailable)}));
    EXPECT_EQ(site.Requests(),
              (Strings{"GET /robots.txt", "GET /start.html", "GET /page.html", "GET /abs.html"}));
}

// A style sheet loaded by a page (linked, @imported, in a <style> block or a style attribute) is
// read for what it loads; each of those is a resource found on the sheet. A sheet is read once
// however often it is imported, and what a comment or a data: address names is no request.
TEST_F(LinkCrawl, StyleSheetsAreReadForWhatTheyLoad) {
    const auto css = [](const std::string& text) {
        return "HTTP/1.0 200 OK\r\nContent-Type: Text/CSS; charset=utf-8\r\n\r\n" + text;
    };
    FixtureSite site(std::map<std::string, std::string>{
        {"/", HtmlPage("<html><head><link rel=stylesheet href=a.css><style>@import \"c.css\";"
                       "p{background:url(d.png)}</style></head><body style=\"background:"
                       "url('e.png')\">x</body></html>\r\n")},
        {"/a.css", css("@import url(b.css); x{background:url(img.png)} /* url(no.png) */")},
        {"/b.css", css("@import 'a.css'; y{background:url(missing.png) "
                       "url(data:image/png;base64,AAAA)}")},
        {"/c.css", css("")},
        {"/d.png", "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n"},
        {"/e.png", "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n"},
        {"/img.png", "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n"},
    });
    const std::string root = site.Url("/");
    const auto at = [&](const std::string& path) { return site.Url(path); };
    CrawlSite(root, false);
    EXPECT_EQ(
        Records(),
        (Strings{Rec(root, root, kAvailable), Rec(root, at("/a.css"), kAvailable),
                 Rec(at("/a.css"), at("/b.css"), kAvailable),
                 Rec(at("/b.css"), at("/a.css"), kAvailable),
                 Rec(at("/b.css"), at("/missing.png"), kBroken),
                 Rec(at("/a.css"), at("/img.png"), kAvailable), Rec(root, at("/c.css"), kAvailable),
                 Rec(root, at("/d.png"), kAvailable), Rec(root, at("/e.png"), kAvailable)}));
    for (const std::string sheet : {"/a.css", "/b.css", "/c.css"}) {
        EXPECT_EQ(site.CountRequests("HEAD " + sheet), 1) << sheet;
        EXPECT_EQ(site.CountRequests("GET " + sheet), 1) << sheet;
    }
    EXPECT_EQ(site.CountRequests("HEAD /no.png"), 0);
}

// What no visitor can load from the web (a file: address, a path on a disk) is broken without
// a request; mail, telephone and script links are no links to judge at all.
TEST_F(LinkCrawl, LocalAddressesAreBrokenAndOtherSchemesAreLeftAlone) {
    FixtureSite site(std::map<std::string, std::string>{
        {"/", HtmlPage("<a href=\"file:///C:/site/x.html\">a</a><img src=\" C:\\site\\logo.png\">"
                       "<a href=\"mailto:me@example.com\">m</a><a href=\"tel:123\">t</a>"
                       "<a href=\"javascript:go()\">j</a><a href=\"d:/x.html\">d</a>")},
    });
    const std::string root = site.Url("/");
    CrawlSite(root, true);
    EXPECT_EQ(Records(),
              (Strings{Rec(root, root, kAvailable), Rec(root, "file:///C:/site/x.html", kBroken),
                       Rec(root, "C:\\site\\logo.png", kBroken), Rec(root, "d:/x.html", kBroken)}));
    for (int n = 1; n < RecordCount(); ++n) {
        EXPECT_EQ(RecordAt(n).because, BrokenBecause::NotOnTheWeb) << RecordAt(n).link;
    }
    EXPECT_EQ(site.Requests(), (Strings{"GET /robots.txt", "GET /"}));
}

TEST_F(LinkCrawl, AHeadAnswerWithoutHeaderLinesLeavesNoRecord) {
    FixtureSite site([](const std::string& path) {
        if (path == "/") {
            return Links({"silent.html", "ok.html"});
        }
        // Nothing at all for silent.html: the connection closes at once.
        return path == "/ok.html" ? HtmlPage("ok") : std::string();
    });
    CrawlSite(site.Url("/"), false);
    EXPECT_EQ(Records(), (Strings{Rec(site.Url("/"), site.Url("/"), kAvailable),
                                  Rec(site.Url("/"), site.Url("/ok.html"), kAvailable)}));
    EXPECT_EQ(site.CountRequests("HEAD /silent.html"), 1);
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator replaces malloc's and counts for itself (its header is not always
// installed).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

// Bytes the program has allocated and not freed.
std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

TEST_F(LinkCrawl, AnEndlessSiteStopsAtThePageBoundInBoundedMemory) {
    // Every page served links to three pages not served yet and back to the start page, and
    // carries 8 KiB of text. The server notes the heap in use at each request, while the crawl
    // is deep in its walk.
    constexpr std::size_t kFiller = 8 * 1024;
    const std::string filler(kFiller, 'x');
    int next = 0;
    std::size_t peak = 0;
    const std::size_t before = HeapInUse();
    FixtureSite site([&](const std::string&) {
        peak = std::max(peak, HeapInUse());
        std::string body = "<html><body>\r\n";
        for (int i = 0; i < 3; ++i) {
            body += "<a href=\"p" + std::to_string(++next) + "\">x</a>\r\n";
        }
        return HtmlPage(body + "<a href=\"p0\">start</a>\r\n" + filler + "\r\n</body></html>");
    });
    const std::string root = site.Url("/p0");
    constexpr int kPages = 1001;
    LinkCrawler crawl(fetcher_, kPages);
    crawl.CrawlSite(root, true);
    // kPages pages are visited; past the bound every link found is still judged, by its head,
    // and each page records its link back to the start page.
    EXPECT_EQ(crawl.PagesVisited(), kPages);
    EXPECT_EQ(site.CountRequests("GET /p0"), 1);
    int gets = 0;
    for (const std::string& request : site.Requests()) {
        gets += request.starts_with("GET ") ? 1 : 0;
    }
    // And robots.txt, before the first page.
    EXPECT_EQ(gets, kPages + 1);
    ASSERT_EQ(crawl.RecordCount(), 1 + 4 * kPages);
    int backLinks = 0;
    for (int n = 0; n < crawl.RecordCount(); ++n) {
        EXPECT_EQ(crawl.RecordAt(n).status, kAvailable);
        backLinks += crawl.RecordAt(n).link == root && n > 0 ? 1 : 0;
    }
    EXPECT_EQ(backLinks, kPages);
    // Holding a page's response for each level of the walk would take over 8 MB here;
    // the records and the lists of links stay under 1 MB.
    EXPECT_LT(peak - std::min(peak, before), 512 * kFiller) << "peak growth";
}

}  // namespace
}  // namespace sg
