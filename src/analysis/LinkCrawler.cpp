#include "analysis/LinkCrawler.h"

#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "analysis/CrawlRecordList.h"
#include "analysis/HttpsDowngradeLog.h"
#include "analysis/LinkValidatorReport.h"
#include "analysis/TlsProblemLog.h"
#include "html/LinkExtractor.h"
#include "html/TextUtil.h"
#include "html/UrlText.h"
#include "model/ProgressSink.h"
#include "net/CWebClient.h"
#include "net/FetchAhead.h"
#include "platform/Ansi.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

std::string& Root() {
    static std::string root;
    return root;
}

// Set by CrawlSite: the first visit's address at the end of its redirects becomes the root.
bool& RootPending() {
    static bool pending = false;
    return pending;
}

// The pages the crawl has visited and those it has found to visit (the visited ones
// included), keyed as the record list compares links, for the bar within the site's share.
struct PageTally {
    int visited = 0;
    std::unordered_set<std::string> known;
};

PageTally& Pages() {
    static PageTally tally;
    return tally;
}

std::string PageKey(std::string_view link) {
    std::string key = ToLowerAnsi(link);
    if (key.starts_with("http://")) {
        key.erase(0, 7);
    }
    return key;
}

bool HeadSaysMissing(std::string_view header) {
    return header.find("404") != std::string_view::npos;
}

bool PageSaysMissing(std::string_view body) {
    return FindNoCase(body, "404 not found") >= 0 || FindNoCase(body, "not found") >= 0 ||
           FindNoCase(body, "not be found") >= 0;
}

// What a visit needs from its fetch. The client is gone by the time the page's links are
// followed, so a deep crawl holds one page's lists per level, not one response.
struct PageVisit {
    bool reached = false;
    bool broken = false;
    // Where the page was answered: the address asked, or the end of its redirects.
    std::string finalAddress;
    std::vector<std::string> frames;
    std::vector<std::string> links;
};

PageVisit FetchForVisit(const std::string& url) {
    PageVisit visit;
    const std::string address = StripFragment(url);
    int result = 0;
    const std::unique_ptr<CWebClient> fetched =
        FetchAhead::TakeOrFetch(FetchAhead::Kind::Page, address, result);
    const CWebClient& client = *fetched;
    CountProgress(ProgressCount::PageFetched);
    if (result == CWebClient::kFetchConnectFailed) {
        LogTlsProblem(client, address);
    }
    // A page that is not text (an image, an archive) was still answered by its server: it is
    // judged by its head like any other and has no links.
    if (result != CWebClient::kFetchOk && result != CWebClient::kFetchNotText) {
        return visit;
    }
    visit.reached = true;
    visit.finalAddress = client.FinalAddress();
    LogHttpsDowngrade(client, address);
    if (HeadSaysMissing(client.HeaderText()) && PageSaysMissing(client.BodyText())) {
        visit.broken = true;
        return visit;
    }
    if (result == CWebClient::kFetchOk) {
        visit.frames = client.Result().frames;
        visit.links = client.Result().links;
    }
    return visit;
}

// What the walk will fetch next from a page just visited, started ahead: its frames' and
// own-site links' pages and the other links' heads, except those judged or asked for already.
void FetchAheadFrom(const PageVisit& visit, bool followSite) {
    FetchAhead* ahead = FetchAhead::Current();
    if (ahead == nullptr) {
        return;
    }
    if (RecordCount() > kRecordLimit) {
        ahead->StopPrefetching();
        return;
    }
    std::vector<FetchAhead::Request> next;
    auto add = [&](FetchAhead::Kind kind, const std::string& url) {
        if (FindRecord(url) != nullptr) {
            return;
        }
        std::string address = StripFragment(url);
        if (!ahead->Seen(kind, address)) {
            next.emplace_back(kind, std::move(address));
        }
    };
    for (const std::string& frame : visit.frames) {
        add(FetchAhead::Kind::Page, frame);
    }
    const std::string& root = Root();
    for (const std::string& link : visit.links) {
        add(followSite && SameHost(link, root) ? FetchAhead::Kind::Page : FetchAhead::Kind::Head,
            link);
    }
    ahead->Prefetch(next);
}

// The status of a URL already judged somewhere in this crawl, recorded again for this page;
// false when the URL is new.
bool RecordAgain(const std::string& page, const std::string& url) {
    const CrawlRecord* earlier = FindRecord(url);
    if (earlier == nullptr) {
        return false;
    }
    const LinkStatus status = earlier->status;
    AddRecord(page, url, status);
    return true;
}

// The pages a visited page leads the crawl to (its frames and, the site being followed, its
// links on the root's host) that it had not met yet; then the visited ones of the known ones
// go to the progress display.
void CountPagesToVisit(const PageVisit& visit) {
    PageTally& pages = Pages();
    for (const std::string& frame : visit.frames) {
        if (FindRecord(frame) == nullptr) {
            pages.known.insert(PageKey(frame));
        }
    }
    const std::string& root = Root();
    for (const std::string& link : visit.links) {
        if (FindRecord(link) == nullptr && SameHost(link, root)) {
            pages.known.insert(PageKey(link));
        }
    }
    ReportPagesVisited(pages.visited, static_cast<int>(pages.known.size()));
}

}  // namespace

const std::string& CrawlRoot() {
    return Root();
}

void CrawlSite(const std::string& reportPath, const std::string& startUrl, bool followSite) {
    // A copy: the caller's text may live in the list that is about to be cleared.
    const std::string start = startUrl;
    // A site's pages that left https are named once in the log.
    HttpsDowngradeNotes notes;
    Root() = start;
    RootPending() = true;
    ClearRecords();
    Pages() = PageTally();
    Pages().known.insert(PageKey(start));
    FetchAhead ahead(ConnectionsPerHost(), true);
    FetchAhead::Scope scope(ahead);
    VisitPage(start, start, followSite);
    if (!reportPath.empty()) {
        WriteLinkTables(reportPath);
    }
}

void VisitPage(const std::string& url, const std::string& fromPage, bool followSite) {
    if (RecordCount() > kRecordLimit || RunCancelled()) {
        if (FetchAhead* ahead = FetchAhead::Current()) {
            ahead->StopPrefetching();
        }
        return;
    }
    const PageVisit visit = FetchForVisit(url);
    if (RunCancelled()) {
        return;
    }
    ++Pages().visited;
    if (RootPending()) {
        RootPending() = false;
        if (visit.reached) {
            Root() = visit.finalAddress;
        }
    }
    if (!visit.reached || visit.broken) {
        AddRecord(fromPage, url, visit.reached ? LinkStatus::Broken : LinkStatus::Unreachable);
        if (followSite) {
            ReportPagesVisited(Pages().visited, static_cast<int>(Pages().known.size()));
        }
        return;
    }
    AddRecord(fromPage, url, LinkStatus::Available);
    FetchAheadFrom(visit, followSite);
    if (followSite) {
        CountPagesToVisit(visit);
    }

    // Frames are part of the page, so they are visited whatever their host and whether or not
    // the site is followed.
    for (const std::string& frame : visit.frames) {
        if (RunCancelled()) {
            return;
        }
        if (!RecordAgain(url, frame)) {
            VisitPage(frame, url, followSite);
        }
    }
    const std::string root = Root();
    for (const std::string& link : visit.links) {
        if (RunCancelled()) {
            return;
        }
        if (RecordAgain(url, link)) {
            continue;
        }
        // The same host, whether the link was written absolute or relative.
        if (followSite && SameHost(link, root)) {
            VisitPage(link, url, followSite);
        } else {
            CheckLink(link, url);
        }
    }
}

void CheckLink(const std::string& link, const std::string& fromPage) {
    if (RunCancelled()) {
        return;
    }
    const std::string address = StripFragment(link);
    int headResult = 0;
    const std::unique_ptr<CWebClient> fetchedHead =
        FetchAhead::TakeOrFetch(FetchAhead::Kind::Head, address, headResult);
    const CWebClient& head = *fetchedHead;
    if (headResult != CWebClient::kFetchOk) {
        if (!RunCancelled()) {
            LogTlsProblem(head, address);
            AddRecord(fromPage, link, LinkStatus::Unreachable);
        }
        return;
    }
    const std::string header = head.HeaderText();
    if (header.empty()) {
        return;
    }
    if (!HeadSaysMissing(header)) {
        AddRecord(fromPage, link, LinkStatus::Available);
        return;
    }
    // The head alone cannot tell a missing page from a header value holding "404"; the page
    // decides.
    int result = 0;
    const std::unique_ptr<CWebClient> fetchedPage =
        FetchAhead::TakeOrFetch(FetchAhead::Kind::Page, address, result);
    const CWebClient& page = *fetchedPage;
    if (RunCancelled()) {
        return;
    }
    if (result != CWebClient::kFetchOk && result != CWebClient::kFetchNotText) {
        AddRecord(fromPage, link, LinkStatus::Unreachable);
    } else if (PageSaysMissing(page.BodyText())) {
        AddRecord(fromPage, link, LinkStatus::Broken);
    } else {
        AddRecord(fromPage, link, LinkStatus::Available);
    }
}

}  // namespace sg
