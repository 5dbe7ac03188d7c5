// Speed: slow first bytes, uncompressed text, short cache lifetimes, large or heavy pages, and
// the lab figures of rendered pages.

#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "analysis/audit/checks/AuditHeaders.h"
#include "analysis/audit/checks/AuditJudge.h"
#include "analysis/audit/checks/AuditRules.h"
#include "html/UrlText.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

std::string ContentTypeOf(const AuditHead& head) {
    return std::string(HeadValue(head.lines, "Content-Type").value_or(""));
}

std::optional<std::size_t> ContentLengthOf(const AuditHead& head) {
    const std::optional<std::string_view> value = HeadValue(head.lines, "Content-Length");
    std::size_t size = 0;
    if (!value ||
        std::from_chars(value->data(), value->data() + value->size(), size).ec != std::errc()) {
        return std::nullopt;
    }
    return size;
}

// Whether an answer came uncompressed though compression was offered, and is text of
// kCompressMin bytes or more.
bool Uncompressed(const AuditHead& head, std::size_t size) {
    return head.offeredCompression && size >= kCompressMin &&
           IsCompressibleType(ContentTypeOf(head)) &&
           !IsCompressedEncoding(HeadValue(head.lines, "Content-Encoding").value_or(""));
}

void JudgeAnswerSpeed(AuditJudge& judge) {
    const AuditAnswers& answers = judge.Data().answers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const AuditAnswer& answer = answers[i];
        if (answer.status == 0 || !answer.redirects.empty()) {
            continue;
        }
        const AuditHead& head = answer.head;
        // Asked again when slow: slow only when the second answer is slow too (or none came).
        if (head.firstByteMs > kSlowFirstByteMs &&
            (answer.firstByteAgainMs < 0 || answer.firstByteAgainMs > kSlowFirstByteMs)) {
            judge.Add(kSlowResponse, answer.url,
                      "first byte after " + std::to_string(head.firstByteMs) + " ms" +
                          (answer.firstByteAgainMs < 0
                               ? std::string()
                               : ", and after " + std::to_string(answer.firstByteAgainMs) +
                                     " ms when asked again"));
        }
        if (answer.status == 200 && Uncompressed(head, head.bytesReceived)) {
            judge.Add(kNotCompressed, answer.url,
                      std::to_string(head.bytesReceived) + " bytes of " + ContentTypeOf(head) +
                          " sent uncompressed");
        }
        if (judge.Content(i) && head.bodyBytes > kHtmlMaxBytes) {
            judge.Add(kHtmlTooLarge, answer.url, std::to_string(head.bodyBytes) + " bytes");
        }
    }
}

// Judges the site's resources; their sizes by address (0 when not given), for the pages'
// weight.
std::unordered_map<std::string, std::size_t> JudgeResources(AuditJudge& judge) {
    const AuditSiteData& data = judge.Data();
    // A finding says where the resource is loaded.
    const auto where = [&](const AuditResource& resource) {
        return ", loaded by " + resource.from + judge.OtherLoaders(resource.url);
    };
    std::unordered_map<std::string, std::size_t> sizes;
    for (const AuditResource& resource : data.resources) {
        if (resource.status < 200 || resource.status > 299) {
            continue;
        }
        const std::optional<std::size_t> length = ContentLengthOf(resource.head);
        sizes.emplace(AuditKey(resource.url), length.value_or(0));
        if (!SameHost(resource.url, data.root)) {
            // Another host's answers are not the site's to change.
            continue;
        }
        const std::string type = ContentTypeOf(resource.head);
        if (length && Uncompressed(resource.head, *length)) {
            judge.Add(kNotCompressed, resource.url,
                      std::to_string(*length) + " bytes of " + type + " sent uncompressed" +
                          where(resource));
        }
        if (IsStaticResourceType(type)) {
            const std::string problem =
                ShortCacheProblem(ReadCacheLifetime(resource.head.lines, judge.Now()));
            if (!problem.empty()) {
                judge.Add(kShortCacheLifetime, resource.url, problem + where(resource));
            }
        }
        if (length && StartsWithNoCase(type, "image/") && *length > kImageMaxBytes) {
            judge.Add(kImageTooLarge, resource.url,
                      std::to_string(*length) + " bytes" + where(resource));
        }
    }
    return sizes;
}

// A rendered page's lab figures over their bounds; a figure the browser did not give is not
// judged.
void JudgeLabFigures(AuditJudge& judge) {
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        const AuditRender* render = answer.rendered.get();
        if (render == nullptr) {
            return;
        }
        if (render->lcpMs > kLcpSlowAboveMs) {
            judge.Add(kLcpSlow, answer.url,
                      "largest contentful paint after " + AuditFigureText(render->lcpMs) + " ms");
        }
        if (render->cls > kClsHighAbove) {
            judge.Add(kClsHigh, answer.url,
                      "cumulative layout shift " + AuditFigureText(render->cls));
        }
        if (render->tbtMs > kTbtHighAboveMs) {
            judge.Add(kTbtHigh, answer.url,
                      "total blocking time " + AuditFigureText(render->tbtMs) + " ms");
        }
    });
}

}  // namespace

void JudgeSpeed(AuditJudge& judge) {
    JudgeAnswerSpeed(judge);
    const std::unordered_map<std::string, std::size_t> sizes = JudgeResources(judge);
    judge.ForEachContentPage([&](const AuditAnswer& answer) {
        std::size_t weight = 0;
        std::unordered_set<std::string> counted;
        for (const std::string_view resource : answer.resources) {
            const std::string key = AuditKey(resource);
            if (const auto found = sizes.find(key);
                found != sizes.end() && counted.insert(key).second) {
                weight += found->second;
            }
        }
        const std::size_t total = answer.head.bytesReceived + weight;
        if (total > kPageMaxBytes) {
            judge.Add(kPageTooHeavy, answer.url,
                      std::to_string(total / 1024) + " KiB with " + std::to_string(counted.size()) +
                          " resources");
        }
    });
    JudgeLabFigures(judge);
}

}  // namespace sg
