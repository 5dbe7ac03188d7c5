#include "analysis/crawl/AnswerLinks.h"

#include <string_view>
#include <unordered_set>

#include "html/PageLinks.h"
#include "html/Url.h"
#include "net/RenderFacts.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

bool ReadsLinks(const Answer& answer) {
    return answer.result == Answer::kOk && answer.HoldsLinks();
}

// The browser's resource requests added to `found` in the page's own form (a page written
// without a scheme has its http resources without one too), each address once.
void AddRenderedResources(const Answer& answer, FoundLinks& found, std::size_t maxLinks) {
    std::unordered_set<std::string> keys;
    std::size_t read = found.unasked.size();
    for (const std::vector<std::string>* list : {&found.frames, &found.links, &found.resources}) {
        for (const std::string& link : *list) {
            keys.insert(Url::CompareKeyOf(link));
        }
        read += list->size();
    }
    const bool pageHasScheme = StartsWithNoCase(answer.finalUrl, "http://") ||
                               StartsWithNoCase(answer.finalUrl, "https://");
    for (const RenderedRequest& request : answer.rendered->requests) {
        if (!IsRenderedResource(request.type)) {
            continue;
        }
        const std::optional<Url> url = Url::Parse(request.url);
        if (!url || !url->IsFollowed() || !keys.insert(url->CompareKey()).second) {
            continue;
        }
        if (read >= maxLinks) {
            ++found.beyondLimit;
            continue;
        }
        ++read;
        std::string_view text = Url::FetchKeyOf(url->Text());
        if (!pageHasScheme && StartsWithNoCase(text, "http://")) {
            text.remove_prefix(7);
        }
        found.resources.emplace_back(text);
    }
}

}  // namespace

bool IsRenderedResource(std::string_view type) {
    for (std::string_view resource : {"Image", "Script", "Stylesheet", "Font", "Media"}) {
        if (type == resource) {
            return true;
        }
    }
    return false;
}

FoundLinks ExtractAnswerLinks(const Answer& answer, std::size_t maxLinks) {
    if (!ReadsLinks(answer)) {
        return {};
    }
    FoundLinks found =
        ReadPageLinks(answer.BodyText(), answer.finalUrl, answer.ContentTypeLine(), maxLinks);
    if (answer.rendered != nullptr) {
        AddRenderedResources(answer, found, maxLinks);
    }
    return found;
}

FoundLinks ExtractSourceLinks(const Answer& answer, std::size_t maxLinks) {
    if (answer.rendered == nullptr || !ReadsLinks(answer)) {
        return {};
    }
    return ReadPageLinks(answer.rendered->sourceBody, answer.finalUrl, answer.ContentTypeLine(),
                         maxLinks);
}

}  // namespace sg
