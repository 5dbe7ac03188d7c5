// Scripts: what a crawler that runs no scripts misses of a rendered page (texts and links only
// its scripts give), and what failed as the browser loaded it.

#include <array>

#include "analysis/audit/checks/AuditJudge.h"
#include "analysis/audit/gather/AuditRenderRead.h"

namespace sg {
namespace {

// "none" for an absent text, else the text in quotes.
std::string Shown(const std::string& text) {
    return text.empty() ? std::string("none") : "\"" + text + "\"";
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// Each text that differs before and after scripts: a finding with both values.
void JudgeTexts(AuditJudge& judge, const AuditAnswer& answer, const AuditRender& render) {
    const AuditScriptTexts after = ScriptTextsOf(answer.facts);
    const AuditScriptTexts& before = render.before;
    const std::array<std::pair<std::string_view, const std::string AuditScriptTexts::*>, 5> texts =
        {{{"title", &AuditScriptTexts::title},
          {"description", &AuditScriptTexts::description},
          {"h1", &AuditScriptTexts::h1},
          {"canonical", &AuditScriptTexts::canonical},
          {"robots", &AuditScriptTexts::robots}}};
    for (const auto& [name, text] : texts) {
        if (before.*text != after.*text) {
            judge.Add(kContentNeedsJs, answer.url,
                      std::string(name) + ": " + Shown(before.*text) + " before scripts, " +
                          Shown(after.*text) + " after");
        }
    }
}

}  // namespace

void JudgeScripts(AuditJudge& judge) {
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        const AuditRender* render = answer.rendered.get();
        if (render == nullptr) {
            return;
        }
        JudgeTexts(judge, answer, *render);
        if (render->linksAfterOnly > 0) {
            judge.Add(kLinksNeedJs, answer.url,
                      Counted(render->linksAfterOnly, "link", "links") + " only after scripts: " +
                          Named(render->linksAfterOnlyFirst, render->linksAfterOnly));
        }
        if (render->consoleErrorCount + render->failedRequestCount == 0) {
            return;
        }
        std::string detail;
        if (render->consoleErrorCount > 0) {
            detail = Counted(render->consoleErrorCount, "console error", "console errors") + ": " +
                     Named(render->consoleErrors, render->consoleErrorCount);
        }
        if (render->failedRequestCount > 0) {
            detail += (detail.empty() ? "" : "; ") +
                      Counted(render->failedRequestCount, "failed request", "failed requests") +
                      ": " + Named(render->failedRequests, render->failedRequestCount);
        }
        judge.Add(kJsErrors, answer.url, detail);
    });
}

}  // namespace sg
