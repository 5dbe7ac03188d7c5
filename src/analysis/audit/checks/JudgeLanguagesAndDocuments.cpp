// Languages and documents: lang, hreflang alternates, viewport, structured data, charset and
// doctype.

#include <algorithm>
#include <charconv>

#include "analysis/audit/checks/AuditHeaders.h"
#include "analysis/audit/checks/AuditJudge.h"
#include "analysis/audit/checks/AuditRules.h"
#include "analysis/audit/formats/Hreflang.h"
#include "html/CharsetPrescan.h"
#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// Alternates named in a finding's detail; the rest are counted ("and 12 more"), so that a
// detail stays small whatever a page lists.
constexpr std::size_t kNamedAlternates = 50;

bool IsAbsolute(std::string_view href) {
    return StartsWithNoCase(href, "http://") || StartsWithNoCase(href, "https://");
}

// The address keys of each page's alternates: in their order (empty for a relative one), and
// the absolute ones sorted, so that whether a page names another is a binary search. Made once
// for the site: the checks take O(A log A) for A alternates in all.
struct SiteAlternates {
    std::vector<std::vector<std::string>> keys;
    std::vector<std::vector<std::string_view>> sorted;

    explicit SiteAlternates(const AuditJudge& judge)
        : keys(judge.Data().answers.size()), sorted(keys.size()) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!judge.Content(i)) {
                continue;
            }
            const std::vector<PageAlternate>& alternates = judge.Data().answers[i].facts.alternates;
            for (const PageAlternate& alternate : alternates) {
                keys[i].push_back(IsAbsolute(alternate.href) ? AuditKey(alternate.href) : "");
            }
            // Views of the strings above, which no longer move.
            for (std::size_t a = 0; a < alternates.size(); ++a) {
                if (IsAbsolute(alternates[a].href)) {
                    sorted[i].push_back(keys[i][a]);
                }
            }
            std::sort(sorted[i].begin(), sorted[i].end());
        }
    }
};

// Whether the page of `key` names `self` among its alternates; true when it was not read, or
// names more alternates than were kept.
bool LinksBack(const AuditJudge& judge, const SiteAlternates& site, const std::string& key,
               std::string_view self) {
    const std::optional<std::size_t> page = judge.PageOfKey(key);
    if (!page || !judge.Content(*page)) {
        // Not read (or no page): nothing to judge it by.
        return true;
    }
    const PageFacts& facts = judge.Data().answers[*page].facts;
    if (facts.alternateCount > facts.alternates.size()) {
        return true;
    }
    const std::vector<std::string_view>& named = site.sorted[*page];
    return std::binary_search(named.begin(), named.end(), self);
}

// "a, b and 3 more"
std::string NamedAlternates(std::vector<std::string> items) {
    const std::size_t count = items.size();
    items.resize(std::min(count, kNamedAlternates));
    return Named(items, count);
}

// A page naming more than kAlternatesKept is judged by those kept, and counted whole.
void JudgeAlternates(AuditJudge& judge, const SiteAlternates& site, std::size_t index) {
    const AuditAnswer& answer = judge.Data().answers[index];
    const std::vector<PageAlternate>& alternates = answer.facts.alternates;
    std::vector<std::string> invalid;
    std::vector<std::string> relative;
    std::vector<std::string> noReturn;
    bool xDefault = false;
    const std::string self = AuditKey(answer.url);
    for (std::size_t a = 0; a < alternates.size(); ++a) {
        const PageAlternate& alternate = alternates[a];
        xDefault = xDefault || EqualsNoCase(alternate.hreflang, "x-default");
        if (!IsValidHreflang(alternate.hreflang)) {
            invalid.push_back(alternate.hreflang.empty() ? "(empty)" : alternate.hreflang);
        }
        const std::string& key = site.keys[index][a];
        if (!IsAbsolute(alternate.href)) {
            relative.push_back(alternate.href);
        } else if (key != self && !LinksBack(judge, site, key, self)) {
            noReturn.push_back(alternate.href);
        }
    }
    if (!invalid.empty()) {
        judge.Add(kHreflangInvalid, answer.url, NamedAlternates(std::move(invalid)));
    }
    if (!relative.empty()) {
        judge.Add(kHreflangRelative, answer.url, NamedAlternates(std::move(relative)));
    }
    if (!noReturn.empty()) {
        judge.Add(kHreflangNoReturn, answer.url,
                  NamedAlternates(std::move(noReturn)) + " does not link back");
    }
    if (!xDefault) {
        judge.Add(kHreflangNoXDefault, answer.url,
                  std::to_string(std::max(answer.facts.alternateCount, alternates.size())) +
                      " alternates, no x-default");
    }
}

// Why a viewport's content forbids zooming ("user-scalable=no", "maximum-scale=1"); empty
// when it lets readers zoom. Its keys and values are read as browsers read them: separated by
// commas or semicolons, blanks around them ignored, in any case.
std::string ZoomProblem(std::string_view content) {
    std::string problem;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of(",;");
        const std::string_view item = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = TrimBlanksView(item.substr(0, equals));
        const std::string_view value = TrimBlanksView(item.substr(equals + 1));
        if (EqualsNoCase(key, "user-scalable") && (EqualsNoCase(value, "no") || value == "0")) {
            problem = std::string(item.substr(0, equals)) + "=" + std::string(value);
        } else if (EqualsNoCase(key, "maximum-scale")) {
            // A value that is no number is ignored, as browsers do; read without the locale.
            double scale = 0;
            const auto read = std::from_chars(value.data(), value.data() + value.size(), scale);
            if (read.ec == std::errc() && read.ptr != value.data() &&
                scale < kViewportMinMaxScale) {
                problem = "maximum-scale=" + std::string(value);
            }
        }
        if (!problem.empty()) {
            return TrimBlanks(problem);
        }
    }
    return problem;
}

}  // namespace

void JudgeLanguagesAndDocuments(AuditJudge& judge) {
    const SiteAlternates site(judge);
    const AuditAnswers& answers = judge.Data().answers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (!judge.Content(i)) {
            continue;
        }
        const AuditAnswer& answer = answers[i];
        const PageFacts& facts = answer.facts;
        if (!facts.lang) {
            judge.Add(kLangMissing, answer.url, "no lang on <html>");
        } else if (!facts.langValue.empty() && !IsValidLanguageTag(facts.langValue)) {
            judge.Add(kLangInvalid, answer.url, "lang=\"" + facts.langValue + "\"");
        }
        if (!facts.alternates.empty()) {
            JudgeAlternates(judge, site, i);
        }
        if (!facts.viewport) {
            judge.Add(kViewportMissing, answer.url, "no <meta name=viewport>");
        } else if (const std::string zoom = ZoomProblem(facts.viewportContent); !zoom.empty()) {
            judge.Add(kViewportNoZoom, answer.url, "the viewport says " + zoom);
        }
        if (!facts.structuredDataProblems.empty()) {
            judge.Add(
                kStructuredDataInvalid, answer.url,
                Named(facts.structuredDataProblems, std::max(facts.structuredDataProblemCount,
                                                             facts.structuredDataProblems.size())));
        }
        const std::string_view contentType =
            HeadValue(answer.head.lines, "Content-Type").value_or("");
        if (!facts.metaCharset && !DeclaresCharset(contentType)) {
            judge.Add(kCharsetMissing, answer.url, "no charset in Content-Type or a meta tag");
        } else if (facts.charsetLate && !DeclaresCharset(contentType)) {
            judge.Add(kCharsetLate, answer.url,
                      "the meta tag comes after the first " + std::to_string(kCharsetPrescanBytes) +
                          " bytes");
        }
        if (!facts.doctype) {
            judge.Add(kDoctypeMissing, answer.url, "no <!DOCTYPE> before the first element");
        }
    }
}

}  // namespace sg
