#pragma once
// The Site Audit's judging of one site, shared by the rules of each category (Judge*.cpp): the
// gathered data, what each page is before the checks look at it (PageState), lookups by address,
// and the findings as the rules add them. AuditRules.cpp runs the categories in turn.

#include <ctime>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/audit/checks/AuditCheckIds.h"
#include "analysis/audit/gather/AuditSiteData.h"
#include "model/AuditResults.h"

namespace sg {

// What the audit makes of one address of the site before the checks look at it.
struct PageState {
    // Answered 200 at its own address.
    bool content = false;
    bool blocked = false;
    // The crawlers robots.txt shuts out ("Googlebot, Bingbot"); empty when none.
    std::string blockedFor;
    bool noindex = false;
    // Set when exactly one valid canonical address is named (several equal ones count once).
    std::string canonical;
    bool canonicalElsewhere = false;
    // Why the canonical links cannot be used; empty when they can (or there are none).
    std::string canonicalProblem;
    bool indexable = false;
    std::string reason;
};

class AuditJudge {
  public:
    AuditJudge(const AuditSiteData& data, std::time_t now);

    const AuditSiteData& Data() const { return data_; }
    std::time_t Now() const { return now_; }
    // robots.txt answered 500-599 or not at all.
    bool RobotsUnreadable() const { return robotsUnreadable_; }
    // The state of data.answers[i].
    const PageState& State(std::size_t i) const { return states_[i]; }
    // data.answers[i] is an HTML page that answered 200 at its own address.
    bool Content(std::size_t i) const;
    // Calls visit(answer) for each such page, in the order of data.answers.
    template <typename Visit>
    void ForEachContentPage(Visit&& visit) const {
        for (std::size_t i = 0; i < data_.answers.size(); ++i) {
            if (Content(i)) {
                visit(data_.answers[i]);
            }
        }
    }
    // The index in data.answers of an address of the site; nullopt when the audit has none.
    std::optional<std::size_t> PageOf(std::string_view url) const;
    // The same for an address already in the form of AuditKey.
    std::optional<std::size_t> PageOfKey(const std::string& key) const;
    // The answer for an address, on the site or a canonical page elsewhere; null when the
    // audit has none.
    const AuditAnswer* Find(std::string_view url) const;
    // " and N other pages" (" other page" for one) when content pages besides the first load
    // the resource; empty otherwise. The counts are made once, at the first call.
    std::string OtherLoaders(std::string_view resource) const;

    // A finding of `check`, with the check's severity unless `severity` says otherwise (a check
    // whose findings differ in weight). Each check's findings keep the order they are added in.
    void Add(AuditCheckId check, std::optional<std::string> url, std::string detail,
             std::optional<AuditSeverity> severity = std::nullopt);

    // The pages, in the order of data.answers, and the findings grouped by check in the table's
    // order. Once, at the end.
    AuditSite Finish();

  private:
    PageState StateOf(const AuditAnswer& answer) const;

    // How many content pages load each resource, by AuditKey (OtherLoaders).
    mutable std::optional<std::unordered_map<std::string, std::size_t>> loaders_;

    const AuditSiteData& data_;
    const std::time_t now_;
    bool robotsUnreadable_ = false;
    std::vector<PageState> states_;
    std::unordered_map<std::string, std::size_t> answerByKey_;
    std::unordered_map<std::string, std::size_t> elsewhereByKey_;
    // By AuditCheckId::Index().
    // Each check's findings; deques, so that many findings hold no spare room.
    std::vector<std::deque<AuditFinding>> findings_;
};

// The rules of each category; AuditRules.cpp calls them in the table's order.
void JudgeAnswers(AuditJudge& judge);
void JudgeIndexing(AuditJudge& judge);
void JudgeCanonical(AuditJudge& judge);
void JudgeContent(AuditJudge& judge);
void JudgeScripts(AuditJudge& judge);
void JudgeSitemaps(AuditJudge& judge);
void JudgeHttps(AuditJudge& judge);
void JudgeSpeed(AuditJudge& judge);
void JudgeImagesAndLinks(AuditJudge& judge);
void JudgeLanguagesAndDocuments(AuditJudge& judge);

// What the rules' details share.
// The form two addresses are compared in (Url::CompareKeyOf).
std::string AuditKey(std::string_view url);
// "no answer", "answers 404".
std::string AnswerText(int status);
// "a, b, c and 2 more": the items, and how many more `count` says there are.
std::string Named(const std::vector<std::string>& items, std::size_t count);
// The first non-empty h1 (empty when there is none), and its index in facts.h1s (h1s.size()
// when there is none).
std::string FirstH1(const PageFacts& facts);
std::size_t FirstH1Index(const PageFacts& facts);

}  // namespace sg
