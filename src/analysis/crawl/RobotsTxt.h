#pragma once
// A robots.txt file as RFC 9309 reads it: groups of user-agent lines with their allow and
// disallow rules, matched by product token without regard to case ("*" as the fallback), the
// longest matching rule deciding (allow wins a tie), "*" and a final "$" as wildcards. The
// Crawl-delay extension, which RFC 9309 leaves to crawlers, is kept per group. The file
// is parsed whole (the fetch caps it at 8 MiB, well over the 500 KiB the RFC asks for), in time
// linear in its size; what a crawler would not read as the protocol intends is listed as a
// problem with its line number, and skipped.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

struct RobotsProblem {
    // 1-based.
    std::size_t line = 0;
    // What is wrong, for a report: "no colon", "unknown directive \"crawl\"", ...
    std::string what;
    // How Google's parser reads the line instead ("disallow: /x"); empty when it skips it too.
    std::string googleReads;
};

// Who reads the file: a crawler as RFC 9309 says (Bingbot, Sitegauge), or Googlebot as Google's
// published parser does, with its documented leniencies: the typos "disalow", "dissallow",
// "dissalow", "diasllow" and "disallaw" for disallow, "useragent" and "user agent" for
// user-agent, "site-map" for sitemap; a blank in place of a missing colon when the line holds
// just two words; and an allow of ".../index.htm" or ".../index.html" also allowing its folder
// ".../" exactly.
enum class RobotsReading { Rfc9309, Google };

class RobotsTxt {
  public:
    // Every path allowed (no file, or a 4xx answer).
    static RobotsTxt AllowAll();
    // Every path disallowed (a 5xx answer or no answer at all).
    static RobotsTxt DisallowAll();
    static RobotsTxt Parse(std::string_view text);

    // Whether the crawler of product token `agent` ("Googlebot") may fetch `pathAndQuery` (the
    // URL's path and query as sent, "/a/b?c"; empty means "/"). Letter case of the path counts;
    // percent-encoding is compared in its normal form, so "/%62" and "/b" are the same path.
    // "/robots.txt" itself is always allowed.
    bool Allowed(std::string_view agent, std::string_view pathAndQuery,
                 RobotsReading reading = RobotsReading::Rfc9309) const;

    // The seconds the group of `agent` asks between requests (its first Crawl-delay line with
    // a number, "0.5" allowed); 0 when it names none.
    double CrawlDelay(std::string_view agent) const;

    // The addresses of the Sitemap lines that are absolute URLs, in file order.
    const std::vector<std::string>& Sitemaps() const { return sitemaps_; }
    const std::vector<RobotsProblem>& Problems() const { return problems_; }

  private:
    struct Rule {
        bool allow = false;
        bool anchored = false;
        // Normal form, without the final "$".
        std::string pattern;
    };
    struct Group {
        // Lower-cased product tokens; "*" for the fallback.
        std::vector<std::string> agents;
        std::vector<Rule> rules;
        // Seconds; negative when the group has no Crawl-delay line.
        double crawlDelay = -1;
    };

    // The groups naming `agent` (merged, in file order), else those of "*".
    std::vector<const Group*> GroupsOf(std::string_view agent,
                                       RobotsReading reading = RobotsReading::Rfc9309) const;
    // The groups as `reading` reads the file; problems and sitemaps are kept for RFC 9309's.
    static RobotsTxt ParseAs(std::string_view text, RobotsReading reading);

    bool disallowAll_ = false;
    std::vector<Group> groups_;
    // The groups as Google's parser reads the file.
    std::vector<Group> googleGroups_;
    std::vector<std::string> sitemaps_;
    std::vector<RobotsProblem> problems_;
};

// The path and query of a URL in the form matching takes: "/" when it has no path; the
// fragment dropped. `url` may carry a scheme or not ("host/a?b", "https://host/a").
std::string RobotsPathOf(std::string_view url);

}  // namespace sg
