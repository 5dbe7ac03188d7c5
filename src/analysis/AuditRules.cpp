#include "analysis/AuditRules.h"

#include <map>
#include <unordered_map>
#include <unordered_set>

#include "analysis/AuditChecks.h"
#include "html/LinkExtractor.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "html/Url.h"
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
    void Add(std::string_view check, std::optional<std::string> url, std::string detail) {
        const auto found = checkIndex_.find(check);
        if (found == checkIndex_.end()) {
            return;
        }
        AuditFinding finding;
        finding.check = std::string(check);
        finding.severity = AuditChecks()[found->second].severity;
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

AuditCanonical ReadAuditCanonical(const std::vector<std::string>& hrefs) {
    AuditCanonical canonical;
    std::string key;
    for (const std::string& raw : hrefs) {
        const std::string_view href = TrimBlanksView(raw);
        if (!StartsWithNoCase(href, "http://") && !StartsWithNoCase(href, "https://")) {
            canonical.problem = "relative address: " + std::string(href);
            break;
        }
        const std::optional<Url> url = Url::Parse(href);
        if (!url) {
            canonical.problem = "unparsable address: " + std::string(href);
            break;
        }
        const std::string thisKey = Key(url->Text());
        if (key.empty()) {
            key = thisKey;
            canonical.url = url->Text();
        } else if (thisKey != key) {
            canonical.problem = "several that disagree: " + canonical.url + ", " + url->Text();
            break;
        }
    }
    if (!canonical.problem.empty()) {
        canonical.url.clear();
    }
    return canonical;
}

AuditSite JudgeSite(const AuditSiteData& data, std::time_t now) {
    return Judge(data, now).Run();
}

}  // namespace sg
