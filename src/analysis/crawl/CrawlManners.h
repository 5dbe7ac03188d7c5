#pragma once
// How the crawl treats the sites it crawls: it reads each site's robots.txt before the site's
// first page and keeps to what the file asks of it (its rules and its Crawl-delay), unless the
// user, on their own site, says not to; and it keeps to a rate the user may set below what the
// connections allow.

#include <chrono>
#include <cstddef>

namespace sg {

class Project;
class UrlEntry;

// The product token whose robots.txt group the crawl follows ("*" when the file names none).
inline constexpr const char* kRobotsAgent = "Sitegauge";
// The longest Crawl-delay kept; a longer one is taken as this (and the run's log says so).
inline constexpr std::chrono::seconds kCrawlDelayCap{30};
// The most of robots.txt that is read (RFC 9309 asks crawlers to read at least 500 KiB).
inline constexpr std::size_t kRobotsBodyCap = 512 * 1024;

// The highest rate a user may ask for, in requests per second to one host.
inline constexpr int kMaxRequestsPerSecond = 1000;

struct CrawlManners {
    // robots.txt's rules and Crawl-delay are kept. Always for a competitor's site.
    bool obeysRobots = true;
    // Requests per second to one host at most; 0: as many as the connections allow.
    int requestsPerSecond = 0;
};

// The manners of the run for one of its sites: robots.txt kept unless the run ignores it on
// the own site and `site` is that site (the project's first URL); the run's rate.
CrawlManners MannersFor(const Project& project, const UrlEntry& site);

}  // namespace sg
