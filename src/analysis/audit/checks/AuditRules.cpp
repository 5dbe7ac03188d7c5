#include "analysis/audit/checks/AuditRules.h"

#include "analysis/audit/checks/AuditJudge.h"

namespace sg {

AuditSite JudgeSite(const AuditSiteData& data, std::time_t now) {
    AuditJudge judge(data, now);
    if (!data.startFailure.empty()) {
        // Nothing came, so nothing can be judged: no check passes or fails.
        judge.Add(kSiteUnreachable, data.siteUrl, "no answer: " + data.startFailure);
        AuditSite site = judge.Finish();
        site.unreachable = true;
        return site;
    }
    // Each check's findings come from one category; the order within a check is the one its
    // category's rules add them in.
    JudgeAnswers(judge);
    JudgeIndexing(judge);
    JudgeCanonical(judge);
    JudgeContent(judge);
    JudgeScripts(judge);
    JudgeSitemaps(judge);
    JudgeHttps(judge);
    JudgeSpeed(judge);
    JudgeImagesAndLinks(judge);
    JudgeLanguagesAndDocuments(judge);
    return judge.Finish();
}

}  // namespace sg
