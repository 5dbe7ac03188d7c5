// Languages and documents: lang, hreflang alternates, viewport, structured data and charset.

#include "analysis/audit/checks/AuditHeaders.h"
#include "analysis/audit/checks/AuditJudge.h"
#include "analysis/audit/formats/Hreflang.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

bool IsAbsolute(std::string_view href) {
    return StartsWithNoCase(href, "http://") || StartsWithNoCase(href, "https://");
}

// Whether the page of `href` names `self` among its alternates; true when it was not read.
bool LinksBack(const AuditJudge& judge, std::string_view href, const std::string& self) {
    const std::optional<std::size_t> page = judge.PageOf(href);
    if (!page || !judge.Content(*page)) {
        // Not read (or no page): nothing to judge it by.
        return true;
    }
    for (const PageAlternate& other : judge.Data().answers[*page].facts.alternates) {
        if (IsAbsolute(other.href) && AuditKey(other.href) == self) {
            return true;
        }
    }
    return false;
}

void JudgeAlternates(AuditJudge& judge, const AuditAnswer& answer) {
    const std::vector<PageAlternate>& alternates = answer.facts.alternates;
    std::vector<std::string> invalid;
    std::vector<std::string> relative;
    std::vector<std::string> noReturn;
    bool xDefault = false;
    const std::string self = AuditKey(answer.url);
    for (const PageAlternate& alternate : alternates) {
        xDefault = xDefault || EqualsNoCase(alternate.hreflang, "x-default");
        if (!IsValidHreflang(alternate.hreflang)) {
            invalid.push_back(alternate.hreflang.empty() ? "(empty)" : alternate.hreflang);
        }
        if (!IsAbsolute(alternate.href)) {
            relative.push_back(alternate.href);
        } else if (AuditKey(alternate.href) != self && !LinksBack(judge, alternate.href, self)) {
            noReturn.push_back(alternate.href);
        }
    }
    if (!invalid.empty()) {
        judge.Add(kHreflangInvalid, answer.url, Named(invalid, invalid.size()));
    }
    if (!relative.empty()) {
        judge.Add(kHreflangRelative, answer.url, Named(relative, relative.size()));
    }
    if (!noReturn.empty()) {
        judge.Add(kHreflangNoReturn, answer.url,
                  Named(noReturn, noReturn.size()) + " does not link back");
    }
    if (!xDefault) {
        judge.Add(kHreflangNoXDefault, answer.url,
                  std::to_string(alternates.size()) + " alternates, no x-default");
    }
}

}  // namespace

void JudgeLanguagesAndDocuments(AuditJudge& judge) {
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        const PageFacts& facts = answer.facts;
        if (!facts.lang) {
            judge.Add(kLangMissing, answer.url, "no lang on <html>");
        }
        if (!facts.alternates.empty()) {
            JudgeAlternates(judge, answer);
        }
        if (!facts.viewport) {
            judge.Add(kViewportMissing, answer.url, "no <meta name=viewport>");
        }
        if (!facts.structuredDataProblems.empty()) {
            judge.Add(kStructuredDataInvalid, answer.url,
                      Named(facts.structuredDataProblems, facts.structuredDataProblems.size()));
        }
        const std::string_view contentType =
            HeadValue(answer.head.lines, "Content-Type").value_or("");
        if (!facts.metaCharset && !DeclaresCharset(contentType)) {
            judge.Add(kCharsetMissing, answer.url, "no charset in Content-Type or a meta tag");
        }
    });
}

}  // namespace sg
