// Titles, descriptions, headings and content: missing, several, too long or short, thin, and
// the same on several indexable pages.

#include <cstdint>
#include <map>
#include <utility>

#include "analysis/audit/checks/AuditJudge.h"
#include "analysis/audit/checks/AuditRules.h"

namespace sg {
namespace {

// The checks of a tag a page should have once, of a length within bounds.
struct TagChecks {
    std::string_view tag;
    std::string_view plural;
    std::size_t min;
    std::size_t max;
    AuditCheckId missing;
    AuditCheckId tooLong;
    AuditCheckId tooShort;
    AuditCheckId multiple;
};

constexpr TagChecks kTitle = {"title",       "titles",      kTitleMin,      kTitleMax,
                              kTitleMissing, kTitleTooLong, kTitleTooShort, kTitleMultiple};
constexpr TagChecks kDescription = {"description",        "descriptions",      kDescriptionMin,
                                    kDescriptionMax,      kDescriptionMissing, kDescriptionTooLong,
                                    kDescriptionTooShort, kDescriptionMultiple};

// The lengths are the texts' whole ones, not those of the parts kept.
void JudgeTag(AuditJudge& judge, const std::string& url, const std::vector<std::string>& texts,
              const PageTextSizes& sizes, const TagChecks& checks) {
    const std::string tag(checks.tag);
    if (texts.empty() || texts.front().empty()) {
        judge.Add(checks.missing, url, texts.empty() ? "no " + tag : "empty " + tag);
    } else {
        const std::size_t length = TextCharacters(texts, sizes, 0);
        if (length > checks.max) {
            judge.Add(checks.tooLong, url, std::to_string(length) + " characters");
        } else if (length < checks.min) {
            judge.Add(checks.tooShort, url, std::to_string(length) + " characters");
        }
    }
    if (const std::size_t count = TextCount(texts, sizes); count > 1) {
        judge.Add(checks.multiple, url, std::to_string(count) + " " + std::string(checks.plural));
    }
}

// "also on P" / "also on P and 3 more pages"
std::string AlsoOn(const std::vector<std::size_t>& group, std::size_t self,
                   const AuditAnswers& answers, std::string_view lead) {
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

// For each page, the group of pages sharing its key when there are several; null otherwise.
template <typename Key>
std::vector<const std::vector<std::size_t>*> Shared(
    const std::map<Key, std::vector<std::size_t>>& groups, std::size_t pages) {
    std::vector<const std::vector<std::size_t>*> of(pages, nullptr);
    for (const auto& [key, group] : groups) {
        for (std::size_t i : group) {
            of[i] = group.size() > 1 ? &group : nullptr;
        }
    }
    return of;
}

// A title or description as duplicates compare it: its kept start and its whole length. Two
// that agree in both but differ further on count as the same: past the first kPageTextKept
// characters no search result or reader shows them, and the audit keeps no more of a page.
using TextKey = std::pair<std::string, std::size_t>;

// Titles and descriptions the same as text (letter case counts), visible text the same by hash
// and word count, on indexable pages.
void JudgeDuplicates(AuditJudge& judge) {
    const AuditAnswers& answers = judge.Data().answers;
    std::map<TextKey, std::vector<std::size_t>> titles;
    std::map<TextKey, std::vector<std::size_t>> descriptions;
    std::map<std::pair<std::uint64_t, std::size_t>, std::vector<std::size_t>> texts;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (!judge.Content(i) || !judge.State(i).indexable) {
            continue;
        }
        const PageFacts& facts = answers[i].facts;
        if (!facts.titles.empty() && !facts.titles.front().empty()) {
            titles[{facts.titles.front(), TextCharacters(facts.titles, facts.titleSizes, 0)}]
                .push_back(i);
        }
        if (!facts.descriptions.empty() && !facts.descriptions.front().empty()) {
            descriptions[{facts.descriptions.front(),
                          TextCharacters(facts.descriptions, facts.descriptionSizes, 0)}]
                .push_back(i);
        }
        if (facts.words > 0) {
            texts[{facts.textHash, facts.words}].push_back(i);
        }
    }
    // Each in page order: the groups are gathered first, the findings added page by page.
    const auto titleOf = Shared(titles, answers.size());
    const auto descriptionOf = Shared(descriptions, answers.size());
    const auto textOf = Shared(texts, answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const std::string& url = answers[i].url;
        if (titleOf[i] != nullptr) {
            judge.Add(kTitleDuplicate, url, AlsoOn(*titleOf[i], i, answers, "also on "));
        }
        if (descriptionOf[i] != nullptr) {
            judge.Add(kDescriptionDuplicate, url,
                      AlsoOn(*descriptionOf[i], i, answers, "also on "));
        }
        if (textOf[i] != nullptr) {
            judge.Add(kDuplicateContent, url, AlsoOn(*textOf[i], i, answers, "same text as "));
        }
    }
}

}  // namespace

void JudgeContent(AuditJudge& judge) {
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        const PageFacts& facts = answer.facts;
        JudgeTag(judge, answer.url, facts.titles, facts.titleSizes, kTitle);
        JudgeTag(judge, answer.url, facts.descriptions, facts.descriptionSizes, kDescription);
        const std::size_t h1 = FirstH1Index(facts);
        if (h1 == facts.h1s.size()) {
            judge.Add(kH1Missing, answer.url, facts.h1s.empty() ? "no h1" : "empty h1");
        }
        if (const std::size_t count = TextCount(facts.h1s, facts.h1Sizes); count > 1) {
            judge.Add(kH1Multiple, answer.url, std::to_string(count) + " h1 headings");
        }
        const std::size_t length =
            h1 < facts.h1s.size() ? TextCharacters(facts.h1s, facts.h1Sizes, h1) : 0;
        if (length > kH1Max) {
            judge.Add(kH1TooLong, answer.url, std::to_string(length) + " characters");
        }
        if (facts.words < kThinWords) {
            judge.Add(kThinContent, answer.url, std::to_string(facts.words) + " words");
        }
    });
    JudgeDuplicates(judge);
}

}  // namespace sg
