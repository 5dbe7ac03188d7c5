#include "analysis/crawl/RobotsTxt.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

struct Case {
    const char* agent;
    const char* path;
    bool allowed;
};

void ExpectCases(const RobotsTxt& robots, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(robots.Allowed(c.agent, c.path), c.allowed) << c.agent << " " << c.path;
    }
}

// RFC 9309 section 5.1, with the crawlers its text names and the paths it discusses.
TEST(RobotsTxt, RfcSimpleExampleGroupsAndFallback) {
    const RobotsTxt robots = RobotsTxt::Parse(
        "User-Agent: *\n"
        "Disallow: *.gif$\n"
        "Disallow: /example/\n"
        "Allow: /publications/\n"
        "\n"
        "User-Agent: foobot\n"
        "Disallow:/\n"
        "Allow:/example/page.html\n"
        "Allow:/example/allowed.gif\n"
        "\n"
        "User-Agent: barbot\n"
        "User-Agent: bazbot\n"
        "Disallow: /example/page.html\n"
        "\n"
        "User-Agent: quxbot\n"
        "\n"
        "EOF\n");
    ExpectCases(robots, {
                            {"foobot", "/example/page.html", true},
                            {"foobot", "/example/allowed.gif", true},
                            {"foobot", "/example/other.html", false},
                            {"foobot", "/", false},
                            {"FooBot", "/", false},
                            {"barbot", "/example/page.html", false},
                            {"bazbot", "/example/page.html", false},
                            {"bazbot", "/example/other.html", true},
                            {"quxbot", "/example/page.html", true},
                            {"quxbot", "/a.gif", true},
                            {"otherbot", "/a.gif", false},
                            {"otherbot", "/a.gif?x", true},
                            {"otherbot", "/example/x", false},
                            {"otherbot", "/publications/x", true},
                            {"otherbot", "/", true},
                            {"otherbot", "/robots.txt", true},
                        });
    // "EOF" has no colon.
    ASSERT_EQ(robots.Problems().size(), 1u);
    EXPECT_EQ(robots.Problems()[0].line, 17u);
}

TEST(RobotsTxt, LongestMatchWinsAndAllowWinsATie) {
    // Section 5.2, then the tie, the wildcards and the $ anchor of section 2.2.3.
    const RobotsTxt robots = RobotsTxt::Parse(
        "User-Agent: foobot\n"
        "Allow: /example/page/\n"
        "Disallow: /example/page/disallowed.gif\n"
        "Disallow: /tie\n"
        "Allow: /tie\n"
        "Disallow: /*/exactly\n"
        "Allow: /this/path/exactly$\n"
        "Disallow: /end$\n"
        "Disallow: /*.php$\n"
        "Allow: /*a*b*c\n"
        "Disallow: /x*\n");
    ExpectCases(robots, {
                            {"foobot", "/example/page/", true},
                            {"foobot", "/example/page/disallowed.gif", false},
                            {"foobot", "/tie", true},
                            {"foobot", "/this/path/exactly", true},
                            {"foobot", "/this/path/exactly/more", false},
                            {"foobot", "/that/x/exactly", false},
                            {"foobot", "/end", false},
                            {"foobot", "/end/", true},
                            {"foobot", "/index.php", false},
                            {"foobot", "/index.php?x=1", true},
                            {"foobot", "/x.php.html", false},
                            {"foobot", "/xaXbYc", true},
                            {"foobot", "/xcba", false},
                        });
}

TEST(RobotsTxt, AgentsMatchByProductTokenAndMergeGroups) {
    // Section 2.2.1: case-insensitive tokens, groups of one crawler merged, "*" only when no
    // group names it; a version after the token still names it, a longer token does not.
    const RobotsTxt robots = RobotsTxt::Parse(
        "user-agent: ExampleBot\n"
        "disallow: /foo\n"
        "disallow: /bar\n"
        "\n"
        "user-agent: *\n"
        "disallow: /star\n"
        "\n"
        "USER-AGENT: examplebot/2.1\n"
        "disallow: /baz\n"
        "user-agent: Googlebot-News\n"
        "disallow: /news\n");
    ExpectCases(robots, {
                            {"examplebot", "/foo", false},
                            {"EXAMPLEBOT", "/bar", false},
                            {"ExampleBot", "/baz", false},
                            {"ExampleBot", "/star", true},
                            {"Googlebot", "/star", false},
                            {"Googlebot", "/news", true},
                            {"Googlebot-News", "/news", false},
                        });
}

TEST(RobotsTxt, PercentEncodingComparesInNormalForm) {
    // Section 2.2.2's table: non-ASCII encoded, encoded unreserved characters decoded, reserved
    // ones kept encoded.
    const RobotsTxt robots = RobotsTxt::Parse(
        "User-agent: *\n"
        "Disallow: /foo/bar?baz=https://foo.bar\n"
        "Disallow: /foo/bar/\xE3\x83\x84\n"
        "Disallow: /foo/bar/%62%61%7A\n"
        "Disallow: /q%3fx\n");
    ExpectCases(robots, {
                            {"bot", "/foo/bar?baz=https://foo.bar", false},
                            {"bot", "/foo/bar/%E3%83%84", false},
                            {"bot", "/foo/bar/%e3%83%84", false},
                            {"bot", "/foo/bar/baz", false},
                            {"bot", "/q%3Fx", false},
                            {"bot", "/q?x", true},
                        });
}

TEST(RobotsTxt, WholeFileAnswersAndLineEndings) {
    const RobotsTxt allow = RobotsTxt::AllowAll();
    const RobotsTxt deny = RobotsTxt::DisallowAll();
    EXPECT_TRUE(allow.Allowed("Googlebot", "/x"));
    EXPECT_FALSE(deny.Allowed("Googlebot", "/x"));
    EXPECT_TRUE(deny.Allowed("Googlebot", "/robots.txt"));
    // CR, CR LF and LF ends, a byte order mark, comments and blanks around values.
    const RobotsTxt robots = RobotsTxt::Parse(
        "\xEF\xBB\xBFUser-agent: * # all\r\nDisallow:   /a   \rDisallow: /b # not /c\nDisallow: "
        "\n");
    ExpectCases(robots, {{"bot", "/a", false}, {"bot", "/b", false}, {"bot", "/c", true}});
    EXPECT_TRUE(robots.Problems().empty());
    // Rules past the first 500 KiB still count.
    std::string large;
    while (large.size() < 600 * 1024) {
        large += "# a comment line that takes some room in the file\n";
    }
    EXPECT_FALSE(
        RobotsTxt::Parse(large + "User-agent: *\nDisallow: /late\n").Allowed("bot", "/late"));
    EXPECT_EQ(RobotsPathOf("host:8080/a/b?c#d"), "/a/b?c");
    EXPECT_EQ(RobotsPathOf("https://host"), "/");
    EXPECT_EQ(RobotsPathOf("HTTP://host?q"), "/?q");
}

TEST(RobotsTxt, ProblemsAreListedWithTheirLines) {
    const RobotsTxt robots = RobotsTxt::Parse(
        "Disallow: /early\n"
        "User-agent: *\n"
        "Disallow /nocolon\n"
        "Disalow: /typo\n"
        "Disallow: relative\n"
        "Disallow: /a$b\n"
        "Crawl-delay: 5\n"
        "Sitemap: /sitemap.xml\n"
        "Sitemap: https://host/s.xml\n");
    std::vector<std::size_t> lines;
    for (const RobotsProblem& problem : robots.Problems()) {
        lines.push_back(problem.line);
    }
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, 3, 4, 5, 6, 8}));
    EXPECT_EQ(robots.Sitemaps(), std::vector<std::string>{"https://host/s.xml"});
    // A rule before any group and a pattern that is no path are skipped; "$" inside stays a
    // literal.
    ExpectCases(robots, {{"bot", "/early", true},
                         {"bot", "/relative", true},
                         {"bot", "/a$b", false},
                         {"bot", "/ab", true}});
}

// Googlebot as Google's parser reads a file and a crawler of RFC 9309 as the RFC does: each row
// a file, a path, and whether each may fetch it.
TEST(RobotsTxt, GoogleAndRfcReadingsOfLinesTheyDisagreeOn) {
    struct Row {
        const char* file;
        const char* path;
        bool google;
        bool rfc;
    };
    const Row rows[] = {
        // Google's typos of disallow and user-agent, in any case; the RFC skips such lines.
        {"User-agent: *\nDisalow: /x/\n", "/x/a", false, true},
        {"User-agent: *\nDISSALLOW: /x/\n", "/x/a", false, true},
        {"User-agent: *\ndiasllow: /x/\n", "/x/a", false, true},
        {"User agent: *\nDisallow: /x/\n", "/x/a", false, true},
        {"Useragent: *\nDisallow: /x/\n", "/x/a", false, true},
        // A blank for the colon, when the line holds just two words.
        {"User-agent: *\nDisallow /x/\n", "/x/a", false, true},
        {"User-agent: *\nDisallow /x/ now\n", "/x/a", true, true},
        // An allowed index.html allows its folder exactly, for Google only.
        {"User-agent: *\nDisallow: /d/\nAllow: /d/index.html\n", "/d/", true, false},
        {"User-agent: *\nDisallow: /d/\nAllow: /d/index.htm\n", "/d/", true, false},
        {"User-agent: *\nDisallow: /d/\nAllow: /d/index.html\n", "/d/x", false, false},
        {"User-agent: *\nDisallow: /d/\nAllow: /d/index.html\n", "/d/index.html", true, true},
        // "*bot" names no crawler for either; "*" with words after a blank is every crawler.
        {"User-agent: *bot\nDisallow: /\n", "/a", true, true},
        {"User-agent: * any\nDisallow: /\n", "/a", false, false},
        // Lines both read alike.
        {"User-agent: *\nDisallow: /x/\n", "/x/a", false, false},
        {"User-agent: Googlebot\nDisallow: /\n", "/a", false, true},
    };
    for (const Row& row : rows) {
        const RobotsTxt robots = RobotsTxt::Parse(row.file);
        EXPECT_EQ(robots.Allowed("Googlebot", row.path, RobotsReading::Google), row.google)
            << row.file << row.path;
        EXPECT_EQ(robots.Allowed("Bingbot", row.path, RobotsReading::Rfc9309), row.rfc)
            << row.file << row.path;
    }
    // The problem says how Google reads the line it skips.
    // A line whose key Google ignores too, a missing colon or not, reads alike for both.
    const RobotsTxt typo =
        RobotsTxt::Parse("User-agent: *\nDisalow: /x/\nNoindex: /y\nCrawl-delay 10\n");
    ASSERT_EQ(typo.Problems().size(), 3u);
    EXPECT_EQ(typo.Problems()[0].googleReads, "disallow: /x/");
    EXPECT_EQ(typo.Problems()[1].googleReads, "");
    EXPECT_EQ(typo.Problems()[2].googleReads, "");
}

}  // namespace
}  // namespace sg
