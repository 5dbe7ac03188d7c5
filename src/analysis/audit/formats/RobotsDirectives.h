#pragma once
// What a page tells Googlebot about itself: the directives of its robots and googlebot meta tags
// and of its X-Robots-Tag header lines ("noindex", "nofollow", "none", "unavailable_after: DATE").

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// The product token the indexing checks are made for.
inline constexpr std::string_view kIndexingCrawler = "Googlebot";
// The other engine's crawler whose robots.txt verdict the audit gives.
inline constexpr std::string_view kBingCrawler = "Bingbot";

struct RobotsDirectives {
    bool noindex = false;
    bool nofollow = false;
    // Where the first noindex (or none) was said and to whom: "a robots meta tag, for every
    // crawler", "an X-Robots-Tag header, for Googlebot"; empty when none was.
    std::string noindexFrom;
    // The earliest unavailable_after date that could be read (seconds since the epoch, UTC).
    std::optional<std::time_t> unavailableAfter;

    // noindex, or an unavailable_after date before `now`.
    bool KeepsOutOfIndex(std::time_t now) const {
        return noindex || (unavailableAfter && *unavailableAfter < now);
    }
};

// Adds the directives of one robots or googlebot meta tag's content: comma-separated, any
// letter case. Unknown directives are ignored.
// `name` is the meta tag's name as written ("robots", "googlebot"; empty reads as "robots").
void AddMetaRobots(std::string_view content, RobotsDirectives& directives,
                   std::string_view name = "robots");

// Adds what one X-Robots-Tag header value says to Googlebot: directives without a crawler name,
// and those after "googlebot:" ("otherbot: noindex" says nothing to it).
void AddXRobotsTag(std::string_view value, RobotsDirectives& directives);
// Adds what every X-Robots-Tag line among an answer's header lines says to Googlebot; the name
// in any letter case ("x-robots-tag", as HTTP/2 sends it). Other lines are ignored.
void AddXRobotsTagLines(const std::vector<std::string>& headerLines, RobotsDirectives& directives);

// The date of an unavailable_after directive: RFC 822/1123 ("25 Jun 2030 15:00:00 GMT", with or
// without the weekday), RFC 850 ("Tuesday, 25-Jun-30 15:00:00 GMT") or ISO 8601
// ("2030-06-25", "2030-06-25T15:00:00Z"); the time of day optional, a time zone read as UTC.
// Nullopt when no date can be read.
std::optional<std::time_t> ParseRobotsDate(std::string_view text);

}  // namespace sg
