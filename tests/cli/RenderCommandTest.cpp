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

// A documentation package whose menus a script writes (Doxygen's menudata.js): its class and
// file lists are linked from those menus only.
constexpr const char* kScriptMenuDocs = "/usr/share/doc/libjsoncpp-doc";

// The files of `root` over HTTP, each with the type its name says; 404 for anything else.
std::string ServeFile(const std::string& root, std::string path) {
    path = path.substr(0, path.find_first_of("?#"));
    if (path == "/") {
        path = "/index.html";
    }
    std::ifstream in(root + path, std::ios::binary);
    if (path.find("..") != std::string::npos || !in) {
        return test::MissingPage("<html><h1>404 Not Found</h1></html>");
    }
    std::stringstream body;
    body << in.rdbuf();
    const std::string extension = path.substr(path.rfind('.') + 1);
    const std::map<std::string, std::string> types = {{"html", "text/html"},
                                                      {"css", "text/css"},
                                                      {"js", "application/javascript"},
                                                      {"png", "image/png"},
                                                      {"svg", "image/svg+xml"}};
    const auto type = types.find(extension);
    return "HTTP/1.0 200 OK\r\nContent-Type: " +
           (type != types.end() ? type->second : std::string("application/octet-stream")) +
           "\r\n\r\n" + body.str();
}

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

namespace sg {
namespace {

TEST(RenderCommand, AScriptMenuDocumentationSiteIsReachedFurtherWhenRendered) {
    std::string why;
    ASSERT_TRUE(test::EnterIsolatedNetwork(why)) << why;
    ASSERT_FALSE(FindRenderBrowser().empty()) << kNoRenderBrowserText;
    ASSERT_TRUE(std::ifstream(std::string(kScriptMenuDocs) + "/menudata.js").good())
        << "scripts/install-deps --test installs libjsoncpp-doc";
    test::TempDir dir;
    test::FixtureSite site([](const std::string& path) { return ServeFile(kScriptMenuDocs, path); },
                           test::LoopbackServer::Serving::Concurrently);
    // The whole site fetched, and its first pages rendered.
    std::map<std::string, std::map<std::string, std::string>> found;
    for (const char* mode : {"fetched", "rendered"}) {
        std::vector<std::string> args = {"--workdir", dir.path(),
                                         "links",     "--nested",
                                         "--json",    dir / (std::string(mode) + ".json"),
                                         "--name",    "D",
                                         "--url",     site.Url("/index.html")};
        if (std::string(mode) == "rendered") {
            args.insert(args.begin() + 3, {"--render", "--max-pages", "25"});
        }
        const test::CliResult run = test::RunCli(dir.path(), args);
        ASSERT_EQ(run.exitCode, 0) << mode << ": " << run.err;
        found[mode] = Records(dir / (std::string(mode) + ".json"));
    }
    for (const char* menuOnly : {"/annotated.html", "/files.html", "/functions.html"}) {
        EXPECT_EQ(found["fetched"].count(site.Url(menuOnly)), 0u) << menuOnly;
        EXPECT_EQ(found["rendered"][site.Url(menuOnly)], "available") << menuOnly;
    }
    EXPECT_EQ(found["rendered"][site.Url("/namespace_json.html")], "available");
}

}  // namespace
}  // namespace sg
