#include "analysis/audit/checks/AuditJudge.h"

#include <algorithm>
#include <cassert>

#include "analysis/audit/checks/AuditChecks.h"
#include "analysis/audit/formats/Canonical.h"
#include "html/Url.h"

namespace sg {

std::string AuditKey(std::string_view url) {
    return Url::CompareKeyOf(url);
}

std::string AnswerText(int status) {
    return status == 0 ? "no answer" : "answers " + std::to_string(status);
}

std::string Named(const std::vector<std::string>& items, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i > 0 ? ", " : "") + items[i];
    }
    if (count > items.size()) {
        text += " and " + std::to_string(count - items.size()) + " more";
    }
    return text;
}

std::size_t FirstH1Index(const PageFacts& facts) {
    std::size_t i = 0;
    while (i < facts.h1s.size() && facts.h1s[i].empty()) {
        ++i;
    }
    return i;
}

std::string FirstH1(const PageFacts& facts) {
    const std::size_t i = FirstH1Index(facts);
    return i < facts.h1s.size() ? facts.h1s[i] : std::string();
}

AuditJudge::AuditJudge(const AuditSiteData& data, std::time_t now)
    : data_(data), now_(now), findings_(kAuditCheckIds.size()) {
    for (std::size_t i = 0; i < data.answers.size(); ++i) {
        answerByKey_.emplace(AuditKey(data.answers[i].url), i);
    }
    for (std::size_t i = 0; i < data.elsewhere.size(); ++i) {
        elsewhereByKey_.emplace(AuditKey(data.elsewhere[i].url), i);
    }
    robotsUnreadable_ =
        (data.robotsStatus == 0 && !data.robotsRedirectsFailed) || data.robotsStatus >= 500;
    states_.reserve(data.answers.size());
    for (const AuditAnswer& answer : data.answers) {
        states_.push_back(StateOf(answer));
    }
}

bool AuditJudge::Content(std::size_t i) const {
    return states_[i].content && data_.answers[i].html;
}

std::optional<std::size_t> AuditJudge::PageOf(std::string_view url) const {
    return PageOfKey(AuditKey(url));
}

std::optional<std::size_t> AuditJudge::PageOfKey(const std::string& key) const {
    const auto found = answerByKey_.find(key);
    return found != answerByKey_.end() ? std::optional(found->second) : std::nullopt;
}

std::string AuditJudge::OtherLoaders(std::string_view resource) const {
    if (!loaders_) {
        loaders_.emplace();
        ForEachContentPage([&](const AuditAnswer& answer) {
            for (const std::string_view loaded : answer.resources) {
                ++(*loaders_)[AuditKey(loaded)];
            }
        });
    }
    const auto found = loaders_->find(AuditKey(resource));
    const std::size_t count = found == loaders_->end() ? 0 : found->second;
    return count > 1
               ? " and " + std::to_string(count - 1) + (count == 2 ? " other page" : " other pages")
               : std::string();
}

const AuditAnswer* AuditJudge::Find(std::string_view url) const {
    const std::string key = AuditKey(url);
    if (const auto found = answerByKey_.find(key); found != answerByKey_.end()) {
        return &data_.answers[found->second];
    }
    if (const auto found = elsewhereByKey_.find(key); found != elsewhereByKey_.end()) {
        return &data_.elsewhere[found->second];
    }
    return nullptr;
}

void AuditJudge::Add(AuditCheckId check, std::optional<std::string> url, std::string detail,
                     std::optional<AuditSeverity> severity) {
    const AuditCheck& row = AuditChecks()[check.Index()];
    // The table lists the checks in the identifiers' order (AuditChecksTest).
    assert(row.id == check.Text());
    AuditFinding finding;
    finding.check = check.Text();
    finding.severity = severity.value_or(row.severity);
    finding.url = std::move(url);
    finding.detail = std::move(detail);
    findings_[check.Index()].push_back(std::move(finding));
}

PageState AuditJudge::StateOf(const AuditAnswer& answer) const {
    PageState state;
    state.content = answer.status == 200 && answer.redirects.empty() && !answer.redirectLoop;
    if (!robotsUnreadable_) {
        // Googlebot as Google's parser reads the file, Bingbot as RFC 9309 does.
        const std::string path = RobotsPathOf(answer.url);
        const bool google = !data_.robots.Allowed(kIndexingCrawler, path, RobotsReading::Google);
        const bool bing = !data_.robots.Allowed(kBingCrawler, path, RobotsReading::Rfc9309);
        state.blockedFor = google && bing
                               ? std::string(kIndexingCrawler) + ", " + std::string(kBingCrawler)
                           : google ? std::string(kIndexingCrawler)
                           : bing   ? std::string(kBingCrawler)
                                    : std::string();
        // Indexing is Google's to judge (the other checks read it); a crawler shut out alone
        // is a finding of its own (blockedFor).
        state.blocked = google;
    }
    state.noindex = state.content && answer.directives.KeepsOutOfIndex(now_);
    if (state.content && answer.html) {
        const AuditCanonical canonical = ReadAuditCanonical(answer.facts.canonicals);
        state.canonical = canonical.url;
        state.canonicalProblem = canonical.problem;
        state.canonicalElsewhere =
            !state.canonical.empty() && AuditKey(state.canonical) != AuditKey(answer.url);
    }
    if (answer.notAsked) {
        state.reason =
            state.blocked ? "blocked by robots.txt" : "not asked: robots.txt keeps Sitegauge out";
    } else if (answer.redirectLoop) {
        state.reason = "redirects in a loop";
    } else if (!answer.redirects.empty()) {
        state.reason = "redirects to " + answer.redirects.back();
    } else if (answer.status != 200) {
        state.reason = AnswerText(answer.status);
    } else if (robotsUnreadable_) {
        state.reason = "robots.txt cannot be read";
    } else if (state.blocked) {
        state.reason = "blocked by robots.txt" + (state.blockedFor.find(',') == std::string::npos
                                                      ? " for " + state.blockedFor
                                                      : std::string());
    } else if (state.noindex) {
        state.reason = "noindex";
    } else if (state.canonicalElsewhere) {
        state.reason = "canonical names " + state.canonical;
    }
    state.indexable = state.reason.empty();
    return state;
}

namespace {

// The middle of the figures the browser gave (negative ones are none), the upper one of an even
// count; -1 when it gave none.
double MedianOf(const std::vector<AuditPage>& pages, double AuditPage::*figure) {
    std::vector<double> figures;
    for (const AuditPage& page : pages) {
        if (page.rendered && page.*figure >= 0) {
            figures.push_back(page.*figure);
        }
    }
    if (figures.empty()) {
        return -1;
    }
    const auto middle = figures.begin() + static_cast<std::ptrdiff_t>(figures.size() / 2);
    std::nth_element(figures.begin(), middle, figures.end());
    return *middle;
}

void SetLabMedians(AuditSite& site) {
    for (const AuditPage& page : site.pages) {
        site.pagesRendered += page.rendered ? 1 : 0;
    }
    site.medianLcpMs = MedianOf(site.pages, &AuditPage::lcpMs);
    site.medianCls = MedianOf(site.pages, &AuditPage::cls);
    site.medianTbtMs = MedianOf(site.pages, &AuditPage::tbtMs);
}

}  // namespace

AuditSite AuditJudge::Finish() {
    AuditSite site;
    site.url = data_.siteUrl;
    site.pages.reserve(data_.answers.size());
    for (std::size_t i = 0; i < data_.answers.size(); ++i) {
        const AuditAnswer& answer = data_.answers[i];
        const PageState& state = states_[i];
        AuditPage page;
        page.url = answer.url;
        // A redirect's own answer, and where it led.
        page.status = answer.redirects.empty() ? answer.status : answer.redirectStatus;
        if (!answer.redirects.empty() && !answer.redirectLoop) {
            page.redirectsTo = answer.redirects.back();
        }
        page.indexable = state.indexable;
        page.notIndexableBecause = state.reason;
        if (Content(i)) {
            const PageFacts& facts = answer.facts;
            page.title = facts.titles.empty() ? std::string() : facts.titles.front();
            page.description =
                facts.descriptions.empty() ? std::string() : facts.descriptions.front();
            page.h1 = FirstH1(facts);
            page.words = facts.words;
            if (const AuditRender* render = answer.rendered.get()) {
                page.rendered = true;
                page.lcpMs = render->lcpMs;
                page.cls = render->cls;
                page.tbtMs = render->tbtMs;
                page.consoleErrors = render->consoleErrors;
                page.failedRequests = render->failedRequests;
            }
        }
        page.canonical = state.canonical;
        site.pages.push_back(std::move(page));
    }
    // The median first byte of the pages' own answers, the lesser of two looks.
    std::vector<long long> firstBytes;
    for (std::size_t i = 0; i < data_.answers.size(); ++i) {
        const AuditAnswer& answer = data_.answers[i];
        if (Content(i)) {
            firstBytes.push_back(answer.firstByteAgainMs < 0
                                     ? answer.head.firstByteMs
                                     : std::min(answer.head.firstByteMs, answer.firstByteAgainMs));
        }
    }
    if (!firstBytes.empty()) {
        const auto middle = firstBytes.begin() + static_cast<std::ptrdiff_t>(firstBytes.size() / 2);
        std::nth_element(firstBytes.begin(), middle, firstBytes.end());
        site.medianFirstByteMs = *middle;
    }
    SetLabMedians(site);
    std::size_t count = 0;
    for (const std::deque<AuditFinding>& group : findings_) {
        count += group.size();
    }
    site.findings.reserve(count);
    for (std::deque<AuditFinding>& group : findings_) {
        // Each moved out as it is taken, so the findings are never held twice.
        while (!group.empty()) {
            site.findings.push_back(std::move(group.front()));
            group.pop_front();
        }
    }
    return site;
}

}  // namespace sg
