// Images and links: alt texts, image sizes, generic link texts, anchors crawlers cannot follow.

#include "analysis/audit/checks/AuditJudge.h"

namespace sg {
namespace {

// "2 images: a.png, b.png"
std::string Items(const PageFactList& list, std::string_view one, std::string_view many) {
    return std::to_string(list.count) + " " + std::string(list.count == 1 ? one : many) + ": " +
           Named(list.first, list.count);
}

}  // namespace

void JudgeImagesAndLinks(AuditJudge& judge) {
    const std::vector<AuditAnswer>& answers = judge.Data().answers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (!judge.Content(i)) {
            continue;
        }
        const std::string& url = answers[i].url;
        const PageFacts& facts = answers[i].facts;
        if (facts.imagesWithoutAlt.count > 0) {
            judge.Add(kImgAltMissing, url, Items(facts.imagesWithoutAlt, "image", "images"));
        }
        if (facts.imagesWithLongAlt.count > 0) {
            judge.Add(kImgAltTooLong, url, Items(facts.imagesWithLongAlt, "image", "images"));
        }
        if (facts.imagesWithoutSize.count > 0) {
            judge.Add(kImgSizeMissing, url, Items(facts.imagesWithoutSize, "image", "images"));
        }
        if (facts.genericLinks.count > 0) {
            judge.Add(kLinkTextGeneric, url, Items(facts.genericLinks, "link", "links"));
        }
        if (facts.uncrawlableAnchors.count > 0) {
            judge.Add(kAnchorNotCrawlable, url, Items(facts.uncrawlableAnchors, "link", "links"));
        }
    }
}

}  // namespace sg
