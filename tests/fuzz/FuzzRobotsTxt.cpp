// robots.txt and the robots directives of pages on any bytes: nothing may crash, every problem
// names a line of the file, every sitemap kept is absolute, and "/robots.txt" stays allowed.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "analysis/audit/formats/RobotsDirectives.h"
#include "analysis/crawl/RobotsTxt.h"
#include "platform/Ansi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sg::RobotsTxt robots = sg::RobotsTxt::Parse(text);
    std::size_t lines = 1;
    for (char c : text) {
        lines += c == '\n' || c == '\r' ? 1 : 0;
    }
    for (const sg::RobotsProblem& problem : robots.Problems()) {
        SG_FUZZ_CHECK(problem.line >= 1 && problem.line <= lines);
    }
    for (const std::string& sitemap : robots.Sitemaps()) {
        SG_FUZZ_CHECK(sg::StartsWithNoCase(sitemap, "http://") ||
                      sg::StartsWithNoCase(sitemap, "https://"));
    }
    SG_FUZZ_CHECK(robots.Allowed("Googlebot", "/robots.txt"));
    // The input's own lines as paths, each matched against the rules.
    std::size_t start = 0;
    for (int n = 0; n < 64 && start <= text.size(); ++n) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        (void)robots.Allowed(line.substr(0, line.find(' ')), line);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }

    sg::RobotsDirectives directives;
    sg::AddMetaRobots(text, directives);
    sg::AddXRobotsTag(text, directives);
    (void)sg::ParseRobotsDate(text);
    return 0;
}
