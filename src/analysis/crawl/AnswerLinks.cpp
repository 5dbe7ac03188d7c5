#include "analysis/crawl/AnswerLinks.h"

#include "html/PageLinks.h"

namespace sg {

FoundLinks ExtractAnswerLinks(const Answer& answer) {
    FoundLinks found;
    if (answer.result == Answer::kOk && answer.HoldsLinks()) {
        ExtractPageLinks(answer.BodyText(), answer.finalUrl, found.frames, found.links,
                         found.resources, answer.ContentTypeLine(), &found.local);
    }
    return found;
}

}  // namespace sg
