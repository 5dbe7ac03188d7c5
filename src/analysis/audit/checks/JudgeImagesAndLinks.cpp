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
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        const std::string& url = answer.url;
        const PageFacts& facts = answer.facts;
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
    });
}

}  // namespace sg
