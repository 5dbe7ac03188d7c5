#include "analysis/LinkCrawler.h"

#include <set>
#include <utility>

#include "analysis/HttpsDowngradeLog.h"
#include "analysis/LinkValidatorReport.h"
#include "analysis/TlsProblemLog.h"
#include "html/LinkExtractor.h"
#include "html/TextUtil.h"
#include "html/Url.h"
#include "model/ProgressSink.h"
#include "net/CWebClient.h"
#include "net/FetchAhead.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

bool HeadSaysMissing(std::string_view header) {
    return header.find("404") != std::string_view::npos;
}

bool PageSaysMissing(std::string_view body) {
    return FindNoCase(body, "404 not found") >= 0 || FindNoCase(body, "not found") >= 0 ||
           FindNoCase(body, "not be found") >= 0;
}

bool Reached(int result) {
    // A page that is not text (an image, an archive) was still answered by its server.
    return result == CWebClient::kFetchOk || result == CWebClient::kFetchNotText;
}

bool IsHtmlAnswer(std::string_view contentTypeLine) {
    return FindNoCase(contentTypeLine, "html") >= 0;
}

bool StatusSaysBroken(int code) {
    return code >= 400 && code <= 599;
}

// The site's pages visited of those known, for the bar within the site's share; a crawl of the
// start page alone (and its frames) has no such fraction.
void ShowPagesOnBar(bool followSite, int visited, int known) {
    if (followSite) {
        ReportPagesVisited(visited, known);
    }
}

// The status of a page's answer: its code, or its head's "404" with the page's words.
LinkStatus JudgePage(const CWebClient& page) {
    if (StatusSaysBroken(page.StatusCode()) ||
        (HeadSaysMissing(page.HeaderText()) && PageSaysMissing(page.BodyText()))) {
        return LinkStatus::Broken;
    }
    return LinkStatus::Available;
}

}  // namespace

// A link of a visited page still to be handled by the walk.
struct LinkCrawler::Item {
    std::string link;
    bool isFrame = false;
    LinkKind kind = LinkKind::Page;
};

// A visited page whose links the walk is going through, in order.
struct LinkCrawler::Frame {
    std::string url;
    std::vector<Item> items;
    std::size_t next = 0;
};

struct LinkCrawler::Answer {
    std::unique_ptr<CWebClient> client;
    int result = CWebClient::kFetchConnectFailed;
};

LinkCrawler::LinkCrawler(int maxPages) : maxPages_(std::max(maxPages, 1)) {}

LinkCrawler::~LinkCrawler() = default;

void LinkCrawler::AddRecord(std::string_view fromPage, std::string_view link, LinkStatus status,
                            int httpStatus, LinkKind kind) {
    records_.Add(fromPage, link, status, httpStatus, kind);
    CountProgress(ProgressCount::LinkChecked);
}

void LinkCrawler::ClearRecords() {
    records_.Clear();
    visited_.clear();
    knownPages_.clear();
    pagesKnown_ = 0;
}

LinkCounts LinkCrawler::Counts() const {
    LinkCounts counts;
    counts.pagesVisited = PagesVisited();
    counts.linksJudged = records_.Count();
    for (int n = 0; n < records_.Count(); ++n) {
        const LinkStatus status = records_.At(n)->status;
        counts.broken += status == LinkStatus::Broken ? 1 : 0;
        counts.unreachable += status == LinkStatus::Unreachable ? 1 : 0;
    }
    return counts;
}

void LinkCrawler::CrawlSite(const std::string& reportPath, const std::string& startUrl,
                            bool followSite) {
    // A copy: the caller's text may live in the list that is about to be cleared.
    const std::string start = startUrl;
    // A site's pages that left https are named once in the log.
    HttpsDowngradeNotes notes;
    root_ = start;
    rootPending_ = true;
    ClearRecords();
    ahead_ = std::make_unique<FetchAhead>(ConnectionsPerHost(), true);
    {
        FetchAhead::Scope scope(*ahead_);
        VisitPage(start, start, followSite);
    }
    ahead_.reset();
    if (!reportPath.empty() && !RunCancelled()) {
        WriteLinkTables(records_, reportPath);
    }
}

LinkCrawler::Answer LinkCrawler::Ask(bool head, const std::string& address) {
    const FetchAhead::Kind kind = head ? FetchAhead::Kind::Head : FetchAhead::Kind::Page;
    Answer answer;
    answer.client = FetchAhead::TakeOrFetch(kind, address, answer.result);
    if (Reached(answer.result) && AsksToSlowDown(answer.client->StatusCode())) {
        const auto wait = RetryAfterWait(answer.client->Result().headerLines, retryCap_);
        if (WaitUnlessCancelled(wait)) {
            answer.client = FetchAhead::TakeOrFetch(kind, address, answer.result);
        }
    }
    return answer;
}

bool LinkCrawler::WillVisit(const std::string& link, bool isFrame, bool followSite) const {
    if (PagesVisited() >= maxPages_) {
        return false;
    }
    // Frames are part of the page, so they are visited whatever their host and whether or not
    // the site is followed; other pages when they are on the root's host, written absolute or
    // relative.
    return isFrame || (followSite && SameHost(link, root_));
}

void LinkCrawler::NotePagesKnown(const Frame& frame, bool followSite) {
    for (const Item& item : frame.items) {
        if (item.kind == LinkKind::Page && WillVisit(item.link, item.isFrame, followSite) &&
            !records_.Visited(item.link) &&
            knownPages_.insert(Url::CompareKeyOf(item.link)).second) {
            ++pagesKnown_;
        }
    }
}

// What the walk will fetch next from a page just visited, started ahead: its frames' and
// own-site links' pages and the other links' and resources' heads, except those judged or
// asked for already.
void LinkCrawler::FetchAheadFrom(const Frame& frame, bool followSite) {
    FetchAhead* ahead = FetchAhead::Current();
    if (ahead == nullptr) {
        return;
    }
    std::vector<FetchAhead::Request> next;
    // Links that differ in their fragment only ("page#a", "page#b") are one fetch: the walk
    // takes its answer once and records the others again.
    std::set<FetchAhead::Request> batch;
    for (const Item& item : frame.items) {
        const bool visit =
            item.kind == LinkKind::Page && WillVisit(item.link, item.isFrame, followSite);
        if (visit ? records_.Visited(item.link) : records_.FindIndex(item.link) >= 0) {
            continue;
        }
        const FetchAhead::Kind kind = visit ? FetchAhead::Kind::Page : FetchAhead::Kind::Head;
        std::string address(Url::FetchKeyOf(item.link));
        FetchAhead::Request request(kind, std::move(address));
        if (!ahead->Seen(request.first, request.second) && batch.insert(request).second) {
            next.push_back(std::move(request));
        }
    }
    ahead->Prefetch(next);
}

bool LinkCrawler::RecordAgain(const std::string& page, const std::string& url, LinkKind kind) {
    const CrawlRecord* earlier = records_.Find(url);
    if (earlier == nullptr) {
        return false;
    }
    const LinkStatus status = earlier->status;
    const int httpStatus = earlier->httpStatus;
    AddRecord(page, url, status, httpStatus, kind);
    return true;
}

void LinkCrawler::OpenPage(const std::string& url, const std::string& fromPage, bool followSite,
                           std::vector<Frame>& stack) {
    const std::string address(Url::FetchKeyOf(url));
    Answer answer = Ask(false, address);
    CountProgress(ProgressCount::PageFetched);
    if (RunCancelled()) {
        return;
    }
    const CWebClient& client = *answer.client;
    if (answer.result == CWebClient::kFetchConnectFailed) {
        LogTlsProblem(client, address);
    }
    const bool reached = Reached(answer.result);
    if (reached) {
        LogHttpsDowngrade(client, address);
    }
    if (rootPending_) {
        rootPending_ = false;
        if (reached) {
            root_ = client.FinalAddress();
        }
    }
    records_.MarkVisited(url);
    if (knownPages_.insert(Url::CompareKeyOf(url)).second) {
        ++pagesKnown_;
    }
    visited_.push_back({records_.Count(), answer.result == CWebClient::kFetchOk &&
                                              IsHtmlAnswer(client.ContentTypeLine())});
    const LinkStatus status = reached ? JudgePage(client) : LinkStatus::Unreachable;
    const int httpStatus = reached ? client.StatusCode() : 0;
    AddRecord(fromPage, url, status, httpStatus, LinkKind::Page);
    if (visitor_) {
        visitor_(VisitedPage{url, fromPage, status, httpStatus, reached ? &client : nullptr});
    }
    // A page judged broken or not read as text is not scanned for links.
    if (status != LinkStatus::Available || answer.result != CWebClient::kFetchOk) {
        ShowPagesOnBar(followSite, PagesVisited(), PagesKnown());
        return;
    }
    const FetchResult& found = client.Result();
    Frame frame;
    frame.url = url;
    frame.items.reserve(found.frames.size() + found.links.size() + found.resources.size());
    for (const std::string& link : found.frames) {
        frame.items.push_back({link, true, LinkKind::Page});
    }
    for (const std::string& link : found.links) {
        frame.items.push_back({link, false, LinkKind::Page});
    }
    for (const std::string& link : found.resources) {
        frame.items.push_back({link, false, LinkKind::Resource});
    }
    if (frame.items.empty()) {
        ShowPagesOnBar(followSite, PagesVisited(), PagesKnown());
        return;
    }
    // The client (and its body) is gone before the page's links are followed, so a deep
    // crawl holds one page's lists per level, not one response.
    answer.client.reset();
    NotePagesKnown(frame, followSite);
    ShowPagesOnBar(followSite, PagesVisited(), PagesKnown());
    FetchAheadFrom(frame, followSite);
    stack.push_back(std::move(frame));
}

void LinkCrawler::HandleItem(const std::string& page, Item& item, bool followSite,
                             std::vector<Frame>& stack) {
    if (item.kind == LinkKind::Page && WillVisit(item.link, item.isFrame, followSite)) {
        // A page judged only by its head so far (a <link rel=next>, say) is visited now.
        if (records_.Visited(item.link) && RecordAgain(page, item.link, item.kind)) {
            return;
        }
        OpenPage(item.link, page, followSite, stack);
        return;
    }
    if (!RecordAgain(page, item.link, item.kind)) {
        CheckLink(item.link, page, item.kind);
    }
}

void LinkCrawler::VisitPage(const std::string& url, const std::string& fromPage, bool followSite) {
    if (RunCancelled()) {
        return;
    }
    // The walk is depth first, as a recursion would go, with the levels on this stack.
    std::vector<Frame> stack;
    OpenPage(url, fromPage, followSite, stack);
    while (!stack.empty()) {
        if (RunCancelled()) {
            return;
        }
        Frame& top = stack.back();
        if (top.next == top.items.size()) {
            stack.pop_back();
            continue;
        }
        Item item = std::move(top.items[top.next++]);
        // The page's own address outlives a push onto the stack.
        const std::string page = top.url;
        HandleItem(page, item, followSite, stack);
    }
    if (PagesVisited() >= maxPages_) {
        if (FetchAhead* ahead = FetchAhead::Current()) {
            ahead->StopPrefetching();
        }
    }
}

void LinkCrawler::CheckLink(const std::string& link, const std::string& fromPage, LinkKind kind) {
    if (RunCancelled()) {
        return;
    }
    const std::string address(Url::FetchKeyOf(link));
    Answer head = Ask(true, address);
    if (RunCancelled()) {
        return;
    }
    if (!Reached(head.result)) {
        LogTlsProblem(*head.client, address);
        AddRecord(fromPage, link, LinkStatus::Unreachable, 0, kind);
        return;
    }
    const std::string header = head.client->HeaderText();
    if (header.empty()) {
        return;
    }
    const int code = head.client->StatusCode();
    if (!HeadNeedsGet(code) && !HeadSaysMissing(header)) {
        if (linkVisitor_) {
            linkVisitor_(JudgedLink{link, fromPage, kind, *head.client});
        }
        AddRecord(fromPage, link,
                  StatusSaysBroken(code) ? LinkStatus::Broken : LinkStatus::Available, code, kind);
        return;
    }
    // The head alone cannot tell a missing page from a header value holding "404", and a
    // server that does not do HEAD answers GET: the page decides.
    head.client.reset();
    const Answer page = Ask(false, address);
    if (RunCancelled()) {
        return;
    }
    if (!Reached(page.result)) {
        AddRecord(fromPage, link, LinkStatus::Unreachable, 0, kind);
        return;
    }
    if (linkVisitor_) {
        linkVisitor_(JudgedLink{link, fromPage, kind, *page.client});
    }
    AddRecord(fromPage, link, JudgePage(*page.client), page.client->StatusCode(), kind);
}

}  // namespace sg
