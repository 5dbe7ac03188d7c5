// Indexing: robots.txt, and what keeps a page out of the index or its links unfollowed.

#include "analysis/audit/checks/AuditJudge.h"
#include "analysis/audit/checks/AuditRules.h"

namespace sg {
namespace {

// robots.txt problems named in a finding's detail; the rest are counted.
constexpr std::size_t kProblemsNamed = 10;

void JudgeRobotsTxt(AuditJudge& judge) {
    const AuditSiteData& data = judge.Data();
    if (judge.RobotsUnreadable()) {
        judge.Add(kRobotsTxtUnreachable, data.robotsUrl, AnswerText(data.robotsStatus));
        return;
    }
    const std::vector<RobotsProblem>& problems = data.robots.Problems();
    if (!problems.empty()) {
        std::string detail;
        for (std::size_t i = 0; i < problems.size() && i < kProblemsNamed; ++i) {
            detail += (i > 0 ? "; line " : "line ") + std::to_string(problems[i].line) + ": " +
                      problems[i].what;
            if (!problems[i].googleReads.empty()) {
                // The engines disagree on such a line: say how each reads it.
                detail += " (Googlebot reads it as \"" + problems[i].googleReads +
                          "\"; Bingbot skips it)";
            }
        }
        if (problems.size() > kProblemsNamed) {
            detail += "; and " + std::to_string(problems.size() - kProblemsNamed) + " more lines";
        }
        judge.Add(kRobotsTxtInvalid, data.robotsUrl, detail);
    }
    std::string blocked;
    for (const char* crawler : kAiCrawlers) {
        if (!data.robots.Allowed(crawler, "/")) {
            blocked += (blocked.empty() ? "" : ", ") + std::string(crawler);
        }
    }
    if (!blocked.empty()) {
        judge.Add(kAiCrawlersBlocked, data.robotsUrl, "disallowed for " + blocked);
    }
}

}  // namespace

void JudgeIndexing(AuditJudge& judge) {
    JudgeRobotsTxt(judge);
    const AuditAnswers& answers = judge.Data().answers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const AuditAnswer& answer = answers[i];
        const PageState& state = judge.State(i);
        if (state.noindex) {
            judge.Add(kNoindex, answer.url,
                      !answer.directives.noindex ? "unavailable_after date passed"
                      : answer.directives.noindexFrom.empty()
                          ? std::string("noindex")
                          : "noindex in " + answer.directives.noindexFrom);
        }
        // A page the audit did not ask (robots.txt keeps Sitegauge out too) is judged by the
        // rules alone: whatever it holds, Googlebot may not read it.
        if (!state.blockedFor.empty() && (state.content || answer.notAsked)) {
            judge.Add(kBlockedByRobots, answer.url, "disallowed for " + state.blockedFor);
        }
        if (state.content && answer.directives.nofollow) {
            judge.Add(kNofollow, answer.url, "nofollow");
        }
    }
}

}  // namespace sg
