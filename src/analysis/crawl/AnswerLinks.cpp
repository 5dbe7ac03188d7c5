#include "analysis/crawl/AnswerLinks.h"

#include "html/PageLinks.h"

namespace sg {

FoundLinks ExtractAnswerLinks(const Answer& answer, std::size_t maxLinks) {
    if (answer.result == Answer::kOk && answer.HoldsLinks()) {
        return ReadPageLinks(answer.BodyText(), answer.finalUrl, answer.ContentTypeLine(),
                             maxLinks);
    }
    return {};
}

}  // namespace sg
