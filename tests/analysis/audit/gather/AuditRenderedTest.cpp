// Rendered pages through the audit: a fetcher that hands out a browser's answers (the document
// after scripts as the body, what the server sent and what the browser did beside it) for some
// pages of a loopback site, and the usual answers for the rest. What only scripts give, the
// browser's requests and its figures reach the checks, the results files and the site page; a
// page fetched without a browser shows none of it.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <memory>
#include <set>

#include "analysis/audit/checks/AuditRules.h"
#include "analysis/audit/gather/AuditCrawl.h"
#include "analysis/audit/report/AuditSitePage.h"
#include "analysis/crawl/PageBoundSetting.h"
#include "app/ResultsCsv.h"
#include "app/ResultsJson.h"
#include "net/RenderFacts.h"
#include "net/WebFetcher.h"
#include "support/FixtureSite.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;
using Strings = std::vector<std::string>;

// The web fetcher, whose answers for the paths it is given are a browser's: the site serves the
// document as it stands after the scripts, and the facts say what the server sent before them.
class RenderingFetcher : public Fetcher {
  public:
    explicit RenderingFetcher(std::map<std::string, std::shared_ptr<const RenderFacts>> pages)
        : pages_(std::move(pages)) {}
    void Start(const FetchRequest& request, RunControl& control, Done done) override {
        const std::optional<UrlTarget> target = request.url.Target();
        const auto found = target ? pages_.find(target->target) : pages_.end();
        if (request.head || found == pages_.end()) {
            inner_.Start(request, control, std::move(done));
            return;
        }
        inner_.Start(request, control, [facts = found->second, done](Answer answer) {
            answer.rendered = facts;
            done(std::move(answer));
        });
    }
    void Wake() override { inner_.Wake(); }

  private:
    WebFetcher inner_;
    std::map<std::string, std::shared_ptr<const RenderFacts>> pages_;
};

// A page with the head and body given, and the rest no check finds fault with.
std::string Page(const std::string& head, const std::string& body) {
    return "<!DOCTYPE html><html lang=en><head><meta charset=utf-8><meta name=viewport "
           "content=\"width=device-width\">" +
           head + "</head><body>" + body + "</body></html>";
}

const std::set<std::string_view> kBrowserChecks = {"content-needs-js", "links-need-js", "js-errors",
                                                   "lcp-slow",         "cls-high",      "tbt-high"};

TEST(AuditRendered, WhatOnlyScriptsGiveTheBrowsersRequestsAndFigures) {
    const std::string head =
        "<title>Shop for garden tools and seeds</title><meta "
        "name=description content=\"Spades, rakes and seeds for every "
        "garden, sent the day you order them, with advice.\">";
    FixtureSite site(std::map<std::string, std::string>{
        // The shell's document after its scripts: everything a crawler wants.
        {"/", HtmlPage(Page(head,
                            "<h1>Shop</h1><a href=/a.html>A</a><a href=/b.html>B</a>"
                            "<img src=/ok.png width=1 height=1 alt=x>"))},
        {"/a.html", HtmlPage(Page(head + "<link rel=canonical href=/a-new.html><meta "
                                         "name=robots content=noindex>",
                                  "<h1>A</h1><a href=/>home</a>"))},
        {"/b.html", HtmlPage(Page(head, "<h1>B</h1><a href=/>home</a>"))},
        {"/ok.png", "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\nPNG"},
        {"/app.js", "HTTP/1.0 200 OK\r\nContent-Type: text/javascript\r\n\r\n;"},
        {"/api/data", "HTTP/1.0 200 OK\r\nContent-Type: application/json\r\n\r\n{}"},
    });
    const std::string root = "http://" + site.Url("");

    auto shell = std::make_shared<RenderFacts>();
    shell->sourceBody = Page("", "<div id=app></div><script src=/app.js></script>");
    shell->requests = {{root + "/app.js", "Script", 200, ""},
                       {root + "/late.png", "Image", 404, ""},
                       {root + "/ok.png", "Image", 200, ""},
                       {root + "/api/data", "XHR", 200, ""},
                       {"data:image/png;base64,AAAA", "Image", 200, ""},
                       {root + "/gone.js", "Script", 0, "net::ERR_CONNECTION_RESET"}};
    shell->lcpMs = 2501;
    shell->cls = 0.05;
    shell->consoleErrors = {"Uncaught TypeError: app is undefined"};
    auto retagged = std::make_shared<RenderFacts>();
    retagged->sourceBody = Page(head + "<link rel=canonical href=" + root + "/a.html>",
                                "<h1>A</h1><a href=/>home</a>");
    retagged->lcpMs = 1200;
    retagged->cls = 0;
    retagged->tbtMs = 0;
    RenderingFetcher fetcher({{"/", shell}, {"/a.html", retagged}});

    AuditGatherBounds bounds;
    bounds.slowFirstByteMs = 60000;
    const AuditSiteData data = GatherSite(fetcher, site.Url("/"), bounds);
    const std::string u = site.Url("");

    // The links only the scripts wrote are crawled; the image the script loaded is judged as
    // any resource and recorded broken; the page's data calls and data: addresses are not asked.
    std::set<std::string> crawled;
    for (const AuditAnswer& answer : data.answers) {
        if (answer.crawled) {
            crawled.insert(answer.url);
        }
    }
    EXPECT_EQ(crawled, (std::set<std::string>{u + "/", u + "/a.html", u + "/b.html"}));
    std::set<std::string> judged;
    for (const AuditLink& link : data.links) {
        if (!link.page) {
            judged.insert(link.from + " > " + link.to + " " + std::to_string(link.status));
        }
    }
    EXPECT_EQ(judged, (std::set<std::string>{
                          u + "/ > " + u + "/ok.png 200", u + "/ > " + u + "/app.js 200",
                          u + "/ > " + u + "/late.png 404", u + "/ > " + u + "/gone.js 404",
                          u + "/a.html > " + u + "/a-new.html 404"}));
    EXPECT_EQ(site.CountRequests("GET /api/data") + site.CountRequests("HEAD /api/data"), 0);

    AuditSite judgedSite = JudgeSite(data, 1767225600);
    Strings found;
    for (const AuditFinding& finding : judgedSite.findings) {
        if (kBrowserChecks.count(finding.check) > 0 ||
            (finding.check == "status-4xx" && finding.url == u + "/late.png")) {
            found.push_back(std::string(finding.check) + " " + finding.url.value_or("-") + " " +
                            finding.detail);
        }
    }
    EXPECT_EQ(
        found,
        (Strings{
            "status-4xx " + u + "/late.png answers 404, loaded by " + u + "/",
            "content-needs-js " + u +
                "/ title: none before scripts, \"Shop for garden tools and seeds\" after",
            "content-needs-js " + u +
                "/ description: none before scripts, \"Spades, rakes and seeds for every "
                "garden, sent the day you order them, with advice.\" after",
            "content-needs-js " + u + "/ h1: none before scripts, \"Shop\" after",
            "content-needs-js " + u + "/a.html canonical: \"" + root +
                "/a.html\" before scripts, \"/a-new.html\" after",
            "content-needs-js " + u + "/a.html robots: none before scripts, \"noindex\" after",
            "links-need-js " + u + "/ 2 links only after scripts: " + u + "/a.html, " + u +
                "/b.html",
            "js-errors " + u +
                "/ 1 console error: Uncaught TypeError: app is undefined; 2 failed "
                "requests: " +
                root + "/late.png answers 404, " + root + "/gone.js: net::ERR_CONNECTION_RESET",
            "lcp-slow " + u + "/ largest contentful paint after 2501 ms",
        }));

    // The figures per page and their medians; none where the browser gave none or no browser
    // loaded the page.
    RunResults results;
    results.audit.push_back(judgedSite);
    const nlohmann::json json =
        nlohmann::json::parse(ResultsJson(results, ResultsKind::Audit, "Shop")).at("sites")[0];
    std::map<std::string, std::string> figures;
    for (const nlohmann::json& row : json.at("pages")) {
        figures[row.at("url")] =
            row.at("lcpMs").dump() + " " + row.at("cls").dump() + " " + row.at("tbtMs").dump();
    }
    EXPECT_EQ(figures[u + "/"], "2501.0 0.05 null");
    EXPECT_EQ(figures[u + "/a.html"], "1200.0 0.0 0.0");
    EXPECT_EQ(figures[u + "/b.html"], "null null null");
    EXPECT_EQ(json.at("medianLcpMs").dump() + " " + json.at("medianCls").dump() + " " +
                  json.at("medianTbtMs").dump(),
              "2501.0 0.05 0.0");
    const std::string csv = ResultsCsv(results, ResultsKind::Audit);
    EXPECT_NE(csv.find(",largest contentful paint after 2501 ms,2501,0.05,"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("site,check,severity,url,detail,lcpMs,cls,tbtMs"), std::string::npos);
    const std::string page = AuditSitePage(judgedSite, "Shop", "s.html", 0);
    for (const std::string& shown :
         {std::string("<th>In the browser</th>"), std::string("LCP 2501 ms &middot; CLS 0.05<ul"),
          "<li>console error: Uncaught TypeError: app is undefined</li><li>failed request: " +
              root + "/late.png answers 404</li>",
          std::string("LCP 1200 ms &middot; CLS 0 &middot; TBT 0 ms</td>")}) {
        EXPECT_NE(page.find(shown), std::string::npos) << shown;
    }

    // Without a browser the same site has none of it.
    WebFetcher plain;
    const AuditSite fetched = JudgeSite(GatherSite(plain, site.Url("/"), bounds), 1767225600);
    for (const AuditFinding& finding : fetched.findings) {
        EXPECT_EQ(kBrowserChecks.count(finding.check), 0u) << finding.check;
    }
    EXPECT_EQ(fetched.pagesRendered, 0u);
    EXPECT_EQ(AuditSitePage(fetched, "Shop", "s.html", 0).find("In the browser"),
              std::string::npos);
}

}  // namespace
}  // namespace sg
