#include "analysis/audit/gather/AuditCrawl.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "analysis/audit/formats/Canonical.h"
#include "analysis/audit/gather/AuditRenderRead.h"
#include "analysis/crawl/LinkCrawler.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "html/Url.h"
#include "html/UrlText.h"
#include "model/AddressTable.h"
#include "model/ProgressSink.h"
#include "net/ConnectionSetting.h"
#include "net/FetchAhead.h"
#include "net/Fetcher.h"
#include "net/RenderFacts.h"
#include "platform/Ansi.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

std::string Key(std::string_view url) {
    return Url::CompareKeyOf(url);
}

// "host:port" or "https://host" of an address: where its robots.txt and sitemap.xml lie.
std::string HostRoot(std::string_view url) {
    std::size_t start = 0;
    if (StartsWithNoCase(url, "http://")) {
        start = 7;
    } else if (StartsWithNoCase(url, "https://")) {
        start = 8;
    }
    const std::size_t end = url.find_first_of("/?#", start);
    return std::string(url.substr(0, end));
}

bool IsHtml(std::string_view contentTypeLine) {
    return FindNoCase(contentTypeLine, "text/html") >= 0 ||
           FindNoCase(contentTypeLine, "application/xhtml+xml") >= 0;
}

// The head lines the later checks judge (AuditHead).
constexpr std::string_view kKeptHeadLines[] = {
    "Content-Type:", "Content-Encoding:",         "Content-Length:", "Cache-Control:", "Expires:",
    "Date:",         "Strict-Transport-Security:"};

AuditHead HeadOf(const Answer& answer, bool page) {
    AuditHead head;
    for (const std::string& line : answer.headerLines) {
        for (std::string_view name : kKeptHeadLines) {
            if (StartsWithNoCase(line, name)) {
                head.lines.push_back(line);
                break;
            }
        }
    }
    head.lines.Shrink();
    head.firstByteMs = answer.firstByte.count();
    head.offeredCompression = !answer.offeredEncodings.empty();
    if (page) {
        // The server's HTML is what engines read first, not the document a browser made of it.
        head.bodyBytes =
            answer.rendered != nullptr ? answer.rendered->sourceBody.size() : answer.BodyBytes();
        head.bytesReceived = answer.bytesReceived;
    }
    return head;
}

// Where an answer came from: the end of its redirects (the answer's address when there were none
// or `atEnd` says it is that end).
std::string_view FinalUrl(const AuditAnswer& answer, const Answer& got, bool atEnd = false) {
    return got.finalUrl.empty() || atEnd ? std::string_view(answer.url)
                                         : std::string_view(got.finalUrl);
}

// Fills an answer from what a fetch got; a 200 HTML page gets its facts read, and its
// resources are `links`' (those the crawl read from it; read here when it gives none). With
// `atEnd` the answer is for the address the redirects ended on.

void Fill(AuditAnswer& answer, const Answer& got, const FoundLinks* links = nullptr,
          bool atEnd = false) {
    answer.endedOnHttps = StartsWithNoCase(FinalUrl(answer, got, atEnd), "https://");
    answer.status = got.StatusCode();
    if (!atEnd) {
        answer.redirects = got.redirects;
        answer.redirectStatus = got.redirectStatuses.empty() ? 0 : got.redirectStatuses.front();
    }
    AddXRobotsTagLines(got.headerLines, answer.directives);
    const std::string contentType = got.ContentTypeLine();
    answer.html = answer.redirects.empty() && IsHtml(contentType);
    answer.head = HeadOf(got, true);
    if (!answer.html) {
        return;
    }
    const FoundLinks read =
        links != nullptr ? FoundLinks()
                         : ExtractAnswerLinks(got, static_cast<std::size_t>(MaxLinksPerPage()));
    const FoundLinks& found = links != nullptr ? *links : read;
    {
        std::unordered_set<std::string> keys;
        for (const std::string& resource : found.resources) {
            if (answer.resources.size() >= kAuditResourcesKept) {
                break;
            }
            std::string url = StripFragment(resource);
            if (keys.insert(Key(url)).second) {
                answer.resources.push_back(url);
            }
        }
        answer.resources.Shrink();
    }
    if (answer.status == 200) {
        const std::string& body = got.BodyText();
        answer.facts = ReadPageFacts(body, contentType);
        const PageFacts& facts = answer.facts;
        for (std::size_t i = 0; i < facts.robots.size(); ++i) {
            AddMetaRobots(facts.robots[i], answer.directives,
                          i < facts.robotsNames.size() ? facts.robotsNames[i] : "robots");
        }
        if (got.rendered != nullptr) {
            answer.rendered = ReadAuditRender(got, found);
        }
    }
}

// Why a fetch got no answer, for a person; empty when it got one.
std::string FailureText(const Answer& got) {
    if (got.Reached()) {
        return {};
    }
    if (got.proxyUnreachable) {
        return "the proxy " + got.proxy + " could not be reached";
    }
    if (!got.tlsError.empty()) {
        return "the secure connection failed: " + got.tlsError;
    }
    if (got.result == Answer::kBadAddress) {
        return "not a usable address or host";
    }
    if (got.redirectsFailed) {
        return "its redirects loop or go too far";
    }
    if (!got.proxy.empty()) {
        return "no answer through the proxy " + got.proxy;
    }
    return "no connection, or no answer in time";
}

// "host:port" of an address, without scheme or path.
std::string HostPort(std::string_view url) {
    std::string host = HostRoot(url);
    if (StartsWithNoCase(host, "http://")) {
        host.erase(0, 7);
    } else if (StartsWithNoCase(host, "https://")) {
        host.erase(0, 8);
    }
    return host;
}

// The scheme of an address in the crawl's form: one written without a scheme is http.
bool IsHttps(std::string_view url) {
    return StartsWithNoCase(url, "https://");
}

// Both on one host and port, and by one scheme.
bool SameHostAndScheme(std::string_view a, std::string_view b) {
    return IsHttps(a) == IsHttps(b) && SameHost(a, b);
}

// Addresses of other hosts a sitemap finding names.
constexpr std::size_t kOtherHostNamed = 5;

// One fetch the crawl does not make, with the usual attempts.
Answer FetchOne(Fetcher& fetcher, const std::string& address, bool anyBody, std::size_t bodyCap) {
    const std::optional<Url> url = Url::Parse(address);
    if (!url) {
        Answer none;
        none.result = Answer::kBadAddress;
        return none;
    }
    FetchRequest request(*url);
    request.anyBody = anyBody;
    request.bodyCap = bodyCap;
    return fetcher.Fetch(request);
}

// An address of the site as the crawl writes it: a site reached without a scheme has its
// "http://" addresses without one too, so a page a sitemap lists reads as the crawl's.
std::string SiteForm(const std::string& url, const std::string& root) {
    const bool rootHasScheme =
        StartsWithNoCase(root, "http://") || StartsWithNoCase(root, "https://");
    if (!rootHasScheme && StartsWithNoCase(url, "http://")) {
        return url.substr(7);
    }
    return url;
}

class Gatherer {
  public:
    Gatherer(Fetcher& fetcher, const std::string& siteUrl, const AuditGatherBounds& bounds)
        : fetcher_(fetcher),
          bounds_(bounds),
          maxPages_(bounds.maxPages > 0 ? bounds.maxPages : MaxPagesPerSite()) {
        data_.siteUrl = siteUrl;
        data_.root = siteUrl;
    }

    AuditSiteData Run() {
        Crawl();
        if (!RunCancelled() && !Answered()) {
            // Asked once more (robots.txt gave no answer, so it forbids nothing), to say why; a
            // site that gives no answer is asked nothing else.
            const Answer again = FetchOne(fetcher_, data_.siteUrl, false, 0);
            data_.startFailure = FailureText(again);
            if (!data_.startFailure.empty()) {
                return std::move(data_);
            }
        }
        if (!RunCancelled()) {
            ProbeLoops();
        }
        if (!RunCancelled()) {
            AskSlowAgain();
        }
        if (!RunCancelled()) {
            ProbeHttps();
        }
        if (!RunCancelled()) {
            ReadRobots();
        }
        if (!RunCancelled()) {
            ReadSitemaps();
        }
        if (!RunCancelled()) {
            FetchUnvisited();
        }
        return std::move(data_);
    }

  private:
    // Some address of the site gave an answer (a redirect counts), robots.txt included: a site
    // whose robots.txt answered keeps the pages it forbids unasked, and is there.
    bool Answered() const {
        if (const RobotsRead* read = crawler_->RobotsOf(data_.root);
            read != nullptr && (read->status != 0 || read->redirectsFailed)) {
            return true;
        }
        return std::any_of(data_.answers.begin(), data_.answers.end(), [](const AuditAnswer& a) {
            return a.status != 0 || !a.redirects.empty();
        });
    }

    // A page whose first byte came late is asked once more: a moment's load of the server or
    // of this computer is not the site's speed.
    void AskSlowAgain() {
        std::size_t asked = 0;
        for (AuditAnswer& answer : data_.answers) {
            if (RunCancelled() || asked >= bounds_.slowProbes) {
                return;
            }
            if (!answer.html || answer.status != 200 || !answer.redirects.empty() ||
                answer.head.firstByteMs <= bounds_.slowFirstByteMs) {
                continue;
            }
            ++asked;
            const Answer again = FetchOne(fetcher_, answer.url, false, 0);
            if (again.Reached()) {
                answer.firstByteAgainMs = again.firstByte.count();
            }
        }
    }

    bool Seen(std::string_view url) const { return keys_.Find(Key(url)) != AddressTable::kNone; }

    AuditAnswer& AddAnswer(std::string url, std::string from, bool crawled) {
        if (keys_.Intern(Key(url)) == answerOf_.size()) {
            answerOf_.push_back(data_.answers.size());
        }
        AuditAnswer& answer = data_.answers.emplace_back();
        answer.url = std::move(url);
        answer.from = std::move(from);
        answer.crawled = crawled;
        return answer;
    }

    // An answer for an address and, when it redirected within the site to an address not yet
    // known, one for where it ended: the page there is that address's, not the first one's.
    void Record(const std::string& url, const std::string& from, const Answer* got,
                const FoundLinks* links, bool crawled) {
        AuditAnswer& answer = AddAnswer(url, from, crawled);
        if (got == nullptr) {
            answer.endedOnHttps = StartsWithNoCase(url, "https://");
            return;
        }
        Fill(answer, *got, links);
        if (answer.redirects.empty()) {
            return;
        }
        const std::string target = StripFragment(FinalUrl(answer, *got));
        if (!SameHost(target, data_.root) || Seen(target)) {
            return;
        }
        AuditAnswer& ended = AddAnswer(target, from, crawled);
        Fill(ended, *got, links, true);
    }

    void Crawl() {
        crawler_ = std::make_unique<LinkCrawler>(fetcher_, maxPages_);
        LinkCrawler& crawler = *crawler_;
        crawler.SetManners(bounds_.manners);
        bool first = true;
        crawler.SetPageVisitor([&](const VisitedPage& page) {
            const std::string url = StripFragment(page.url);
            if (first) {
                first = false;
                if (page.answer != nullptr && !page.answer->finalUrl.empty()) {
                    data_.root = StripFragment(page.answer->finalUrl);
                }
            }
            // Frames of other hosts are visited too; they are not the site's pages.
            if (!SameHost(url, data_.root) && !SameHost(url, data_.siteUrl)) {
                return;
            }
            if (!Seen(url)) {
                Record(url, page.fromPage, page.answer, page.links, true);
            }
        });
        std::unordered_set<std::string> resources;
        crawler.SetLinkVisitor([&](const JudgedLink& link) {
            if (link.kind != LinkKind::Resource) {
                return;
            }
            std::string url = StripFragment(link.link);
            if (!resources.insert(Key(url)).second) {
                return;
            }
            AuditResource& resource = data_.resources.emplace_back();
            resource.url = std::move(url);
            resource.from = StripFragment(link.fromPage);
            resource.status = link.answer.StatusCode();
            resource.head = HeadOf(link.answer, false);
        });
        crawler.CrawlSite(data_.siteUrl, true);
        visited_ = crawler.PagesVisited();

        // Each address of the site once (its first record), and every link to an address that
        // redirected, which internal-link-to-redirect names by the linking page.
        std::unordered_set<std::string> targets;
        const CrawlRecordList& records = crawler.Records();
        for (int n = 0; n < records.Count(); ++n) {
            const CrawlRecord record = records.At(n);
            if (!SameHost(record.link, data_.root)) {
                continue;
            }
            const std::string to = StripFragment(record.link);
            const std::string key = Key(to);
            const AddressTable::Id known = keys_.Find(key);
            const bool redirects =
                known != AddressTable::kNone && !data_.answers[answerOf_[known]].redirects.empty();
            if (targets.insert(key).second || redirects) {
                data_.links.push_back({StripFragment(record.fromPage), to, record.httpStatus,
                                       record.kind == LinkKind::Page});
            }
            if (record.status == LinkStatus::Blocked && record.kind == LinkKind::Page &&
                !Seen(to)) {
                AddNotAsked(to, StripFragment(record.fromPage));
            }
        }
        // Only its robots.txt is read from here on: the records go before the checks run.
        crawler.ClearRecords();
    }

    void AddNotAsked(const std::string& url, std::string from) {
        AuditAnswer& answer = AddAnswer(url, std::move(from), false);
        answer.endedOnHttps = StartsWithNoCase(answer.url, "https://");
        answer.notAsked = true;
    }

    // A page that got no answer may have redirected in a circle: the client gives up on a loop
    // as on a dead server. Asked again, a loop shows as redirects followed by no answer from
    // where they led, and that address, asked on its own, redirects again before failing.
    void ProbeLoops() {
        std::size_t probes = 0;
        for (AuditAnswer& answer : data_.answers) {
            if (answer.status != 0 || !answer.redirects.empty() || answer.notAsked ||
                probes >= bounds_.loopProbes) {
                continue;
            }
            ++probes;
            const Answer first = FetchOne(fetcher_, answer.url, false, 0);
            if (first.result == Answer::kOk || first.redirects.empty() || RunCancelled()) {
                continue;
            }
            const Answer again = FetchOne(fetcher_, first.finalUrl, false, 0);
            if (again.result != Answer::kOk && !again.redirects.empty()) {
                answer.redirectLoop = true;
                answer.redirects = first.redirects;
                answer.redirectStatus =
                    first.redirectStatuses.empty() ? 0 : first.redirectStatuses.front();
            }
        }
    }

    // Whether the host of the site's plain http pages answers https: an https page of it came
    // in the crawl, or its root answers over https (at the site's own port when it has one,
    // else at https's). For a site met over https, whether its root over http (at the same
    // port, else at http's) redirects to https.
    void ProbeHttps() {
        bool plain = false;
        for (const AuditAnswer& answer : data_.answers) {
            if (answer.endedOnHttps) {
                data_.hostAnswersHttps = true;
            }
            plain = plain || (answer.status != 0 && !answer.endedOnHttps);
        }
        const std::string host = HostPort(data_.root);
        if (host.empty()) {
            return;
        }
        if (StartsWithNoCase(data_.root, "https://")) {
            data_.httpProbeUrl = "http://" + host + "/";
            const Answer answer = Probe(data_.httpProbeUrl);
            if (answer.Reached()) {
                data_.httpProbeStatus = answer.redirectStatuses.empty()
                                            ? answer.StatusCode()
                                            : answer.redirectStatuses.front();
                data_.httpProbeEndedOnHttps = StartsWithNoCase(answer.finalUrl, "https://");
            }
            return;
        }
        if (!plain || data_.hostAnswersHttps) {
            return;
        }
        data_.httpsProbeUrl = "https://" + host + "/";
        const Answer answer = Probe(data_.httpsProbeUrl);
        data_.hostAnswersHttps = answer.Reached() && answer.StatusCode() != 0;
    }

    // One quick look: a single attempt with short waits, the head only.
    Answer Probe(const std::string& address) {
        const std::optional<Url> url = Url::Parse(address);
        if (!url) {
            return Answer();
        }
        FetchRequest request(*url, true);
        request.attempts = 1;
        request.connectTimeout = std::chrono::milliseconds(3000);
        request.attemptDeadline = std::chrono::milliseconds(5000);
        return fetcher_.Fetch(request);
    }

    void ReadRobots() {
        // The crawl read it before the site's first page, unless it was told not to keep it.
        if (const RobotsRead* read = crawler_->RobotsOf(data_.root)) {
            data_.robotsUrl = read->url;
            data_.robotsStatus = read->status;
            data_.robotsRedirectsFailed = read->redirectsFailed;
            data_.robots = read->status == 0 && !read->redirectsFailed ? RobotsTxt::DisallowAll()
                                                                       : read->rules;
            return;
        }
        data_.robotsUrl = HostRoot(data_.root) + "/robots.txt";
        const Answer robots = FetchOne(fetcher_, data_.robotsUrl, true, 0);
        // As the crawl reads it: redirects that fail make none (allow all), a file cut short is
        // not the file (no answer).
        data_.robotsRedirectsFailed = robots.redirectsFailed;
        if (robots.result != Answer::kOk || robots.cutShort) {
            data_.robotsStatus = 0;
            data_.robots =
                robots.redirectsFailed ? RobotsTxt::AllowAll() : RobotsTxt::DisallowAll();
            return;
        }
        data_.robotsStatus = robots.StatusCode();
        if (data_.robotsStatus >= 200 && data_.robotsStatus <= 299) {
            data_.robots = RobotsTxt::Parse(robots.BodyText());
        } else if (data_.robotsStatus >= 500 || data_.robotsStatus == 0) {
            data_.robots = RobotsTxt::DisallowAll();
        }
    }

    void ReadSitemaps() {
        // Each file: its address and whether an index listed it.
        std::vector<std::pair<std::string, bool>> queue;
        for (const std::string& url : data_.robots.Sitemaps()) {
            queue.emplace_back(url, false);
        }
        data_.sitemapFound = !queue.empty();
        const bool fallback = queue.empty();
        if (fallback) {
            queue.emplace_back(HostRoot(data_.root) + "/sitemap.xml", false);
        }
        std::unordered_set<std::string> listed;
        std::unordered_set<std::string> files;
        for (std::size_t i = 0; i < queue.size() && i < bounds_.sitemapFiles; ++i) {
            if (RunCancelled()) {
                return;
            }
            const auto [url, fromIndex] = queue[i];
            if (!files.insert(Key(url)).second) {
                continue;
            }
            const Answer sitemap = FetchOne(fetcher_, url, true, bounds_.sitemap.bytes + 1);
            const int status = sitemap.result == Answer::kOk ? sitemap.StatusCode() : 0;
            if (fallback && status != 200) {
                // No sitemap named and none at the usual place.
                return;
            }
            data_.sitemapFound = true;
            AuditSitemapFile& file = data_.sitemaps.emplace_back();
            file.url = url;
            file.status = status;
            if (status != 200) {
                file.problem = status == 0 ? "no answer" : "answers " + std::to_string(status);
                continue;
            }
            file.content = ReadSitemap(sitemap.BodyText(), bounds_.sitemap);
            file.problem = file.content.problem;
            if (file.content.kind == SitemapContent::Kind::Index) {
                if (fromIndex) {
                    file.problem = "a sitemap index listed by a sitemap index";
                    continue;
                }
                for (const std::string& child : file.content.addresses) {
                    queue.emplace_back(child, true);
                }
            } else if (file.content.kind == SitemapContent::Kind::UrlSet) {
                for (const std::string& address : file.content.addresses) {
                    if (data_.listed.size() >= bounds_.listed) {
                        break;
                    }
                    const std::optional<Url> parsed = Url::Parse(address);
                    // Where the sitemap's redirects ended is where it stands.
                    if (parsed && !SameHostAndScheme(parsed->Text(), sitemap.finalUrl)) {
                        if (file.otherHostFirst.size() < kOtherHostNamed) {
                            file.otherHostFirst.push_back(parsed->Text());
                        }
                        ++file.otherHost;
                    }
                    if (parsed && listed.insert(Key(parsed->Text())).second) {
                        data_.listed.push_back(SameHost(parsed->Text(), data_.root)
                                                   ? SiteForm(parsed->Text(), data_.root)
                                                   : parsed->Text());
                    }
                }
            }
            // Addresses are kept in `listed`; the file's own copy is not needed any more.
            file.content.addresses.clear();
            file.content.addresses.shrink_to_fit();
        }
    }

    // The pages a sitemap lists or a canonical link names that the crawl did not visit, within
    // what is left of the page bound; fetched ahead as the crawl's are.
    void FetchUnvisited() {
        std::vector<std::string> wanted;
        std::unordered_set<std::string> keys;
        auto want = [&](const std::string& url) {
            if (!Seen(url) && keys.insert(Key(url)).second) {
                wanted.push_back(url);
            }
        };
        for (const AuditAnswer& answer : data_.answers) {
            if (answer.html && answer.status == 200) {
                const AuditCanonical canonical = ReadAuditCanonical(answer.facts.canonicals);
                if (!canonical.url.empty()) {
                    const std::string target = StripFragment(canonical.url);
                    want(SameHost(target, data_.root) ? SiteForm(target, data_.root) : target);
                }
            }
        }
        for (const std::string& url : data_.listed) {
            if (SameHost(url, data_.root)) {
                want(StripFragment(url));
            }
        }
        // What robots.txt keeps the crawl from, the audit does not ask either.
        std::erase_if(wanted, [&](const std::string& url) {
            if (!crawler_->Blocked(url)) {
                return false;
            }
            if (SameHost(url, data_.root) && !Seen(url)) {
                AddNotAsked(url, "");
            }
            return true;
        });
        const std::size_t left = static_cast<std::size_t>(std::max(maxPages_ - visited_, 0));
        if (wanted.size() > left) {
            wanted.resize(left);
        }
        if (wanted.empty()) {
            return;
        }
        FetchAhead ahead(fetcher_, ConnectionsPerHost());
        std::vector<FetchAhead::Request> requests;
        for (const std::string& url : wanted) {
            requests.emplace_back(FetchAhead::Kind::Page, url);
        }
        ahead.Prefetch(requests);
        for (const std::string& url : wanted) {
            if (RunCancelled()) {
                return;
            }
            const Answer got = ahead.Take(FetchAhead::Kind::Page, url);
            CountProgress(ProgressCount::PageFetched);
            if (SameHost(url, data_.root)) {
                if (!Seen(url)) {
                    Record(url, "", got.Reached() ? &got : nullptr, nullptr, false);
                }
            } else {
                AuditAnswer& answer = data_.elsewhere.emplace_back();
                answer.url = url;
                answer.endedOnHttps = StartsWithNoCase(url, "https://");
                if (got.Reached()) {
                    Fill(answer, got);
                }
            }
        }
    }

    Fetcher& fetcher_;
    // The crawl of the site, kept for what it read of robots.txt.
    std::unique_ptr<LinkCrawler> crawler_;
    const AuditGatherBounds bounds_;
    const int maxPages_;
    AuditSiteData data_;
    // Each address's key once, and the answer of each key by its number.
    AddressTable keys_;
    std::vector<std::size_t> answerOf_;
    int visited_ = 0;
};

}  // namespace

AuditSiteData GatherSite(Fetcher& fetcher, const std::string& siteUrl,
                         const AuditGatherBounds& bounds) {
    return Gatherer(fetcher, siteUrl, bounds).Run();
}

}  // namespace sg
