// Canonical: canonical links that cannot be used, name another page, or name a bad one.

#include "analysis/audit/checks/AuditJudge.h"

namespace sg {

void JudgeCanonical(AuditJudge& judge) {
    const AuditAnswers& answers = judge.Data().answers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const AuditAnswer& answer = answers[i];
        const PageState& state = judge.State(i);
        if (!state.canonicalProblem.empty()) {
            judge.Add(kCanonicalInvalid, answer.url, state.canonicalProblem);
            continue;
        }
        if (!state.canonicalElsewhere) {
            continue;
        }
        judge.Add(kCanonicalElsewhere, answer.url, "names " + state.canonical);
        const AuditAnswer* target = judge.Find(state.canonical);
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
        } else if (target->directives.KeepsOutOfIndex(judge.Now())) {
            why = "is noindex";
        }
        if (!why.empty()) {
            judge.Add(kCanonicalTargetBad, answer.url,
                      "names " + state.canonical + ", which " + why);
        }
    }
}

}  // namespace sg
