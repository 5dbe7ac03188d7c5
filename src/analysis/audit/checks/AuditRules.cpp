#include "analysis/audit/checks/AuditRules.h"
#include "analysis/audit/formats/Canonical.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "analysis/audit/checks/AuditChecks.h"
#include "analysis/audit/checks/AuditHeaders.h"
#include "analysis/audit/formats/Hreflang.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "html/Url.h"
#include "html/UrlText.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::size_t kProblemsNamed = 10;

std::string Key(std::string_view url) {
    return Url::CompareKeyOf(url);
}

std::size_t Characters(std::string_view text) {
    return CharacterCount(text, PageCharset::Utf8);
}

std::string AnswerText(int status) {
    return status == 0 ? "no answer" : "answers " + std::to_string(status);
}

std::string Chain(const AuditAnswer& answer) {
    std::string text = answer.url;
    for (const std::string& hop : answer.redirects) {
        text += " \u2192 " + hop;
    }
    return text;
}

// "also on P" / "also on P and 3 more pages"
std::string AlsoOn(const std::vector<std::size_t>& group, std::size_t self,
                   const std::vector<AuditAnswer>& answers, std::string_view lead) {
    std::string first;
    for (std::size_t index : group) {
        if (index != self) {
            first = answers[index].url;
            break;
        }
    }
    std::string text = std::string(lead) + first;
    if (group.size() > 2) {
        text += " and " + std::to_string(group.size() - 2) + " more page" +
                (group.size() > 3 ? "s" : "");
    }
    return text;
}

// What the audit makes of one address of the site before the checks look at it.
struct PageState {
    // Answered 200 at its own address.
    bool content = false;
    bool robotsUnreadable = false;
    bool blocked = false;
    bool noindex = false;
    // Set when exactly one valid canonical address is named (several equal ones count once).
    std::string canonical;
    bool canonicalElsewhere = false;
    // Why the canonical links cannot be used; empty when they can (or there are none).
    std::string canonicalProblem;
    bool indexable = false;
    std::string reason;
};

class Judge {
  public:
    Judge(const AuditSiteData& data, std::time_t now) : data_(data), now_(now) {
        const auto checks = AuditChecks();
        findings_.resize(checks.size());
        for (std::size_t i = 0; i < checks.size(); ++i) {
            checkIndex_.emplace(checks[i].id, i);
        }
        for (std::size_t i = 0; i < data.answers.size(); ++i) {
            answerByKey_.emplace(Key(data.answers[i].url), i);
        }
        for (std::size_t i = 0; i < data.elsewhere.size(); ++i) {
            elsewhereByKey_.emplace(Key(data.elsewhere[i].url), i);
        }
        robotsUnreadable_ = data.robotsStatus == 0 || data.robotsStatus >= 500;
    }

    AuditSite Run() {
        states_.reserve(data_.answers.size());
        for (const AuditAnswer& answer : data_.answers) {
            states_.push_back(StateOf(answer));
        }
        RobotsChecks();
        AnswerChecks();
        LinkChecks();
        IndexingChecks();
        CanonicalChecks();
        ContentChecks();
        DuplicateChecks();
        SitemapChecks();
        HttpsChecks();
        SpeedChecks();
        ImageAndLinkChecks();
        LanguageChecks();
        DocumentChecks();

        AuditSite site;
        site.url = data_.siteUrl;
        site.pages.reserve(data_.answers.size());
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            const AuditAnswer& answer = data_.answers[i];
            const PageState& state = states_[i];
            AuditPage page;
            page.url = answer.url;
            page.status = answer.status;
            page.indexable = state.indexable;
            page.notIndexableBecause = state.reason;
            if (state.content && answer.html) {
                const PageFacts& facts = answer.facts;
                page.title = facts.titles.empty() ? std::string() : facts.titles.front();
                page.description =
                    facts.descriptions.empty() ? std::string() : facts.descriptions.front();
                page.h1 = FirstH1(facts);
                page.words = facts.words;
            }
            page.canonical = state.canonical;
            site.pages.push_back(std::move(page));
        }
        for (std::vector<AuditFinding>& group : findings_) {
            for (AuditFinding& finding : group) {
                site.findings.push_back(std::move(finding));
            }
        }
        return site;
    }

  private:
    // A finding of `check`, with the check's severity unless `severity` says otherwise (a
    // check whose findings differ in weight).
    void Add(std::string_view check, std::optional<std::string> url, std::string detail,
             std::optional<AuditSeverity> severity = std::nullopt) {
        const auto found = checkIndex_.find(check);
        if (found == checkIndex_.end()) {
            return;
        }
        AuditFinding finding;
        finding.check = std::string(check);
        finding.severity = severity.value_or(AuditChecks()[found->second].severity);
        finding.url = std::move(url);
        finding.detail = std::move(detail);
        findings_[found->second].push_back(std::move(finding));
    }

    static std::string FirstH1(const PageFacts& facts) {
        for (const std::string& h1 : facts.h1s) {
            if (!h1.empty()) {
                return h1;
            }
        }
        return {};
    }

    bool Content(std::size_t i) const { return states_[i].content && data_.answers[i].html; }

    // The answer for an address, on the site or a canonical page elsewhere; null when the
    // audit has none.
    const AuditAnswer* Find(std::string_view url) const {
        const std::string key = Key(url);
        if (const auto found = answerByKey_.find(key); found != answerByKey_.end()) {
            return &data_.answers[found->second];
        }
        if (const auto found = elsewhereByKey_.find(key); found != elsewhereByKey_.end()) {
            return &data_.elsewhere[found->second];
        }
        return nullptr;
    }

    PageState StateOf(const AuditAnswer& answer) const {
        PageState state;
        state.content = answer.status == 200 && answer.redirects.empty() && !answer.redirectLoop;
        state.robotsUnreadable = robotsUnreadable_;
        state.blocked =
            !robotsUnreadable_ && !data_.robots.Allowed(kIndexingCrawler, RobotsPathOf(answer.url));
        state.noindex = state.content && answer.directives.KeepsOutOfIndex(now_);
        if (state.content && answer.html) {
            ReadCanonical(answer, state);
        }
        if (answer.redirectLoop) {
            state.reason = "redirects in a loop";
        } else if (!answer.redirects.empty()) {
            state.reason = "redirects to " + answer.redirects.back();
        } else if (answer.status != 200) {
            state.reason = AnswerText(answer.status);
        } else if (state.robotsUnreadable) {
            state.reason = "robots.txt cannot be read";
        } else if (state.blocked) {
            state.reason = "blocked by robots.txt";
        } else if (state.noindex) {
            state.reason = "noindex";
        } else if (state.canonicalElsewhere) {
            state.reason = "canonical names " + state.canonical;
        }
        state.indexable = state.reason.empty();
        return state;
    }

    static void ReadCanonical(const AuditAnswer& answer, PageState& state) {
        const AuditCanonical canonical = ReadAuditCanonical(answer.facts.canonicals);
        state.canonical = canonical.url;
        state.canonicalProblem = canonical.problem;
        state.canonicalElsewhere =
            !state.canonical.empty() && Key(state.canonical) != Key(answer.url);
    }

    void RobotsChecks() {
        if (robotsUnreadable_) {
            Add("robots-txt-unreachable", data_.robotsUrl, AnswerText(data_.robotsStatus));
            return;
        }
        const std::vector<RobotsProblem>& problems = data_.robots.Problems();
        if (!problems.empty()) {
            std::string detail;
            for (std::size_t i = 0; i < problems.size() && i < kProblemsNamed; ++i) {
                detail += (i > 0 ? "; line " : "line ") + std::to_string(problems[i].line) + ": " +
                          problems[i].what;
            }
            if (problems.size() > kProblemsNamed) {
                detail +=
                    "; and " + std::to_string(problems.size() - kProblemsNamed) + " more lines";
            }
            Add("robots-txt-invalid", data_.robotsUrl, detail);
        }
        std::string blocked;
        for (const char* crawler : kAiCrawlers) {
            if (!data_.robots.Allowed(crawler, "/")) {
                blocked += (blocked.empty() ? "" : ", ") + std::string(crawler);
            }
        }
        if (!blocked.empty()) {
            Add("ai-crawlers-blocked", data_.robotsUrl, "disallowed for " + blocked);
        }
    }

    // The answers of addresses the crawl followed a link to; an address only a sitemap or a
    // canonical link names is judged by their checks.
    void AnswerChecks() {
        for (const AuditAnswer& answer : data_.answers) {
            if (!answer.crawled) {
                continue;
            }
            const std::string linked = !answer.from.empty() && Key(answer.from) != Key(answer.url)
                                           ? ", linked from " + answer.from
                                           : std::string();
            if (answer.redirectLoop) {
                Add("redirect-loop", answer.url,
                    "redirects in a loop or more than 5 times: " + Chain(answer) +
                        " \u2192 \u2026");
                continue;
            }
            if (answer.redirects.size() >= 2) {
                Add("redirect-chain", answer.url,
                    std::to_string(answer.redirects.size()) + " redirects: " + Chain(answer));
            }
            if (!answer.redirects.empty()) {
                // The status belongs to where it ended, judged there.
                continue;
            }
            if (answer.status >= 400 && answer.status <= 499) {
                Add("status-4xx", answer.url, AnswerText(answer.status) + linked);
            } else if (answer.status >= 500 && answer.status <= 599) {
                Add("status-5xx", answer.url, AnswerText(answer.status) + linked);
            }
        }
    }

    void LinkChecks() {
        std::unordered_set<std::string> reported;
        std::unordered_set<std::string> linkToRedirect;
        for (const AuditLink& link : data_.links) {
            const std::string key = Key(link.to);
            const AuditAnswer* target = Find(link.to);
            if (target == nullptr && link.status >= 400 && link.status <= 599 &&
                reported.insert(key).second) {
                // Judged by the crawl without a visit: a resource, or a page past the bound.
                Add(link.status < 500 ? "status-4xx" : "status-5xx", link.to,
                    AnswerText(link.status) + ", linked from " + link.from);
            }
            if (target != nullptr && link.page && !target->redirects.empty() &&
                !target->redirectLoop && Key(link.from) != key &&
                linkToRedirect.insert(Key(link.from) + "\n" + key).second) {
                Add("internal-link-to-redirect", link.from,
                    "links to " + link.to + ", which redirects to " + target->redirects.back());
            }
        }
    }

    void IndexingChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            const AuditAnswer& answer = data_.answers[i];
            const PageState& state = states_[i];
            if (state.noindex) {
                const RobotsDirectives& d = answer.directives;
                Add("noindex", answer.url, d.noindex ? "noindex" : "unavailable_after date passed");
            }
            if (state.blocked && state.content) {
                Add("blocked-by-robots", answer.url, "disallowed for Googlebot");
            }
            if (state.content && answer.directives.nofollow) {
                Add("nofollow", answer.url, "nofollow");
            }
        }
    }

    void CanonicalChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            const AuditAnswer& answer = data_.answers[i];
            const PageState& state = states_[i];
            if (!state.canonicalProblem.empty()) {
                Add("canonical-invalid", answer.url, state.canonicalProblem);
                continue;
            }
            if (!state.canonicalElsewhere) {
                continue;
            }
            Add("canonical-elsewhere", answer.url, "names " + state.canonical);
            const AuditAnswer* target = Find(state.canonical);
            if (target == nullptr) {
                continue;
            }
            std::string why;
            if (target->redirectLoop) {
                why = "redirects in a loop";
            } else if (!target->redirects.empty()) {
                why = "redirects to " + target->redirects.back();
            } else if (target->status != 200) {
                why = AnswerText(target->status);
            } else if (target->directives.KeepsOutOfIndex(now_)) {
                why = "is noindex";
            }
            if (!why.empty()) {
                Add("canonical-target-bad", answer.url,
                    "names " + state.canonical + ", which " + why);
            }
        }
    }

    void ContentChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i)) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[i];
            const PageFacts& facts = answer.facts;
            TagChecks(answer.url, facts.titles, "title", kTitleMin, kTitleMax, "titles");
            TagChecks(answer.url, facts.descriptions, "description", kDescriptionMin,
                      kDescriptionMax, "descriptions");
            const std::string h1 = FirstH1(facts);
            if (h1.empty()) {
                Add("h1-missing", answer.url, facts.h1s.empty() ? "no h1" : "empty h1");
            }
            if (facts.h1s.size() > 1) {
                Add("h1-multiple", answer.url, std::to_string(facts.h1s.size()) + " h1 headings");
            }
            if (Characters(h1) > kH1Max) {
                Add("h1-too-long", answer.url, std::to_string(Characters(h1)) + " characters");
            }
            if (facts.words < kThinWords) {
                Add("thin-content", answer.url, std::to_string(facts.words) + " words");
            }
        }
    }

    void TagChecks(const std::string& url, const std::vector<std::string>& texts,
                   std::string_view tag, std::size_t min, std::size_t max,
                   std::string_view plural) {
        const std::string name(tag);
        if (texts.empty() || texts.front().empty()) {
            Add(name + "-missing", url, texts.empty() ? "no " + name : "empty " + name);
        } else {
            const std::size_t length = Characters(texts.front());
            if (length > max) {
                Add(name + "-too-long", url, std::to_string(length) + " characters");
            } else if (length < min) {
                Add(name + "-too-short", url, std::to_string(length) + " characters");
            }
        }
        if (texts.size() > 1) {
            Add(name + "-multiple", url, std::to_string(texts.size()) + " " + std::string(plural));
        }
    }

    void DuplicateChecks() {
        std::map<std::string, std::vector<std::size_t>> titles;
        std::map<std::string, std::vector<std::size_t>> descriptions;
        std::map<std::pair<std::uint64_t, std::size_t>, std::vector<std::size_t>> texts;
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i) || !states_[i].indexable) {
                continue;
            }
            const PageFacts& facts = data_.answers[i].facts;
            if (!facts.titles.empty() && !facts.titles.front().empty()) {
                titles[facts.titles.front()].push_back(i);
            }
            if (!facts.descriptions.empty() && !facts.descriptions.front().empty()) {
                descriptions[facts.descriptions.front()].push_back(i);
            }
            if (facts.words > 0) {
                texts[{facts.textHash, facts.words}].push_back(i);
            }
        }
        // Each in page order: the groups are gathered first, the findings added page by page.
        std::vector<const std::vector<std::size_t>*> titleOf(data_.answers.size(), nullptr);
        std::vector<const std::vector<std::size_t>*> descriptionOf(data_.answers.size(), nullptr);
        std::vector<const std::vector<std::size_t>*> textOf(data_.answers.size(), nullptr);
        for (const auto& [text, group] : titles) {
            for (std::size_t i : group) {
                titleOf[i] = group.size() > 1 ? &group : nullptr;
            }
        }
        for (const auto& [text, group] : descriptions) {
            for (std::size_t i : group) {
                descriptionOf[i] = group.size() > 1 ? &group : nullptr;
            }
        }
        for (const auto& [text, group] : texts) {
            for (std::size_t i : group) {
                textOf[i] = group.size() > 1 ? &group : nullptr;
            }
        }
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            const std::string& url = data_.answers[i].url;
            if (titleOf[i] != nullptr) {
                Add("title-duplicate", url, AlsoOn(*titleOf[i], i, data_.answers, "also on "));
            }
            if (descriptionOf[i] != nullptr) {
                Add("description-duplicate", url,
                    AlsoOn(*descriptionOf[i], i, data_.answers, "also on "));
            }
            if (textOf[i] != nullptr) {
                Add("duplicate-content", url,
                    AlsoOn(*textOf[i], i, data_.answers, "same text as "));
            }
        }
    }

    void SitemapChecks() {
        if (!data_.sitemapFound) {
            Add("sitemap-missing", std::nullopt,
                "robots.txt names no sitemap and /sitemap.xml is not there");
        }
        bool read = false;
        for (const AuditSitemapFile& file : data_.sitemaps) {
            if (!file.problem.empty()) {
                Add("sitemap-invalid", file.url, file.problem);
            } else if (file.content.kind == SitemapContent::Kind::UrlSet) {
                read = true;
            }
        }
        std::unordered_set<std::string> listed;
        for (const std::string& url : data_.listed) {
            listed.insert(Key(url));
        }
        std::unordered_set<std::string> linked;
        linked.insert(Key(data_.root));
        linked.insert(Key(data_.siteUrl));
        for (const AuditLink& link : data_.links) {
            if (link.page && Key(link.from) != Key(link.to)) {
                linked.insert(Key(link.to));
            }
        }
        // A page the crawl reached was linked, also where a redirect brought it there.
        for (const AuditAnswer& answer : data_.answers) {
            if (answer.crawled) {
                linked.insert(Key(answer.url));
            }
        }
        for (const std::string& url : data_.listed) {
            const auto found = answerByKey_.find(Key(url));
            if (found == answerByKey_.end()) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[found->second];
            const PageState& state = states_[found->second];
            std::string why;
            if (answer.redirectLoop) {
                why = "redirects in a loop";
            } else if (!answer.redirects.empty()) {
                why = "redirects to " + answer.redirects.back();
            } else if (answer.status != 200) {
                why = AnswerText(answer.status);
            } else if (state.noindex) {
                why = "is noindex";
            } else if (state.blocked) {
                why = "is blocked by robots.txt";
            } else if (state.canonicalElsewhere) {
                why = "names " + state.canonical + " as canonical";
            }
            if (!why.empty()) {
                Add("sitemap-url-bad", answer.url, why);
            }
        }
        if (read) {
            for (std::size_t i = 0; i < data_.answers.size(); ++i) {
                const AuditAnswer& answer = data_.answers[i];
                if (answer.crawled && Content(i) && states_[i].indexable &&
                    listed.count(Key(answer.url)) == 0) {
                    Add("not-in-sitemap", answer.url, "in no sitemap");
                }
            }
        }
        for (const std::string& url : data_.listed) {
            if (SameHost(url, data_.root) && linked.count(Key(url)) == 0) {
                Add("sitemap-orphan", url, "no crawled page links to it");
            }
        }
    }

    static bool IsHttps(std::string_view url) { return StartsWithNoCase(url, "https://"); }

    static std::string ContentTypeOf(const AuditHead& head) {
        return std::string(HeadValue(head.lines, "Content-Type").value_or(""));
    }

    static std::optional<std::size_t> ContentLengthOf(const AuditHead& head) {
        const std::optional<std::string_view> value = HeadValue(head.lines, "Content-Length");
        std::size_t size = 0;
        if (!value ||
            std::from_chars(value->data(), value->data() + value->size(), size).ec != std::errc()) {
            return std::nullopt;
        }
        return size;
    }

    // Whether an answer came uncompressed though compression was offered, and is text of
    // kCompressMin bytes or more.
    static bool Uncompressed(const AuditHead& head, std::size_t size) {
        return head.offeredCompression && size >= kCompressMin &&
               IsCompressibleType(ContentTypeOf(head)) &&
               !IsCompressedEncoding(HeadValue(head.lines, "Content-Encoding").value_or(""));
    }

    // "a, b, c and 2 more"
    static std::string Named(const std::vector<std::string>& items, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < items.size(); ++i) {
            text += (i > 0 ? ", " : "") + items[i];
        }
        if (count > items.size()) {
            text += " and " + std::to_string(count - items.size()) + " more";
        }
        return text;
    }

    static std::string Items(const PageFactList& list, std::string_view one,
                             std::string_view many) {
        return std::to_string(list.count) + " " + std::string(list.count == 1 ? one : many) + ": " +
               Named(list.first, list.count);
    }

    void HttpsChecks() {
        using Kind = PagePlainResource::Kind;
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i)) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[i];
            const PageFacts& facts = answer.facts;
            if (!IsHttps(answer.url)) {
                if (data_.hostAnswersHttps) {
                    Add("http-page", answer.url, "served over http; the host answers https");
                }
                continue;
            }
            if (!facts.plainResources.empty()) {
                bool blocking = false;
                std::vector<std::string> named;
                for (const PagePlainResource& resource : facts.plainResources) {
                    blocking = blocking || resource.kind == Kind::Script ||
                               resource.kind == Kind::Stylesheet || resource.kind == Kind::Frame;
                    if (named.size() < PageFactList::kKept) {
                        named.push_back(resource.href);
                    }
                }
                Add("mixed-content", answer.url,
                    "loads " + Named(named, facts.plainResources.size()),
                    blocking ? AuditSeverity::Error : AuditSeverity::Warning);
            }
            std::vector<std::string> internal;
            for (const std::string& link : facts.plainLinks) {
                if (SameHost(link, answer.url)) {
                    internal.push_back(link);
                }
            }
            if (!internal.empty()) {
                const std::size_t count = internal.size();
                internal.resize(std::min(count, PageFactList::kKept));
                Add("http-link-internal", answer.url, "links to " + Named(internal, count));
            }
            const std::string hsts =
                HstsProblem(HeadValue(answer.head.lines, "Strict-Transport-Security"));
            if (!hsts.empty()) {
                Add("hsts-missing", answer.url, hsts);
            }
        }
    }

    void SpeedChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            const AuditAnswer& answer = data_.answers[i];
            if (answer.status == 0 || !answer.redirects.empty()) {
                continue;
            }
            const AuditHead& head = answer.head;
            if (head.firstByteMs > kSlowFirstByteMs) {
                Add("slow-response", answer.url,
                    "first byte after " + std::to_string(head.firstByteMs) + " ms");
            }
            if (answer.status == 200 && Uncompressed(head, head.bytesReceived)) {
                Add("not-compressed", answer.url,
                    std::to_string(head.bytesReceived) + " bytes of " + ContentTypeOf(head) +
                        " sent uncompressed");
            }
            if (Content(i) && head.bodyBytes > kHtmlMaxBytes) {
                Add("html-too-large", answer.url, std::to_string(head.bodyBytes) + " bytes");
            }
        }
        std::unordered_map<std::string, std::size_t> sizes;
        for (const AuditResource& resource : data_.resources) {
            if (resource.status < 200 || resource.status > 299) {
                continue;
            }
            const std::optional<std::size_t> length = ContentLengthOf(resource.head);
            sizes.emplace(Key(resource.url), length.value_or(0));
            if (!SameHost(resource.url, data_.root)) {
                // Another host's answers are not the site's to change.
                continue;
            }
            const std::string type = ContentTypeOf(resource.head);
            if (length && Uncompressed(resource.head, *length)) {
                Add("not-compressed", resource.url,
                    std::to_string(*length) + " bytes of " + type + " sent uncompressed");
            }
            if (IsStaticResourceType(type)) {
                const std::string problem =
                    ShortCacheProblem(ReadCacheLifetime(resource.head.lines, now_));
                if (!problem.empty()) {
                    Add("short-cache-lifetime", resource.url, problem);
                }
            }
            if (length && StartsWithNoCase(type, "image/") && *length > kImageMaxBytes) {
                Add("image-too-large", resource.url, std::to_string(*length) + " bytes");
            }
        }
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i)) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[i];
            std::size_t weight = 0;
            std::unordered_set<std::string> counted;
            for (const std::string& resource : answer.resources) {
                const std::string key = Key(resource);
                if (const auto found = sizes.find(key);
                    found != sizes.end() && counted.insert(key).second) {
                    weight += found->second;
                }
            }
            const std::size_t total = answer.head.bytesReceived + weight;
            if (total > kPageMaxBytes) {
                Add("page-too-heavy", answer.url,
                    std::to_string(total / 1024) + " KiB with " + std::to_string(counted.size()) +
                        " resources");
            }
        }
    }

    void ImageAndLinkChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i)) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[i];
            const PageFacts& facts = answer.facts;
            if (facts.imagesWithoutAlt.count > 0) {
                Add("img-alt-missing", answer.url,
                    Items(facts.imagesWithoutAlt, "image", "images"));
            }
            if (facts.imagesWithLongAlt.count > 0) {
                Add("img-alt-too-long", answer.url,
                    Items(facts.imagesWithLongAlt, "image", "images"));
            }
            if (facts.imagesWithoutSize.count > 0) {
                Add("img-size-missing", answer.url,
                    Items(facts.imagesWithoutSize, "image", "images"));
            }
            if (facts.genericLinks.count > 0) {
                Add("link-text-generic", answer.url, Items(facts.genericLinks, "link", "links"));
            }
            if (facts.uncrawlableAnchors.count > 0) {
                Add("anchor-not-crawlable", answer.url,
                    Items(facts.uncrawlableAnchors, "link", "links"));
            }
        }
    }

    static bool IsAbsolute(std::string_view href) {
        return StartsWithNoCase(href, "http://") || StartsWithNoCase(href, "https://");
    }

    void LanguageChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i)) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[i];
            const PageFacts& facts = answer.facts;
            if (!facts.lang) {
                Add("lang-missing", answer.url, "no lang on <html>");
            }
            if (facts.alternates.empty()) {
                continue;
            }
            std::vector<std::string> invalid;
            std::vector<std::string> relative;
            std::vector<std::string> noReturn;
            bool xDefault = false;
            const std::string self = Key(answer.url);
            for (const PageAlternate& alternate : facts.alternates) {
                xDefault = xDefault || EqualsNoCase(alternate.hreflang, "x-default");
                if (!IsValidHreflang(alternate.hreflang)) {
                    invalid.push_back(alternate.hreflang.empty() ? "(empty)" : alternate.hreflang);
                }
                if (!IsAbsolute(alternate.href)) {
                    relative.push_back(alternate.href);
                    continue;
                }
                if (Key(alternate.href) == self) {
                    continue;
                }
                const auto found = answerByKey_.find(Key(alternate.href));
                if (found == answerByKey_.end() || !Content(found->second)) {
                    // Not read (or no page): nothing to judge it by.
                    continue;
                }
                bool back = false;
                for (const PageAlternate& other : data_.answers[found->second].facts.alternates) {
                    back = back || (IsAbsolute(other.href) && Key(other.href) == self);
                }
                if (!back) {
                    noReturn.push_back(alternate.href);
                }
            }
            if (!invalid.empty()) {
                Add("hreflang-invalid", answer.url, Named(invalid, invalid.size()));
            }
            if (!relative.empty()) {
                Add("hreflang-relative", answer.url, Named(relative, relative.size()));
            }
            if (!noReturn.empty()) {
                Add("hreflang-no-return", answer.url,
                    Named(noReturn, noReturn.size()) + " does not link back");
            }
            if (!xDefault) {
                Add("hreflang-no-x-default", answer.url,
                    std::to_string(facts.alternates.size()) + " alternates, no x-default");
            }
        }
    }

    void DocumentChecks() {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (!Content(i)) {
                continue;
            }
            const AuditAnswer& answer = data_.answers[i];
            const PageFacts& facts = answer.facts;
            if (!facts.viewport) {
                Add("viewport-missing", answer.url, "no <meta name=viewport>");
            }
            if (!facts.structuredDataProblems.empty()) {
                Add("structured-data-invalid", answer.url,
                    Named(facts.structuredDataProblems, facts.structuredDataProblems.size()));
            }
            if (!facts.metaCharset && !DeclaresCharset(ContentTypeOf(answer.head))) {
                Add("charset-missing", answer.url, "no charset in Content-Type or a meta tag");
            }
        }
    }

    const AuditSiteData& data_;
    const std::time_t now_;
    bool robotsUnreadable_ = false;
    std::vector<PageState> states_;
    std::unordered_map<std::string, std::size_t> answerByKey_;
    std::unordered_map<std::string, std::size_t> elsewhereByKey_;
    std::unordered_map<std::string_view, std::size_t> checkIndex_;
    std::vector<std::vector<AuditFinding>> findings_;
};

}  // namespace

AuditSite JudgeSite(const AuditSiteData& data, std::time_t now) {
    return Judge(data, now).Run();
}

}  // namespace sg
