// --render on the command line: without chromium it says so and exits 2, readiness takes it
// only with --nested, and a crawl with it follows the links scripts made (inside a network
// namespace of the test's own, with the real chromium).

#include <stdlib.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "net/PageRenderer.h"
#include "support/FixtureSite.h"
#include "support/IsolatedNetwork.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::HasSubstr;

const std::string kHome =
    "<html><head><title>Home</title></head><body><p>home</p><script>"
    "for (const to of ['/about.html', '/missing.html']) {"
    " const a = document.createElement('a'); a.href = to; a.textContent = to;"
    " document.body.appendChild(a); }</script></body></html>";

// Each record's link and status, from the links command's JSON.
std::map<std::string, std::string> Records(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const nlohmann::json doc = nlohmann::json::parse(text.str(), nullptr, false);
    std::map<std::string, std::string> records;
    if (doc.is_discarded()) {
        return records;
    }
    for (const nlohmann::json& record : doc["sites"][0]["records"]) {
        records[record["link"].get<std::string>()] = record["status"].get<std::string>();
    }
    return records;
}

TEST(RenderCommand, WithoutChromiumExitsTwoAndReadinessTakesItOnlyNested) {
    test::TempDir dir;
    ::setenv("SITEGAUGE_CHROMIUM", "/nonexistent/chromium", 1);
    for (const char* command : {"links", "audit"}) {
        const test::CliResult run =
            test::RunCli(dir.path(), {command, "--render", "--name", "R", "--url", "127.0.0.1:9/"});
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_THAT(run.err, HasSubstr(std::string(kNoRenderBrowserText))) << command;
    }
    ::unsetenv("SITEGAUGE_CHROMIUM");
    const test::CliResult plain =
        test::RunCli(dir.path(), {"readiness", "--render", "--name", "R", "--url", "127.0.0.1:9/"});
    EXPECT_EQ(plain.exitCode, 2);
    EXPECT_THAT(plain.err, HasSubstr("--render needs --nested"));
}

TEST(RenderCommand, ARenderedCrawlFollowsTheLinksScriptsMade) {
    std::string why;
    ASSERT_TRUE(test::EnterIsolatedNetwork(why)) << why;
    ASSERT_FALSE(FindRenderBrowser().empty()) << kNoRenderBrowserText;
    test::TempDir dir;
    test::FixtureSite site(std::map<std::string, std::string>{
        {"/", test::HtmlPage(kHome)}, {"/about.html", test::HtmlPage("<p>about</p>")}});
    std::map<std::string, std::map<std::string, std::string>> found;
    for (const char* mode : {"fetched", "rendered"}) {
        std::vector<std::string> args = {"--workdir", dir.path(),
                                         "links",     "--nested",
                                         "--json",    dir / (std::string(mode) + ".json"),
                                         "--name",    "R",
                                         "--url",     site.Url("/")};
        if (std::string(mode) == "rendered") {
            args.insert(args.begin() + 3, "--render");
        }
        const test::CliResult run = test::RunCli(dir.path(), args);
        ASSERT_EQ(run.exitCode, 0) << mode << ": " << run.err;
        found[mode] = Records(dir / (std::string(mode) + ".json"));
    }
    EXPECT_EQ(found["fetched"].count(site.Url("/missing.html")), 0u);
    EXPECT_EQ(found["rendered"][site.Url("/missing.html")], "broken");
    EXPECT_EQ(found["rendered"][site.Url("/about.html")], "available");
}

}  // namespace
}  // namespace sg
