#pragma once
// One crawl record as the results files write it: UTF-8 addresses and the words of the Link
// Validator report's lists. Made one record at a time while a file is written.

#include <optional>
#include <string>

#include "model/LinkRecords.h"

namespace sg {

struct LinkResult {
    std::string from;
    std::string link;
    std::string status;  // "broken", "unreachable", "available" or "blocked" (robots.txt)
    // The HTTP status code of the answer that decided it; none when unreachable or when the
    // answer had no status line.
    std::optional<int> httpStatus;
    std::string kind;  // "page" or "resource"
    // Why a broken link cannot work when no answer says so; empty otherwise.
    std::string reason;
};

LinkResult LinkResultOf(const CrawlRecord& record);

}  // namespace sg
