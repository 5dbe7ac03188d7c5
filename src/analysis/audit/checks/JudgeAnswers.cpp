// Answers: the status of internal pages and links, redirect chains and loops.

#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "analysis/audit/checks/AuditJudge.h"

namespace sg {
namespace {

std::string Chain(const AuditAnswer& answer) {
    std::string text = answer.url;
    for (const std::string& hop : answer.redirects) {
        text += " \u2192 " + hop;
    }
    return text;
}

// The answers of addresses the crawl followed a link to; an address only a sitemap or a
// canonical link names is judged by their checks.
void JudgeCrawledAnswers(AuditJudge& judge) {
    for (const AuditAnswer& answer : judge.Data().answers) {
        if (!answer.crawled) {
            continue;
        }
        const std::string linked =
            !answer.from.empty() && AuditKey(answer.from) != AuditKey(answer.url)
                ? ", linked from " + answer.from
                : std::string();
        if (answer.redirectLoop) {
            judge.Add(
                kRedirectLoop, answer.url,
                "redirects in a loop or more than 5 times: " + Chain(answer) + " \u2192 \u2026");
            continue;
        }
        if (answer.redirects.size() >= 2) {
            judge.Add(kRedirectChain, answer.url,
                      std::to_string(answer.redirects.size()) + " redirects: " + Chain(answer));
        }
        if (!answer.redirects.empty()) {
            // The status belongs to where it ended, judged there.
            continue;
        }
        if (answer.status >= 400 && answer.status <= 499) {
            judge.Add(kStatus4xx, answer.url, AnswerText(answer.status) + linked);
        } else if (answer.status >= 500 && answer.status <= 599) {
            judge.Add(kStatus5xx, answer.url, AnswerText(answer.status) + linked);
        }
    }
}

void JudgeLinks(AuditJudge& judge) {
    std::unordered_set<std::string> reported;
    std::unordered_set<std::string> linkToRedirect;
    for (const AuditLink& link : judge.Data().links) {
        const std::string key = AuditKey(link.to);
        const AuditAnswer* target = judge.Find(link.to);
        if (target == nullptr && link.status >= 400 && link.status <= 599 &&
            reported.insert(key).second) {
            // Judged by the crawl without a visit: a resource, or a page past the bound. A
            // resource says how many pages load it besides the first.
            const std::string others = link.page ? std::string() : judge.OtherLoaders(link.to);
            judge.Add(link.status < 500 ? AuditCheckId(kStatus4xx) : AuditCheckId(kStatus5xx),
                      link.to,
                      AnswerText(link.status) + (link.page ? ", linked from " : ", loaded by ") +
                          link.from + others);
        }
        if (target != nullptr && link.page && !target->redirects.empty() && !target->redirectLoop &&
            AuditKey(link.from) != key &&
            linkToRedirect.insert(AuditKey(link.from) + "\n" + key).second) {
            judge.Add(kInternalLinkToRedirect, link.from,
                      "links to " + link.to + ", which redirects to " + target->redirects.back());
        }
    }
}

}  // namespace

void JudgeAnswers(AuditJudge& judge) {
    JudgeCrawledAnswers(judge);
    JudgeLinks(judge);
}

}  // namespace sg
