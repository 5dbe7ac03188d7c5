#pragma once
// The Link Validator crawl: fetches a site's start page, judges every link, frame and resource
// on it and, when asked to follow the site, visits every page of the same host it can reach,
// each page once. Each URL met is recorded with the page it was found on in the crawl's record
// list, which the Link Validator and nested readiness reports read.
//
// Judging (the final answer after redirects decides): status 200-399 is available, 400-599 is
// broken (the record keeps the code); an answer whose head holds "404" and whose page says so in
// words ("404 not found", "not found", "not be found") is broken too; no answer is unreachable.
// A link that is not visited is judged by its head; a head that holds "404" without a status
// that says broken fetches the page, which decides, and a head answered 405 or 501 is asked
// again with GET. An answer 429 or 503 is asked again once, after its Retry-After (at most the
// retry cap, 30 s by default). Each address is asked once for its judgement: a page judged
// broken as a resource is not visited again, and at most a HEAD and then a GET go to one
// address.
//
// Manners (CrawlManners): before the site's first page, and again when the start page's
// redirects end on another host, the crawl reads that host's robots.txt and keeps to the group
// of kRobotsAgent: a link it disallows is recorded blocked and never asked, and its Crawl-delay
// (at most kCrawlDelayCap) spaces the requests to that host, one at a time. A requested rate
// spaces the requests to every host.
//
// Bounds: at most maxPages pages are visited; past them every link is still recorded and
// judged by its head. The walk keeps its own stack (no recursion), so a deep site costs memory,
// not stack. A lookup of a link costs O(1). Every fetch uses a fresh HTTP client with the proxy
// settings applied and up to 3 attempts, on the URL without its fragment (a port in it is kept).
// A cancelled run records nothing more.

#include <any>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/crawl/AnswerLinks.h"
#include "analysis/crawl/CrawlManners.h"
#include "analysis/crawl/CrawlRecordList.h"
#include "analysis/crawl/PageBoundSetting.h"
#include "analysis/crawl/RobotsTxt.h"
#include "model/LinkCounts.h"
#include "net/Answer.h"
#include "net/AnswerRules.h"
#include "net/FetchAhead.h"

namespace sg {

class Fetcher;

// One host's robots.txt as the crawl read it.
struct RobotsRead {
    // The rules in force: the file's; every path allowed (4xx, no answer); none (5xx).
    RobotsTxt rules = RobotsTxt::AllowAll();
    // The file's address, and the status code of its answer (0 when none came).
    std::string url;
    int status = 0;
    // No answer because its redirects looped or went too far.
    bool redirectsFailed = false;
};

// One page the crawl visited, as its answer came. The references are valid during the visitor
// call only.
struct VisitedPage {
    // The address as recorded (fragment kept) and the page it was found on.
    const std::string& url;
    const std::string& fromPage;
    LinkStatus status;
    // The final answer's status code; 0 when unreachable or without a status line.
    int httpStatus;
    // The final answer (its address at the end of the redirects, the head, the body); null
    // when the page could not be reached.
    const Answer* answer;
    // The links read from it; null when it was not read for links (not reached, judged broken,
    // or no page a browser renders).
    const FoundLinks* links;
};

// One link the crawl judged without visiting it (a resource, or a page it does not visit), as
// the answer that judged it came: the head, or the page when the head could not tell. Valid
// during the visitor call only.
struct JudgedLink {
    const std::string& link;
    const std::string& fromPage;
    LinkKind kind;
    const Answer& answer;
};

class LinkCrawler {
  public:
    using PageVisitor = std::function<void(const VisitedPage&)>;
    using LinkVisitor = std::function<void(const JudgedLink&)>;

    // Fetches through `fetcher`, which must outlive the crawl.
    explicit LinkCrawler(Fetcher& fetcher, int maxPages = MaxPagesPerSite());
    ~LinkCrawler();
    LinkCrawler(const LinkCrawler&) = delete;
    LinkCrawler& operator=(const LinkCrawler&) = delete;

    // Called once for each page visited, in visit order, on the crawl's thread.
    void SetPageVisitor(PageVisitor visitor) { visitor_ = std::move(visitor); }
    // Called once for each link judged by an answer (not for one recorded again), on the
    // crawl's thread.
    void SetLinkVisitor(LinkVisitor visitor) { linkVisitor_ = std::move(visitor); }
    // The longest Retry-After honoured (kRetryAfterCap unless set; tests set less).
    void SetRetryAfterCap(std::chrono::milliseconds cap) { retryCap_ = cap; }
    // The most waited for Retry-After answers of one host in a crawl (kRetryBudget unless set).
    void SetRetryBudget(std::chrono::milliseconds budget) { retryBudget_ = budget; }
    // The longest Crawl-delay kept (kCrawlDelayCap unless set; tests set less).
    void SetCrawlDelayCap(std::chrono::milliseconds cap) { crawlDelayCap_ = cap; }
    // How the next CrawlSite treats the site (robots.txt kept, no rate of its own by default).
    void SetManners(const CrawlManners& manners) { manners_ = manners; }

    // Sets the crawl root, clears the record list and visits the start URL (found on itself);
    // Records() holds the result. The root becomes the start page's address at the end of its
    // redirects. Fetches run ahead of the walk on ConnectionsPerHost() connections, with the
    // same records as one at a time: the links of the page the walk is on first, then those of
    // pages fetched ahead, read while the walk waits (within the page bound).
    void CrawlSite(const std::string& startUrl, bool followSite);

    // The root of the last crawl: the start page's address at the end of its redirects (the
    // start URL itself when it was not reached or not redirected).
    const std::string& CrawlRoot() const { return root_; }

    // Fetches and judges one page, then its frames (always visited), its links (visited when
    // following and on the crawl root's host (SameHost), otherwise judged) and its resources
    // (judged). A link already recorded is not fetched again (a page already visited is not
    // visited again): a record with its earlier status is added.
    void VisitPage(const std::string& url, const std::string& fromPage, bool followSite);

    // Judges a link without visiting it (see above). A head answer without any header lines
    // leaves no record.
    void CheckLink(const std::string& link, const std::string& fromPage,
                   LinkKind kind = LinkKind::Page);

    // The record list of the last crawl.
    const CrawlRecordList& Records() const { return records_; }
    // The records, moved out for a reader that outlives the crawl; none are left, and no visits
    // (ClearRecords).
    LinkRecords TakeRecords() {
        LinkRecords taken = records_.Take();
        ClearRecords();
        return taken;
    }
    int RecordCount() const { return records_.Count(); }
    // Record n in the order made; 0 <= n < RecordCount().
    CrawlRecord RecordAt(int n) const { return records_.At(n); }
    std::optional<CrawlRecord> FindRecord(std::string_view link) const {
        return records_.Find(link);
    }
    // Adds a record and counts a link checked (ProgressSink).
    void AddRecord(std::string_view fromPage, std::string_view link, LinkStatus status,
                   int httpStatus = 0, LinkKind kind = LinkKind::Page);
    void ClearRecords();

    // One visit: the index in the record list of the record it made, and whether the page was
    // read as HTML (text/html or application/xhtml+xml).
    struct Visit {
        int record = 0;
        bool html = false;
    };
    // The pages the crawl visited, in visit order (the start page first), whatever their
    // status.
    const std::vector<Visit>& Visits() const { return visited_; }
    int PagesVisited() const { return static_cast<int>(visited_.size()); }
    // Pages visited plus the distinct pages found that the crawl means to visit and has not yet.
    int PagesKnown() const { return pagesKnown_; }
    // Pages visited, records made, broken, unreachable and blocked records, and whether the
    // page bound stopped the crawl.
    LinkCounts Counts() const;
    // Whether the page bound left pages unvisited that the crawl would have visited.
    bool LimitReached() const { return limitReached_; }
    // Whether the crawl keeps from `link` for robots.txt: its host's file (read by CrawlSite)
    // disallows it for kRobotsAgent, and the manners keep robots.txt.
    bool Blocked(std::string_view link) const;
    // What the crawl read of the robots.txt of `address`'s host; null when it did not ask (a
    // host it did not crawl, or robots.txt not kept).
    const RobotsRead* RobotsOf(std::string_view address) const;

  private:
    struct Item;
    struct Frame;

    // Fetches the page, records it and, when it was read, pushes its links for the walk.
    void OpenPage(const std::string& url, const std::string& fromPage, bool followSite,
                  std::vector<Frame>& stack);
    void HandleItem(const std::string& page, const Item& item, bool followSite,
                    std::vector<Frame>& stack);
    bool RecordAgain(const std::string& page, const std::string& url, LinkKind kind);
    // Whether a page the walk reaches is still to be visited: not visited yet, and not judged
    // unreadable by an earlier head.
    bool NeedsVisit(std::string_view link) const;
    bool WillVisit(std::string_view link, bool isFrame, bool followSite) const;
    // Reads the robots.txt of the address's host (once per host and crawl) and spaces the
    // requests to it as its Crawl-delay and the manners ask.
    void ReadRobots(const std::string& address);
    // The answer to one request, asked once more after a slow-down answer's wait; `note` as
    // FetchAhead::Take gives it.
    Answer Ask(FetchAhead::Kind kind, const std::string& address, std::any* note = nullptr);
    // The crawl's fetches: ahead of the walk while CrawlSite runs, else straight.
    Answer Take(FetchAhead::Kind kind, const std::string& address, std::any* note = nullptr);
    // CheckLink; a style sheet's references join the walk on `stack` when there is one.
    void JudgeLink(const std::string& link, const std::string& fromPage, LinkKind kind,
                   std::vector<Frame>* stack);
    void ReadStyleSheet(const std::string& link, const std::string& address,
                        std::vector<Frame>& stack);
    void FetchAheadFrom(const std::vector<Item>& items, bool followSite, FetchAhead::Order order);
    // The links the walk reads of a page's answer; none when it reads none.
    std::optional<FoundLinks> ReadLinks(const Answer& answer) const;
    // A page fetched ahead, read before the walk comes to it: its links are fetched ahead as
    // later work, and the links themselves (FoundLinks) are kept for the walk.
    FetchAhead::Note ReadAhead(const Answer& answer, bool followSite);
    void NotePagesKnown(const Frame& frame, bool followSite);
    // The site's share of the bar: records made of the links found (and the start page), told
    // once a page's links are counted and after each link the walk handles.
    void ShowWorkOnBar();

    Fetcher& fetcher_;
    const int maxPages_;
    std::chrono::milliseconds retryCap_ = kRetryAfterCap;
    std::chrono::milliseconds retryBudget_ = kRetryBudget;
    // Waited for each host's slow-down answers, by FetchAhead::HostKey.
    std::unordered_map<std::string, std::chrono::milliseconds> waitedFor_;
    PageVisitor visitor_;
    LinkVisitor linkVisitor_;
    CrawlRecordList records_;
    CrawlManners manners_;
    std::chrono::milliseconds crawlDelayCap_ = kCrawlDelayCap;
    // The robots.txt of each host the crawl read one of, by its origin.
    std::unordered_map<std::string, RobotsRead> robots_;
    bool limitReached_ = false;
    // Links past the per-page limit, counted over the crawl.
    std::size_t linksNotRead_ = 0;
    std::string root_;
    // Set by CrawlSite: the first visit's address at the end of its redirects becomes the root.
    bool rootPending_ = false;
    std::vector<Visit> visited_;
    int pagesKnown_ = 0;
    // Links found on the pages and sheets read, each to be recorded once; whether the walk
    // follows the site (the bar has a fraction), and the fraction last shown, in thousandths.
    std::size_t linksFound_ = 0;
    bool followingSite_ = false;
    int shownPerMille_ = -1;
    // The pool of fetches ahead while CrawlSite runs.
    std::unique_ptr<FetchAhead> ahead_;
};

}  // namespace sg
