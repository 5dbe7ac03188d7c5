// The Site Audit end to end through sitegauge-cli: two loopback sites of the test's own on which
// every check fires exactly where it was planted and nowhere else (clean pages included), read
// back from --json; --csv; and the exit codes of --fail-on.

#include <gtest/gtest.h>
#include <zlib.h>

#include <nlohmann/json.hpp>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliRunner.h"
#include "platform/FileSystem.h"
#include "reports/CsvText.h"
#include "support/FixtureSite.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using Json = nlohmann::json;

std::string Gzip(const std::string& text) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// What a page holds; by default nothing any check minds: a title of 30 to 60 characters, a
// description of 70 to 155, one short h1 and over 200 words, each its own.
struct Page {
    std::string name;
    // What the visible text and the h1 are made of (the name unless two pages share it).
    std::string text;
    std::vector<std::string> titles;
    std::vector<std::string> descriptions;
    std::vector<std::string> h1s;
    std::string head;
    std::string body;
    std::size_t words = 210;

    explicit Page(std::string pageName, std::string textName = "")
        : name(std::move(pageName)), text(textName.empty() ? name : std::move(textName)) {
        titles = {"The " + name + " page of the audit test site"};
        descriptions = {"This is the " + name +
                        " page of the audit test site, with one case of the audit on it."};
        h1s = {"About " + text};
    }

    std::string Html() const {
        std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\">";
        for (const std::string& title : titles) {
            html += "<title>" + title + "</title>";
        }
        for (const std::string& description : descriptions) {
            html += "<meta name=\"description\" content=\"" + description + "\">";
        }
        html += head + "</head><body>";
        for (const std::string& h1 : h1s) {
            html += "<h1>" + h1 + "</h1>";
        }
        html += "<p>";
        for (std::size_t i = 0; i < words; ++i) {
            html += "word" + std::to_string(i) + text + " ";
        }
        return html + "</p>" + body + "</body></html>";
    }
};

std::string Ok(const std::string& html, const std::string& headers = "") {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n" + headers + "\r\n" +
           html;
}

std::string Status(int code, const std::string& headers = "") {
    return "HTTP/1.0 " + std::to_string(code) + " X\r\nContent-Type: text/html\r\n" + headers +
           "\r\n<html><body>status " + std::to_string(code) + "</body></html>";
}

std::string Redirect(const std::string& to) {
    return "HTTP/1.0 301 Moved Permanently\r\nLocation: " + to +
           "\r\nContent-Type: text/html\r\n\r\n";
}

std::string Typed(const std::string& type, const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\n\r\n" + body;
}

// The site whose pages plant every check but robots-txt-unreachable and sitemap-missing.
class PlantedSite {
  public:
    PlantedSite()
        : site_([this](const std::string& path) { return Answer(path); },
                test::LoopbackServer::Serving::Concurrently) {
        Add(Page("home"));
        Add(Page("clean"), "<link rel=\"canonical\" href=\"" + Absolute("/clean.html") + "\">");
        Add(Page("chained"));
        Add(Page("unlisted"));
        Add(Page("orphan"));
        Add(Page("private"));
        Page noindex("noindex");
        noindex.head = "<meta name=\"ROBOTS\" content=\"noindex, nofollow\">";
        Add(noindex);
        Add(Page("xrobots"));
        Page expired("expired");
        expired.head = "<meta name=\"googlebot\" content=\"unavailable_after: 2001-01-01\">";
        Add(expired);
        Add(Page("canon-relative"), "<link rel=\"canonical\" href=\"/clean.html\">");
        Add(Page("canon-two"), "<link rel=\"canonical\" href=\"" + Absolute("/clean.html") +
                                   "\"><link rel=\"canonical\" href=\"" +
                                   Absolute("/chained.html") + "\">");
        Add(Page("canon-elsewhere"),
            "<link rel=\"canonical\" href=\"" + Absolute("/clean.html") + "\">");
        Add(Page("canon-bad"),
            "<link rel=\"canonical\" href=\"" + Absolute("/canon-target-gone.html") + "\">");
        Page noTitle("no-title");
        noTitle.titles.clear();
        Add(noTitle);
        Page twoTitles("two-titles");
        twoTitles.titles.push_back("A second title of the two-titles page");
        Add(twoTitles);
        for (const char* name : {"dup-a", "dup-b"}) {
            Page dup(name);
            dup.titles = {"The same title on two pages of the site"};
            Add(dup);
        }
        Page longTitle("long-title");
        longTitle.titles = {"A title of the long-title page that goes on well past sixty chars"};
        Add(longTitle);
        Page shortTitle("short-title");
        shortTitle.titles = {"Short title"};
        Add(shortTitle);
        Page noDesc("no-desc");
        noDesc.descriptions.clear();
        Add(noDesc);
        Page twoDescs("two-descs");
        twoDescs.descriptions.push_back(
            "A second description of the two-descs page, long enough for its bounds here.");
        Add(twoDescs);
        for (const char* name : {"ddup-a", "ddup-b"}) {
            Page dup(name);
            dup.descriptions = {
                "The same description on two pages of the audit test site, which it minds."};
            Add(dup);
        }
        Page longDesc("long-desc");
        longDesc.descriptions = {std::string(160, 'd')};
        Add(longDesc);
        Page shortDesc("short-desc");
        shortDesc.descriptions = {"Too short a description."};
        Add(shortDesc);
        Page noH1("no-h1");
        noH1.h1s.clear();
        Add(noH1);
        Page twoH1("two-h1");
        twoH1.h1s.push_back("Another heading");
        Add(twoH1);
        Page longH1("long-h1");
        longH1.h1s = {"A heading of the long-h1 page that is longer than seventy characters, too"};
        Add(longH1);
        Page thin("thin");
        thin.words = 50;
        Add(thin);
        // The same visible text, told apart by title and description only.
        Add(Page("copy-a", "copy"));
        Add(Page("copy-b", "copy"));
    }

    std::string Url(const std::string& path = "/") const { return site_.Url(path); }

    // The pages the start page links to (with /chain1, /loop1, /gone.html, /error.html and
    // an image that is missing).
    static std::vector<std::string> Linked() {
        return {"/clean.html",
                "/chain1",
                "/loop1",
                "/gone.html",
                "/error.html",
                "/unlisted.html",
                "/private/page.html",
                "/noindex.html",
                "/xrobots.html",
                "/expired.html",
                "/canon-relative.html",
                "/canon-two.html",
                "/canon-elsewhere.html",
                "/canon-bad.html",
                "/no-title.html",
                "/two-titles.html",
                "/dup-a.html",
                "/dup-b.html",
                "/long-title.html",
                "/short-title.html",
                "/no-desc.html",
                "/two-descs.html",
                "/ddup-a.html",
                "/ddup-b.html",
                "/long-desc.html",
                "/short-desc.html",
                "/no-h1.html",
                "/two-h1.html",
                "/long-h1.html",
                "/thin.html",
                "/copy-a.html",
                "/copy-b.html"};
    }

  private:
    std::string Absolute(const std::string& path) const { return "http://" + site_.Url(path); }

    void Add(Page page, std::string head = "") {
        page.head += head;
        pages_.insert_or_assign(page.name, std::move(page));
    }

    std::string Html(const std::string& name) const {
        const Page& page = pages_.at(name);
        if (name != "home") {
            return page.Html();
        }
        Page home = page;
        for (const std::string& path : Linked()) {
            home.body += "<a href=\"" + path + "\">" + path + "</a> ";
        }
        home.body += "<img src=\"/missing.png\" alt=\"gone\">";
        return home.Html();
    }

    std::string Answer(const std::string& path) const {
        if (path == "/") {
            return Ok(Html("home"));
        }
        if (path == "/robots.txt") {
            return Typed("text/plain",
                         "User-agent: *\nDisallow: /private/\n\n"
                         "User-agent: GPTBot\nDisallow: /\n\nUser-agent: CCBot\nDisallow: /\n\n"
                         "Crawl-delay: 5\nNoindex: /x\nSitemap: " +
                             Absolute("/sitemap-index.xml") + "\n");
        }
        if (path == "/sitemap-index.xml") {
            return Typed("application/xml",
                         "<?xml version=\"1.0\"?><sitemapindex "
                         "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"><sitemap><loc>" +
                             Absolute("/sitemap-pages.xml.gz") + "</loc></sitemap><sitemap><loc>" +
                             Absolute("/sitemap-broken.xml") + "</loc></sitemap></sitemapindex>");
        }
        if (path == "/sitemap-broken.xml") {
            return Typed("application/xml", "<urlset><url><loc>" + Absolute("/clean.html"));
        }
        if (path == "/sitemap-pages.xml.gz") {
            std::string xml =
                "<?xml version=\"1.0\"?><urlset "
                "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
            for (const char* listed : {"/",
                                       "/clean.html",
                                       "/chained.html",
                                       "/orphan.html",
                                       "/noindex.html",
                                       "/canon-relative.html",
                                       "/canon-two.html",
                                       "/no-title.html",
                                       "/two-titles.html",
                                       "/dup-a.html",
                                       "/dup-b.html",
                                       "/long-title.html",
                                       "/short-title.html",
                                       "/no-desc.html",
                                       "/two-descs.html",
                                       "/ddup-a.html",
                                       "/ddup-b.html",
                                       "/long-desc.html",
                                       "/short-desc.html",
                                       "/no-h1.html",
                                       "/two-h1.html",
                                       "/long-h1.html",
                                       "/thin.html",
                                       "/copy-a.html",
                                       "/copy-b.html"}) {
                xml += "<url><loc>" + Absolute(listed) + "</loc></url>";
            }
            return Typed("application/gzip", Gzip(xml + "</urlset>"));
        }
        if (path == "/chain1") {
            return Redirect("/chain2");
        }
        if (path == "/chain2") {
            return Redirect(Absolute("/chained.html"));
        }
        if (path == "/loop1") {
            return Redirect("/loop2");
        }
        if (path == "/loop2") {
            return Redirect("/loop1");
        }
        if (path == "/error.html") {
            return Status(500);
        }
        if (path == "/private/page.html") {
            return Ok(Html("private"));
        }
        if (path == "/xrobots.html") {
            return Ok(Html("xrobots"), "X-Robots-Tag: otherbot: none, googlebot: noindex\r\n");
        }
        const std::string name =
            path.size() > 6 && path.ends_with(".html") ? path.substr(1, path.size() - 6) : "";
        if (pages_.count(name) > 0) {
            return Ok(Html(name));
        }
        return Status(404);
    }

    std::map<std::string, Page> pages_;
    test::FixtureSite site_;
};

// A one-page site whose robots.txt answers 503 and which names no sitemap.
std::string UnreadableRobotsAnswer(const std::string& path) {
    if (path == "/") {
        return Ok(Page("other").Html());
    }
    if (path == "/robots.txt") {
        return Status(503);
    }
    return Status(404);
}

using Found = std::set<std::pair<std::string, std::string>>;

// (check, address without "http://" and host) of each finding of a site.
Found FindingsOf(const Json& site, const std::string& host) {
    Found found;
    for (const Json& finding : site.at("findings")) {
        std::string url = finding.at("url").is_null() ? "-" : finding.at("url").get<std::string>();
        if (url.starts_with("http://")) {
            url.erase(0, 7);
        }
        if (url.starts_with(host)) {
            url.erase(0, host.size());
        }
        found.emplace(finding.at("check").get<std::string>(), url);
        EXPECT_FALSE(finding.at("detail").get<std::string>().empty()) << finding.dump();
    }
    return found;
}

TEST(AuditCommand, EveryCheckFiresWherePlantedAndNowhereElse) {
    PlantedSite planted;
    test::FixtureSite other(&UnreadableRobotsAnswer, test::LoopbackServer::Serving::Concurrently);
    test::TempDir dir;
    const test::CliResult run = test::RunCli(
        dir.path(), {"--workdir", dir.path(), "audit", "--json", "audit.json", "--csv", "audit.csv",
                     "--name", "Planted", "--url", planted.Url(), "--url", other.Url("/")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string text;
    ASSERT_TRUE(ReadWholeFile(dir.path() + "/audit.json", text));
    const Json json = Json::parse(text);
    ASSERT_EQ(json.at("sites").size(), 2u);

    const Found expected = {
        {"status-4xx", "/gone.html"},
        {"status-4xx", "/missing.png"},
        {"status-5xx", "/error.html"},
        {"redirect-chain", "/chain1"},
        {"redirect-loop", "/loop1"},
        {"internal-link-to-redirect", "/"},
        {"noindex", "/noindex.html"},
        {"noindex", "/xrobots.html"},
        {"noindex", "/expired.html"},
        {"blocked-by-robots", "/private/page.html"},
        {"nofollow", "/noindex.html"},
        {"robots-txt-invalid", "/robots.txt"},
        {"ai-crawlers-blocked", "/robots.txt"},
        {"canonical-invalid", "/canon-relative.html"},
        {"canonical-invalid", "/canon-two.html"},
        {"canonical-elsewhere", "/canon-elsewhere.html"},
        {"canonical-elsewhere", "/canon-bad.html"},
        {"canonical-target-bad", "/canon-bad.html"},
        {"title-missing", "/no-title.html"},
        {"title-multiple", "/two-titles.html"},
        {"title-duplicate", "/dup-a.html"},
        {"title-duplicate", "/dup-b.html"},
        {"title-too-long", "/long-title.html"},
        {"title-too-short", "/short-title.html"},
        {"description-missing", "/no-desc.html"},
        {"description-multiple", "/two-descs.html"},
        {"description-duplicate", "/ddup-a.html"},
        {"description-duplicate", "/ddup-b.html"},
        {"description-too-long", "/long-desc.html"},
        {"description-too-short", "/short-desc.html"},
        {"h1-missing", "/no-h1.html"},
        {"h1-multiple", "/two-h1.html"},
        {"h1-too-long", "/long-h1.html"},
        {"sitemap-invalid", "/sitemap-broken.xml"},
        {"sitemap-url-bad", "/noindex.html"},
        {"not-in-sitemap", "/unlisted.html"},
        {"sitemap-orphan", "/orphan.html"},
        {"duplicate-content", "/copy-a.html"},
        {"duplicate-content", "/copy-b.html"},
        {"thin-content", "/thin.html"},
    };
    const Json& first = json.at("sites")[0];
    EXPECT_EQ(FindingsOf(first, planted.Url("")), expected);
    EXPECT_EQ(FindingsOf(json.at("sites")[1], other.Url("")),
              (Found{{"robots-txt-unreachable", "/robots.txt"}, {"sitemap-missing", "-"}}));

    // Each page once, in its state: the clean page indexable, the others saying why not.
    std::map<std::string, Json> pages;
    for (const Json& page : first.at("pages")) {
        EXPECT_TRUE(pages.emplace(page.at("url").get<std::string>(), page).second) << page.dump();
    }
    const Json& clean = pages.at(planted.Url("/clean.html"));
    EXPECT_EQ(clean.at("status"), 200);
    EXPECT_EQ(clean.at("indexable"), true);
    EXPECT_TRUE(clean.at("notIndexableBecause").is_null());
    EXPECT_EQ(clean.at("title"), "The clean page of the audit test site");
    EXPECT_EQ(clean.at("canonical"), "http://" + planted.Url("/clean.html"));
    EXPECT_EQ(clean.at("words"), 212);
    EXPECT_EQ(pages.at(planted.Url("/private/page.html")).at("notIndexableBecause"),
              "blocked by robots.txt");
    EXPECT_EQ(pages.at(planted.Url("/gone.html")).at("status"), 404);
    EXPECT_EQ(pages.at(planted.Url("/canon-elsewhere.html")).at("notIndexableBecause"),
              "canonical names http://" + planted.Url("/clean.html"));
    EXPECT_TRUE(pages.at(planted.Url("/loop1")).at("status").is_null());

    // The CSV holds the same findings, a row each.
    std::string csv;
    ASSERT_TRUE(ReadWholeFile(dir.path() + "/audit.csv", csv));
    const auto rows = ParseCsv(csv);
    ASSERT_EQ(rows.size(), 1 + expected.size() + 2);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"site", "check", "severity", "url", "detail"}));
    EXPECT_EQ(rows.back()[1], "sitemap-missing");
    EXPECT_EQ(rows.back()[3], "");
}

TEST(AuditCommand, FailOnExitsThreeForThatSeverityOrWorse) {
    // One page, in every sitemap, with a title too short: one warning and nothing else.
    int port = 0;
    test::FixtureSite site(
        [&port](const std::string& path) {
            const std::string root = "http://127.0.0.1:" + std::to_string(port);
            if (path == "/") {
                Page home("home");
                home.titles = {"Home"};
                return Ok(home.Html());
            }
            if (path == "/robots.txt") {
                return Typed("text/plain", "User-agent: *\nAllow: /\n");
            }
            if (path == "/sitemap.xml") {
                return Typed("text/xml", "<urlset><url><loc>" + root + "/</loc></url></urlset>");
            }
            return Status(404);
        },
        test::LoopbackServer::Serving::Concurrently);
    port = site.Port();
    struct Row {
        std::vector<std::string> options;
        int exitCode;
    };
    const Row rows[] = {
        {{"--fail-on", "error"}, 0},
        {{"--fail-on=warning", "--max-pages", "1"}, 3},
        {{"--fail-on", "notice"}, 2},
        {{"--nested"}, 2},
    };
    for (const Row& row : rows) {
        // A folder each, so that no run waits for a report name of its own.
        test::TempDir dir;
        std::vector<std::string> args = {"--workdir", dir.path(), "audit"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        for (const char* arg : {"--json", "-", "--name", "One"}) {
            args.push_back(arg);
        }
        args.push_back("--url");
        args.push_back(site.Url("/"));
        const test::CliResult run = test::RunCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, row.exitCode) << testing::PrintToString(row.options) << run.err;
        if (row.exitCode != 2) {
            EXPECT_NE(run.out.find("\"check\": \"title-too-short\""), std::string::npos);
            EXPECT_EQ(run.out.find("\"severity\": \"error\""), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace sg
