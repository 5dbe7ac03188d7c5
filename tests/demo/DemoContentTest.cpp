// The demo sites' pages: every link that is meant to work does, the broken ones stay broken,
// and the start pages carry the findings the demo is there to show.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "demo/DemoSiteFiles.h"
#include "demo/DemoSiteServer.h"
#include "html/PageCounters.h"
#include "html/PageLinks.h"

namespace sg {
namespace {

constexpr std::string_view kHost = "127.0.0.1:8000";

std::string_view SiteOf(std::string_view path) {
    return path.substr(0, path.find('/'));
}

std::string TagText(std::string_view page, std::string_view open, std::string_view close) {
    const std::size_t start = page.find(open);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t from = start + open.size();
    return std::string(page.substr(from, page.find(close, from) - from));
}

// The content attribute of the meta tag `name`, without its quotes.
std::string MetaContent(std::string_view page, std::string_view name) {
    return TagText(page, "<meta name=\"" + std::string(name) + "\" content=\"", "\"");
}

TEST(DemoContent, OnlyTheIntendedLinksAreBroken) {
    std::set<std::string> broken;
    std::set<std::string> pagesLinked;
    for (const DemoFile& file : DemoSiteFiles()) {
        if (!file.path.ends_with(".html")) {
            continue;
        }
        const std::string_view site = SiteOf(file.path);
        const DemoSiteServer server{std::string(site)};
        // The page's own address, as the crawl would have it.
        const std::string pageUrl = std::string(kHost) + std::string(file.path.substr(site.size()));
        std::vector<std::string> frames;
        std::vector<std::string> links;
        std::vector<std::string> resources;
        ExtractPageLinks(file.content, pageUrl, frames, links, resources);
        links.insert(links.end(), frames.begin(), frames.end());
        links.insert(links.end(), resources.begin(), resources.end());
        for (const std::string& link : links) {
            if (!link.starts_with(kHost)) {
                continue;  // another site, or a link written absolute
            }
            const std::string target = link.substr(kHost.size());
            const std::string found = server.FileForTarget(target);
            if (found.empty()) {
                broken.insert(std::string(site) + target);
            } else {
                pagesLinked.insert(found);
            }
        }
    }
    EXPECT_EQ(broken, (std::set<std::string>{
                          "site-a/map.html",
                          "site-a/shop/beans/kenya-nyeri.html",
                          "site-a/specials.html",
                          "site-b/checkout.cgi",
                          "site-b/locations/station.html",
                          "site-b/menu/food.html",
                          "site-b/old-menu.html",
                          "site-b/specials/summer.html",
                      }));
    // Every page of the two sites can be reached from its start page.
    for (const DemoFile& file : DemoSiteFiles()) {
        if (file.path.ends_with(".html") && !file.path.ends_with("/index.html") &&
            file.path.find('/') != std::string_view::npos) {
            EXPECT_TRUE(pagesLinked.count(std::string(file.path)) == 1) << file.path;
        }
    }
}

TEST(DemoContent, TheOwnSiteLooksGoodAndTheRivalsStartPageDoesNot) {
    const std::string_view own = FindDemoFile("site-a/index.html")->content;
    EXPECT_LE(TagText(own, "<title>", "</title>").size(), 80u);
    EXPECT_LE(MetaContent(own, "description").size(), 200u);
    EXPECT_LE(MetaContent(own, "keywords").size(), 250u);

    const std::string_view rival = FindDemoFile("site-b/index.html")->content;
    EXPECT_GT(TagText(rival, "<title>", "</title>").size(), 80u);
    EXPECT_GT(MetaContent(rival, "description").size(), 200u);
    EXPECT_GT(MetaContent(rival, "keywords").size(), 250u);
    // Some images without alt text on both start pages, none with alt text on the rival's.
    EXPECT_GT(CountImageTags(own), CountAltTags(own));
    EXPECT_GT(CountImageTags(rival), 0u);
    EXPECT_EQ(CountAltTags(rival), 0u);
    // A nested page with a title over the limit, for the nested report.
    const std::string_view guide = FindDemoFile("site-a/blog/2026/pour-over-guide.html")->content;
    EXPECT_GT(TagText(guide, "<title>", "</title>").size(), 80u);
}

TEST(DemoContent, FilesAreSortedForLookUpAndEveryLookUpFindsItsFile) {
    const auto files = DemoSiteFiles();
    ASSERT_GT(files.size(), 20u);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(files[i - 1].path, files[i].path);
        }
        EXPECT_EQ(FindDemoFile(files[i].path), &files[i]);
        EXPECT_FALSE(files[i].content.empty()) << files[i].path;
    }
    EXPECT_EQ(FindDemoFile("site-a"), nullptr);
    EXPECT_EQ(FindDemoFile("site-c/index.html"), nullptr);
    EXPECT_EQ(FindDemoFile(""), nullptr);
}

}  // namespace
}  // namespace sg
