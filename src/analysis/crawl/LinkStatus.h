#pragma once
// How the crawl judged one URL. The values are stored in the record list and counted by the
// report, so they keep their numbers.

#include <cstdint>

namespace sg {

enum class LinkStatus : std::int32_t {
    // The server answered with "404" in its head and a page that says so in words.
    Broken = 0,
    // The server could not be reached (no connection, no such host, the request not sent).
    Unreachable = 1,
    // Every other answer.
    Available = 2,
    // Not asked: the site's robots.txt disallows it for this crawler.
    Blocked = 3,
};

}  // namespace sg
