#include "app/LinkResult.h"

#include "html/PageCharset.h"

namespace sg {

namespace {

const char* StatusWord(LinkStatus status) {
    switch (status) {
        case LinkStatus::Broken:
            return "broken";
        case LinkStatus::Unreachable:
            return "unreachable";
        case LinkStatus::Blocked:
            return "blocked";
        case LinkStatus::Available:
            break;
    }
    return "available";
}

}  // namespace

LinkResult LinkResultOf(const CrawlRecord& record) {
    return {Utf8Text(record.fromPage, PageCharset::Utf8),
            Utf8Text(record.link, PageCharset::Utf8),
            StatusWord(record.status),
            record.status != LinkStatus::Unreachable && record.httpStatus > 0
                ? std::optional<int>(record.httpStatus)
                : std::nullopt,
            record.kind == LinkKind::Resource ? "resource" : "page",
            BrokenBecauseText(record.because)};
}

}  // namespace sg
