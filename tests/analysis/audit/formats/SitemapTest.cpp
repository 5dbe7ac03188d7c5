#include "analysis/audit/formats/Sitemap.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Gzip.h"

namespace sg {
namespace {

using test::Gzip;

std::string UrlSet(std::size_t count) {
    std::string xml =
        "<?xml version=\"1.0\"?><urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (std::size_t i = 0; i < count; ++i) {
        xml += "<url><loc>http://h/" + std::to_string(i) + "</loc></url>";
    }
    return xml + "</urlset>";
}

TEST(Sitemap, ReadsAddressesOfUrlSetsAndIndexesPlainOrGzipped) {
    const std::string set =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
        "  <url><loc>\n  http://h/a?x=1&amp;y=2 </loc><lastmod>2024-01-01</lastmod></url>\n"
        "  <url><loc><![CDATA[http://h/b]]></loc></url>\n"
        "  <url><loc/></url>\n"
        "</urlset>\n";
    const std::vector<std::string> expected = {"http://h/a?x=1&y=2", "http://h/b"};
    EXPECT_EQ(ReadSitemap(std::string(1024 * 1024 + 1, ' '), {3, 1024 * 1024}).problem,
              "over 1 MB");
    for (const std::string& data : {set, Gzip(set)}) {
        const SitemapContent content = ReadSitemap(data);
        EXPECT_EQ(content.kind, SitemapContent::Kind::UrlSet);
        EXPECT_EQ(content.addresses, expected);
        EXPECT_EQ(content.problem, "");
    }
    const SitemapContent index = ReadSitemap(
        "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
        "<sitemap><loc>http://h/s1.xml.gz</loc></sitemap><sitemap><loc>http://h/s2.xml</loc>"
        "</sitemap></sitemapindex>");
    EXPECT_EQ(index.kind, SitemapContent::Kind::Index);
    EXPECT_EQ(index.addresses, (std::vector<std::string>{"http://h/s1.xml.gz", "http://h/s2.xml"}));
    // Exactly the bounds is fine.
    const std::string three = UrlSet(3);
    EXPECT_EQ(ReadSitemap(three, {3, three.size()}).addresses.size(), 3u);
}

TEST(Sitemap, OnlyTheProtocolsLocNamesAPage) {
    const std::string set =
        "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\""
        " xmlns:image=\"http://www.google.com/schemas/sitemap-image/1.1\""
        " xmlns:video=\"http://www.google.com/schemas/sitemap-video/1.1\""
        " xmlns:news=\"http://www.google.com/schemas/sitemap-news/0.9\">"
        "<url><loc>http://h/a</loc>"
        "<image:image><image:loc>http://h/a.jpg</image:loc></image:image>"
        "<video:video><video:content_loc>http://h/v.mp4</video:content_loc>"
        "<video:player_loc>http://h/player</video:player_loc></video:video>"
        "<news:news><news:publication><news:name>N</news:name></news:publication></news:news>"
        // Outside its image:image, an image:loc still names no page.
        "<image:loc>http://h/b.jpg</image:loc></url>"
        "<image:image><image:loc>http://h/c.jpg</image:loc></image:image>"
        "<url><image:image><image:loc>http://h/d.jpg</image:loc></image:image></url>"
        "</urlset>";
    EXPECT_EQ(ReadSitemap(set).addresses, (std::vector<std::string>{"http://h/a"}));
    // Without any namespace, the protocol's elements are read as before.
    EXPECT_EQ(ReadSitemap("<urlset><url><loc>http://h/a</loc></url></urlset>").addresses,
              (std::vector<std::string>{"http://h/a"}));
}

TEST(Sitemap, InvalidSitemapsSayWhy) {
    // Small bounds prove what the protocol's do.
    const SitemapLimits limits{3, 2000};
    struct Row {
        std::string data;
        std::string problem;
    };
    const Row rows[] = {
        {"", "not XML"},
        {"http://h/a\nhttp://h/b\n", "not XML"},
        {"<html><body>Not here</body></html>",
         "the root element is <html>, not <urlset> or "
         "<sitemapindex>"},
        {"<urlset><url><loc>http://h/a</loc></url>", "not XML"},
        {Gzip(UrlSet(2)).substr(0, 20), "damaged gzip data"},
        {UrlSet(4), "over 3 addresses"},
        {Gzip(UrlSet(1) + std::string(2000, ' ')), "over 2,000 bytes"},
        {UrlSet(1) + std::string(2000, ' '), "over 2,000 bytes"},
    };
    for (const Row& row : rows) {
        const SitemapContent content = ReadSitemap(row.data, limits);
        EXPECT_EQ(content.kind, SitemapContent::Kind::Invalid) << row.problem;
        EXPECT_EQ(content.problem, row.problem);
    }
}

TEST(Sitemap, ExternalEntitiesAreNeverRead) {
    const SitemapContent content = ReadSitemap(
        "<?xml version=\"1.0\"?><!DOCTYPE urlset [<!ENTITY e SYSTEM \"file:///etc/hostname\">]>"
        "<urlset><url><loc>http://h/&e;</loc></url></urlset>");
    for (const std::string& address : content.addresses) {
        EXPECT_EQ(address, "http://h/");
    }
}

}  // namespace
}  // namespace sg
