#include "analysis/audit/gather/AuditRenderRead.h"

#include <string_view>
#include <unordered_set>

#include "analysis/crawl/PageBoundSetting.h"
#include "html/PageCharset.h"
#include "html/Url.h"
#include "html/UrlText.h"
#include "net/RenderFacts.h"

namespace sg {
namespace {

std::string Kept(std::string_view text) {
    return std::string(CharacterPrefix(text, kRenderTextKept, PageCharset::Utf8));
}

std::string FirstOf(const std::vector<std::string>& texts) {
    return texts.empty() ? std::string() : Kept(texts.front());
}

// Adds `text` to a bounded list and counts it.
void Note(std::string_view text, std::size_t& count, std::vector<std::string>& first) {
    ++count;
    if (first.size() < kRenderListKept) {
        first.push_back(Kept(text));
    }
}

}  // namespace

AuditScriptTexts ScriptTextsOf(const PageFacts& facts) {
    AuditScriptTexts texts;
    texts.title = FirstOf(facts.titles);
    texts.description = FirstOf(facts.descriptions);
    for (const std::string& h1 : facts.h1s) {
        if (!h1.empty()) {
            texts.h1 = Kept(h1);
            break;
        }
    }
    texts.canonical = FirstOf(facts.canonicals);
    std::string robots;
    for (std::size_t i = 0; i < facts.robots.size(); ++i) {
        // Both arms views: a string and a literal would make a temporary string to view.
        const std::string_view name = i < facts.robotsNames.size()
                                          ? std::string_view(facts.robotsNames[i])
                                          : std::string_view();
        robots += (robots.empty() ? "" : "; ") +
                  (name.empty() || name == "robots" ? std::string() : std::string(name) + ": ") +
                  facts.robots[i];
    }
    texts.robots = Kept(robots);
    return texts;
}

std::shared_ptr<const AuditRender> ReadAuditRender(const Answer& got, const FoundLinks& after) {
    const RenderFacts& facts = *got.rendered;
    auto render = std::make_shared<AuditRender>();
    render->before = ScriptTextsOf(ReadPageFacts(facts.sourceBody, got.ContentTypeLine()));

    const FoundLinks before = ExtractSourceLinks(got, static_cast<std::size_t>(MaxLinksPerPage()));
    std::unordered_set<std::string> known;
    for (const auto* list : {&before.links, &before.frames}) {
        for (const std::string& link : *list) {
            known.insert(Url::CompareKeyOf(link));
        }
    }
    for (const auto* list : {&after.links, &after.frames}) {
        for (const std::string& link : *list) {
            if (known.insert(Url::CompareKeyOf(link)).second) {
                Note(StripFragment(link), render->linksAfterOnly, render->linksAfterOnlyFirst);
            }
        }
    }

    render->lcpMs = facts.lcpMs;
    render->cls = facts.cls;
    render->tbtMs = facts.tbtMs;
    for (const std::string& error : facts.consoleErrors) {
        Note(error, render->consoleErrorCount, render->consoleErrors);
    }
    for (const RenderedRequest& request : facts.requests) {
        if (request.status == 0 || request.status >= 400) {
            Note(request.url + (request.status == 0
                                    ? ": " + (request.failure.empty() ? std::string("no answer")
                                                                      : request.failure)
                                    : " answers " + std::to_string(request.status)),
                 render->failedRequestCount, render->failedRequests);
        }
    }
    return render;
}

}  // namespace sg
