#include "analysis/crawl/LinkCrawler.h"

#include <algorithm>
#include <any>
#include <chrono>
#include <climits>
#include <optional>
#include <set>
#include <unordered_set>
#include <utility>

#include "analysis/crawl/HttpsDowngradeLog.h"
#include "html/CssReferences.h"
#include "html/TextUtil.h"
#include "html/Url.h"
#include "html/UrlText.h"
#include "model/ProgressSink.h"
#include "net/FetchAhead.h"
#include "net/TlsProblemLog.h"
#include "platform/Ansi.h"
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

bool IsHtmlAnswer(std::string_view contentTypeLine) {
    return FindNoCase(contentTypeLine, "html") >= 0;
}

bool StatusSaysBroken(int code) {
    return code >= 400 && code <= 599;
}

// The host robots.txt speaks for: scheme, host in lower case and port ("https://site:443");
// empty for no address the crawl asks.
std::string RobotsOrigin(std::string_view address) {
    const std::optional<Url> url = Url::Parse(address);
    const std::optional<UrlTarget> target = url ? url->Target() : std::nullopt;
    if (!target) {
        return {};
    }
    return (target->secure ? "https://" : "http://") + ToLowerAnsi(target->host) + ":" +
           std::to_string(target->port);
}

// The path and query robots.txt's rules are matched against: what the request line names.
std::string RobotsPath(std::string_view address) {
    const std::optional<Url> url = Url::Parse(address);
    const std::optional<UrlTarget> target = url ? url->Target() : std::nullopt;
    return target ? target->target : std::string("/");
}

std::string SecondsText(double seconds) {
    std::string text = std::to_string(seconds);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

// The status of a page's answer: its code, or its head's "404" with the page's words.
LinkStatus JudgePage(const Answer& page) {
    if (StatusSaysBroken(page.StatusCode()) ||
        (HeadSaysMissing(page.HeaderText()) && PageSaysMissing(page.BodyText()))) {
        return LinkStatus::Broken;
    }
    return LinkStatus::Available;
}

}  // namespace

// A link of a visited page still to be handled by the walk.
// The walk's items name their addresses in the record list's table, where their records will
// name them too: a deep walk holds a few bytes per link waiting, not a string.
struct LinkCrawler::Item {
    std::string_view link;
    bool isFrame = false;
    LinkKind kind = LinkKind::Page;
    // Not asked at all (UnaskedReference): broken without a request, for this reason.
    bool unasked = false;
    BrokenBecause because = BrokenBecause::Answer;
};

// A visited page whose links the walk is going through, in order.
struct LinkCrawler::Frame {
    std::string_view url;
    std::vector<Item> items;
    std::size_t next = 0;
};

LinkCrawler::LinkCrawler(Fetcher& fetcher, int maxPages)
    : fetcher_(fetcher), maxPages_(std::max(maxPages, 1)) {}

LinkCrawler::~LinkCrawler() = default;

void LinkCrawler::AddRecord(std::string_view fromPage, std::string_view link, LinkStatus status,
                            int httpStatus, LinkKind kind) {
    records_.Add(fromPage, link, status, httpStatus, kind);
    CountProgress(ProgressCount::LinkChecked);
}

void LinkCrawler::ShowWorkOnBar() {
    // A crawl of the start page alone (and its frames) has no such fraction.
    if (!followingSite_) {
        return;
    }
    const int done = records_.Count();
    const long long known = std::max<long long>(done, static_cast<long long>(linksFound_) + 1);
    // Told when it moves by a thousandth, not for every record.
    const int perMille = static_cast<int>(1000LL * done / known);
    if (perMille != shownPerMille_) {
        shownPerMille_ = perMille;
        ReportSiteWork(done, static_cast<int>(std::min<long long>(known, INT_MAX)));
    }
}

void LinkCrawler::ClearRecords() {
    records_.Clear();
    visited_ = decltype(visited_)();
    pagesKnown_ = 0;
    linksFound_ = 0;
    shownPerMille_ = -1;
}

LinkCounts LinkCrawler::Counts() const {
    LinkCounts counts;
    counts.pagesVisited = PagesVisited();
    counts.linksJudged = records_.Count();
    for (int n = 0; n < records_.Count(); ++n) {
        const LinkStatus status = records_.At(n).status;
        counts.broken += status == LinkStatus::Broken ? 1 : 0;
        counts.unreachable += status == LinkStatus::Unreachable ? 1 : 0;
        counts.blocked += status == LinkStatus::Blocked ? 1 : 0;
    }
    counts.limitReached = limitReached_;
    counts.linksNotRead = linksNotRead_;
    counts.pageLimit = maxPages_;
    return counts;
}

void LinkCrawler::CrawlSite(const std::string& startUrl, bool followSite) {
    // A copy: the caller's text may live in the list that is about to be cleared.
    const std::string start = startUrl;
    // A site's pages that left https are named once in the log.
    HttpsDowngradeNotes notes;
    root_ = start;
    rootPending_ = true;
    ClearRecords();
    robots_.clear();
    waitedFor_.clear();
    limitReached_ = false;
    linksNotRead_ = 0;
    ahead_ = std::make_unique<FetchAhead>(fetcher_, ConnectionsPerHost(), true);
    ahead_->SetReader([this, followSite](const std::string&, const Answer& answer) {
        return ReadAhead(answer, followSite);
    });
    if (manners_.requestsPerSecond > 0) {
        ahead_->SetSpacing(std::chrono::milliseconds(1000 / manners_.requestsPerSecond));
    }
    ReadRobots(start);
    VisitPage(start, start, followSite);
    ahead_.reset();
    if (limitReached_ && !RunCancelled()) {
        LogProgressLine(start + ": stopped at the page limit (" + std::to_string(maxPages_) +
                        "); more pages were found.");
    }
}

void LinkCrawler::ReadRobots(const std::string& address) {
    const std::string origin = RobotsOrigin(address);
    if (origin.empty() || robots_.count(origin) != 0 || RunCancelled()) {
        return;
    }
    const std::optional<Url> url = Url::Parse(Url::FetchKeyOf(address));
    const std::optional<Url> file = url ? url->Resolve("/robots.txt") : std::nullopt;
    if (!file || !manners_.obeysRobots) {
        return;
    }
    RobotsRead& read = robots_[origin];
    RobotsTxt& robots = read.rules;
    read.url = file->Text();
    FetchRequest request(*file);
    request.anyBody = true;
    request.bodyCap = kRobotsBodyCap;
    const Answer answer = ahead_ != nullptr ? ahead_->Fetch(request) : fetcher_.Fetch(request);
    // A file cut short by a wait is not the whole file: no rules of it are kept.
    const int status = answer.Reached() && !answer.cutShort ? answer.StatusCode() : 0;
    read.status = status;
    // Redirects that loop or go too far make robots.txt unavailable, which allows all (RFC 9309).
    read.redirectsFailed = answer.redirectsFailed;
    // RFC 9309: a file that cannot be had for the server's fault disallows everything; none at
    // all (4xx) allows everything. No answer at all is no rule: the pages will tell.
    if (status >= 200 && status <= 299) {
        robots = RobotsTxt::Parse(answer.BodyText());
    } else if (status >= 500) {
        robots = RobotsTxt::DisallowAll();
        LogProgressLine(file->Text() + " answers " + std::to_string(status) +
                        ": the site is taken as closed to crawlers, as robots.txt's rules ask.");
    }
    const double delay = robots.CrawlDelay(kRobotsAgent);
    if (delay <= 0 || ahead_ == nullptr) {
        return;
    }
    const double kept = std::min(delay, static_cast<double>(crawlDelayCap_.count()) / 1000);
    if (kept < delay) {
        LogProgressLine(file->Text() + " asks for " + SecondsText(delay) +
                        " s between requests: Sitegauge waits " + SecondsText(kept) + " s.");
    }
    ahead_->SetHostSpacing(FetchAhead::HostKey(address),
                           std::chrono::milliseconds(static_cast<long long>(kept * 1000)));
}

bool LinkCrawler::Blocked(std::string_view link) const {
    const RobotsRead* read = robots_.empty() ? nullptr : RobotsOf(link);
    return read != nullptr && !read->rules.Allowed(kRobotsAgent, RobotsPath(link));
}

const RobotsRead* LinkCrawler::RobotsOf(std::string_view address) const {
    const auto found = robots_.find(RobotsOrigin(Url::FetchKeyOf(address)));
    return found != robots_.end() ? &found->second : nullptr;
}

Answer LinkCrawler::Take(FetchAhead::Kind kind, const std::string& address, std::any* note) {
    if (ahead_ != nullptr) {
        return ahead_->Take(kind, address, note);
    }
    const std::optional<Url> url = Url::Parse(address);
    if (!url) {
        Answer none;
        none.result = Answer::kBadAddress;
        return none;
    }
    FetchRequest request(*url, kind == FetchAhead::Kind::Head);
    request.anyBody = kind == FetchAhead::Kind::Body;
    return fetcher_.Fetch(request);
}

Answer LinkCrawler::Ask(FetchAhead::Kind kind, const std::string& address, std::any* note) {
    Answer answer = Take(kind, address, note);
    if (answer.Reached() && AsksToSlowDown(answer.StatusCode())) {
        const auto wait = RetryAfterWait(answer.headerLines, retryCap_);
        // One budget of waiting per host: past it, the answer that came judges (and the host's
        // count stays past it, so that no later wait fits and the log says so once).
        const std::string host = FetchAhead::HostKey(address);
        std::chrono::milliseconds& waited = waitedFor_[host];
        if (waited + wait > retryBudget_) {
            if (waited <= retryBudget_) {
                waited = retryBudget_ + std::chrono::milliseconds(1);
                LogProgressLine(host + " asked to slow down past the waiting budget of " +
                                std::to_string(retryBudget_.count() / 1000) +
                                " s: its other links are judged by the answer they got.");
            }
            return answer;
        }
        waited += wait;
        if (WaitUnlessCancelled(wait)) {
            if (note != nullptr) {
                note->reset();
            }
            answer = Take(kind, address, note);
        }
    }
    return answer;
}

bool LinkCrawler::WillVisit(std::string_view link, bool isFrame, bool followSite) const {
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
        if (item.kind == LinkKind::Page && !item.unasked &&
            WillVisit(item.link, item.isFrame, followSite) && !records_.Visited(item.link) &&
            !Blocked(item.link) && records_.MarkKnown(item.link)) {
            ++pagesKnown_;
        }
    }
}

// The answer's links as the walk reads them (OpenPage): a page judged broken or not read as
// text has none to follow.
std::optional<FoundLinks> LinkCrawler::ReadLinks(const Answer& answer) const {
    if (!answer.Reached() || JudgePage(answer) != LinkStatus::Available ||
        answer.result != Answer::kOk) {
        return std::nullopt;
    }
    return ExtractAnswerLinks(answer, static_cast<std::size_t>(MaxLinksPerPage()));
}

FetchAhead::Note LinkCrawler::ReadAhead(const Answer& answer, bool followSite) {
    std::optional<FoundLinks> found = ReadLinks(answer);
    if (!found) {
        return {};
    }
    std::vector<Item> items;
    items.reserve(found->frames.size() + found->links.size() + found->resources.size());
    std::size_t bytes = sizeof(FoundLinks);
    const auto add = [&](const std::vector<std::string>& links, bool isFrame, LinkKind kind) {
        for (const std::string& link : links) {
            items.push_back({link, isFrame, kind});
            bytes += sizeof(std::string) + link.capacity();
        }
    };
    add(found->frames, true, LinkKind::Page);
    add(found->links, false, LinkKind::Page);
    add(found->resources, false, LinkKind::Resource);
    FetchAheadFrom(items, followSite, FetchAhead::Order::Later);
    return {std::move(*found), bytes};
}

// What the walk will fetch from a page's links, started ahead: its frames' and own-site links'
// pages and the other links' and resources' heads, except those judged or asked for already.
// Pages asked for ahead stay within the page bound.
void LinkCrawler::FetchAheadFrom(const std::vector<Item>& items, bool followSite,
                                 FetchAhead::Order order) {
    FetchAhead* ahead = ahead_.get();
    if (ahead == nullptr) {
        return;
    }
    int pagesLeft = maxPages_ - ahead->PagesSeen();
    std::vector<FetchAhead::Request> next;
    // Pages already queued as later work that the walk now needs next.
    std::vector<FetchAhead::Request> sooner;
    // Links that differ in their fragment only ("page#a", "page#b") are one fetch: the walk
    // takes its answer once and records the others again.
    std::set<FetchAhead::Request> batch;
    std::unordered_set<std::string> pages;
    for (const Item& item : items) {
        const bool visit =
            item.kind == LinkKind::Page && WillVisit(item.link, item.isFrame, followSite);
        if (item.unasked || Blocked(item.link) ||
            (visit ? !NeedsVisit(item.link) : records_.FindIndex(item.link) >= 0)) {
            continue;
        }
        const FetchAhead::Kind kind = visit ? FetchAhead::Kind::Page : FetchAhead::Kind::Head;
        std::string address(Url::FetchKeyOf(item.link));
        // A page the walk will read judges the address: no head of it besides.
        if (!visit && (pages.count(address) != 0 || ahead->Seen(FetchAhead::Kind::Page, address))) {
            continue;
        }
        if (visit) {
            pages.insert(address);
        }
        FetchAhead::Request request(kind, std::move(address));
        if (batch.count(request) != 0) {
            continue;
        }
        if (ahead->Seen(request.first, request.second)) {
            if (visit && order == FetchAhead::Order::Next) {
                batch.insert(request);
                sooner.push_back(std::move(request));
            }
            continue;
        }
        if (visit && pagesLeft <= 0) {
            continue;
        }
        pagesLeft -= visit ? 1 : 0;
        batch.insert(request);
        next.push_back(std::move(request));
    }
    ahead->Prefetch(next, order);
    ahead->Hurry(sooner);
}

bool LinkCrawler::RecordAgain(const std::string& page, const std::string& url, LinkKind kind) {
    const std::optional<CrawlRecord> earlier = records_.Find(url);
    if (!earlier) {
        return false;
    }
    const LinkStatus status = earlier->status;
    const int httpStatus = earlier->httpStatus;
    AddRecord(page, url, status, httpStatus, kind);
    return true;
}

void LinkCrawler::OpenPage(const std::string& url, const std::string& fromPage, bool followSite,
                           std::vector<Frame>& stack) {
    if (Blocked(url)) {
        rootPending_ = false;
        AddRecord(fromPage, url, LinkStatus::Blocked, 0, LinkKind::Page);
        return;
    }
    const std::string address(Url::FetchKeyOf(url));
    // The links of a page fetched ahead may have been read while the walk waited.
    std::any readAhead;
    Answer answer = Ask(FetchAhead::Kind::Page, address, &readAhead);
    CountProgress(ProgressCount::PageFetched);
    if (RunCancelled()) {
        return;
    }
    if (answer.result == Answer::kConnectFailed) {
        LogTlsProblem(answer, address);
    }
    const bool reached = answer.Reached();
    if (reached) {
        LogHttpsDowngrade(answer, address);
    }
    if (rootPending_) {
        rootPending_ = false;
        if (reached) {
            root_ = answer.finalUrl;
            // The site goes on where the start page's redirects ended: its host's rules too.
            ReadRobots(root_);
        }
    }
    records_.MarkVisited(url);
    if (records_.MarkKnown(url)) {
        ++pagesKnown_;
    }
    visited_.push_back(
        {records_.Count(), answer.result == Answer::kOk && IsHtmlAnswer(answer.ContentTypeLine())});
    const LinkStatus status = reached ? JudgePage(answer) : LinkStatus::Unreachable;
    const int httpStatus = reached ? answer.StatusCode() : 0;
    AddRecord(fromPage, url, status, httpStatus, LinkKind::Page);
    // A page judged broken or not read as text is not scanned for links.
    const bool read = status == LinkStatus::Available && answer.result == Answer::kOk;
    FoundLinks found;
    if (FoundLinks* early = std::any_cast<FoundLinks>(&readAhead); read && early != nullptr) {
        found = std::move(*early);
    } else if (read) {
        found = *ReadLinks(answer);
    }
    if (found.beyondLimit > 0) {
        linksNotRead_ += found.beyondLimit;
        LogProgressLine(url + ": " + std::to_string(found.beyondLimit) +
                        " links past the limit of " + std::to_string(MaxLinksPerPage()) +
                        " a page were not read.");
    }
    if (visitor_) {
        visitor_(VisitedPage{url, fromPage, status, httpStatus, reached ? &answer : nullptr,
                             read ? &found : nullptr});
    }
    if (found.Empty()) {
        ShowWorkOnBar();
        return;
    }
    Frame frame;
    frame.url = records_.Keep(url);
    frame.items.reserve(found.frames.size() + found.links.size() + found.resources.size());
    for (const std::string& link : found.frames) {
        frame.items.push_back({records_.Keep(link), true, LinkKind::Page});
    }
    for (const std::string& link : found.links) {
        frame.items.push_back({records_.Keep(link), false, LinkKind::Page});
    }
    for (const std::string& link : found.resources) {
        frame.items.push_back({records_.Keep(link), false, LinkKind::Resource});
    }
    for (const UnaskedReference& reference : found.unasked) {
        frame.items.push_back({records_.Keep(reference.value), false,
                               reference.resource ? LinkKind::Resource : LinkKind::Page, true,
                               reference.why == UnaskedReference::Why::TooLong
                                   ? BrokenBecause::AddressTooLong
                                   : BrokenBecause::NotOnTheWeb});
    }
    // The answer (and its body) is gone before the page's links are followed, so a deep crawl
    // holds one page's lists per level, not one response.
    answer = Answer();
    NotePagesKnown(frame, followSite);
    linksFound_ += frame.items.size();
    ShowWorkOnBar();
    FetchAheadFrom(frame.items, followSite, FetchAhead::Order::Next);
    stack.push_back(std::move(frame));
}

bool LinkCrawler::NeedsVisit(std::string_view link) const {
    if (records_.Visited(link)) {
        return false;
    }
    // A page judged only by its head so far (a <link rel=next>, say) is visited to be read,
    // unless that head said it cannot be read.
    const std::optional<CrawlRecord> earlier = records_.Find(link);
    return !earlier || earlier->status == LinkStatus::Available;
}

void LinkCrawler::HandleItem(const std::string& page, const Item& item, bool followSite,
                             std::vector<Frame>& stack) {
    const std::string link(item.link);
    if (item.unasked) {
        records_.Add(page, link, LinkStatus::Broken, 0, item.kind, item.because);
        CountProgress(ProgressCount::LinkChecked);
        return;
    }
    if (Blocked(link)) {
        if (!RecordAgain(page, link, item.kind)) {
            AddRecord(page, link, LinkStatus::Blocked, 0, item.kind);
        }
        return;
    }
    const bool onSite = item.isFrame || (followSite && SameHost(link, root_));
    if (item.kind == LinkKind::Page && WillVisit(link, item.isFrame, followSite)) {
        if (!NeedsVisit(link) && RecordAgain(page, link, item.kind)) {
            return;
        }
        OpenPage(link, page, followSite, stack);
        return;
    }
    if (item.kind == LinkKind::Page && onSite && NeedsVisit(link)) {
        // Only the page bound keeps it from being visited.
        limitReached_ = true;
    }
    if (!RecordAgain(page, link, item.kind)) {
        JudgeLink(link, page, item.kind, &stack);
    }
}

void LinkCrawler::VisitPage(const std::string& url, const std::string& fromPage, bool followSite) {
    if (RunCancelled()) {
        return;
    }
    followingSite_ = followSite;
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
        const Item item = top.items[top.next++];
        // The page's own address outlives a push onto the stack.
        const std::string page(top.url);
        HandleItem(page, item, followSite, stack);
        ShowWorkOnBar();
    }
    if (PagesVisited() >= maxPages_ && ahead_ != nullptr) {
        ahead_->StopPrefetching();
    }
}

void LinkCrawler::CheckLink(const std::string& link, const std::string& fromPage, LinkKind kind) {
    JudgeLink(link, fromPage, kind, nullptr);
}

void LinkCrawler::JudgeLink(const std::string& link, const std::string& fromPage, LinkKind kind,
                            std::vector<Frame>* stack) {
    if (RunCancelled()) {
        return;
    }
    if (Blocked(link)) {
        AddRecord(fromPage, link, LinkStatus::Blocked, 0, kind);
        return;
    }
    const std::string address(Url::FetchKeyOf(link));
    Answer head = Ask(FetchAhead::Kind::Head, address);
    if (RunCancelled()) {
        return;
    }
    if (!head.Reached()) {
        LogTlsProblem(head, address);
        AddRecord(fromPage, link, LinkStatus::Unreachable, 0, kind);
        return;
    }
    const std::string header = head.HeaderText();
    if (header.empty()) {
        return;
    }
    const int code = head.StatusCode();
    // A status that says broken decides; the page is read for its words only when the head
    // holds "404" in another way.
    if (!HeadNeedsGet(code) && (StatusSaysBroken(code) || !HeadSaysMissing(header))) {
        if (linkVisitor_) {
            linkVisitor_(JudgedLink{link, fromPage, kind, head});
        }
        AddRecord(fromPage, link,
                  StatusSaysBroken(code) ? LinkStatus::Broken : LinkStatus::Available, code, kind);
        if (stack != nullptr && kind == LinkKind::Resource && code >= 200 && code <= 299 &&
            head.IsStyleSheet()) {
            head = Answer();
            ReadStyleSheet(link, address, *stack);
        }
        return;
    }
    // The head alone cannot tell a missing page from a header value holding "404", and a
    // server that does not do HEAD answers GET: the page decides.
    head = Answer();
    const Answer page = Ask(FetchAhead::Kind::Page, address);
    if (RunCancelled()) {
        return;
    }
    if (!page.Reached()) {
        AddRecord(fromPage, link, LinkStatus::Unreachable, 0, kind);
        return;
    }
    if (linkVisitor_) {
        linkVisitor_(JudgedLink{link, fromPage, kind, page});
    }
    AddRecord(fromPage, link, JudgePage(page), page.StatusCode(), kind);
}

// The addresses a style sheet loads (its @imports and url()s) are the walk's next resources,
// found on the sheet, as a page's are found on the page.
void LinkCrawler::ReadStyleSheet(const std::string& link, const std::string& address,
                                 std::vector<Frame>& stack) {
    const Answer sheet = Ask(FetchAhead::Kind::Body, address);
    if (RunCancelled() || sheet.result != Answer::kOk) {
        return;
    }
    const UrlResolver resolver(sheet.finalUrl);
    Frame frame;
    frame.url = records_.Keep(link);
    std::unordered_set<std::string> distinct;
    for (const CssReference& reference : ReadCssReferences(sheet.BodyText())) {
        const std::optional<Url> url = resolver.Resolve(reference.url);
        if (url && url->IsFollowed() && distinct.insert(url->Text()).second) {
            frame.items.push_back({records_.Keep(url->Text()), false, LinkKind::Resource});
        }
    }
    if (!frame.items.empty()) {
        linksFound_ += frame.items.size();
        FetchAheadFrom(frame.items, false, FetchAhead::Order::Next);
        stack.push_back(std::move(frame));
    }
}

}  // namespace sg
