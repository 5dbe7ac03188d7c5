// HTTPS: pages over plain http, http resources and links on https pages, and HSTS.

#include <algorithm>

#include "analysis/audit/checks/AuditHeaders.h"
#include "analysis/audit/checks/AuditJudge.h"
#include "html/UrlText.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

void JudgeMixedContent(AuditJudge& judge, const AuditAnswer& answer) {
    using Kind = PagePlainResource::Kind;
    const std::vector<PagePlainResource>& resources = answer.facts.plainResources;
    if (resources.empty()) {
        return;
    }
    bool blocking = false;
    std::vector<std::string> named;
    for (const PagePlainResource& resource : resources) {
        blocking = blocking || resource.kind == Kind::Script || resource.kind == Kind::Stylesheet ||
                   resource.kind == Kind::Frame;
        if (named.size() < PageFactList::kKept) {
            named.push_back(resource.href);
        }
    }
    judge.Add(kMixedContent, answer.url, "loads " + Named(named, resources.size()),
              blocking ? AuditSeverity::Error : AuditSeverity::Warning);
}

}  // namespace

void JudgeHttps(AuditJudge& judge) {
    const AuditSiteData& data = judge.Data();
    if (!data.httpsProbeUrl.empty() && !data.hostAnswersHttps) {
        judge.Add(kHttpsMissing, std::nullopt,
                  "served over http; " + data.httpsProbeUrl + " gives no answer");
    }
    // A 400 is a port that speaks only TLS refusing a plain request (nginx's "plain HTTP
    // request was sent to HTTPS port"): no http site there to redirect.
    if (!data.httpProbeUrl.empty() && data.httpProbeStatus != 0 && data.httpProbeStatus != 400 &&
        !data.httpProbeEndedOnHttps) {
        judge.Add(kHttpNotRedirected, data.httpProbeUrl,
                  AnswerText(data.httpProbeStatus) + " over http, with no redirect to https");
    }
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        if (!StartsWithNoCase(answer.url, "https://")) {
            if (data.hostAnswersHttps) {
                judge.Add(kHttpPage, answer.url, "served over http; the host answers https");
            }
            return;
        }
        JudgeMixedContent(judge, answer);
        std::vector<std::string> internal;
        for (const std::string& link : answer.facts.plainLinks) {
            if (SameHost(link, answer.url)) {
                internal.push_back(link);
            }
        }
        if (!internal.empty()) {
            const std::size_t count = internal.size();
            internal.resize(std::min(count, PageFactList::kKept));
            judge.Add(kHttpLinkInternal, answer.url, "links to " + Named(internal, count));
        }
        const std::string hsts =
            HstsProblem(HeadValue(answer.head.lines, "Strict-Transport-Security"));
        if (!hsts.empty()) {
            judge.Add(kHstsMissing, answer.url, hsts);
        }
    });
}

}  // namespace sg
