#include "html/LinkExtractor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sg {
namespace {

using Links = std::vector<std::string>;

Links LinksOf(const std::string& page, const std::string& url = "host/dir/page.html") {
    Links frames, links;
    ExtractPageLinks(page, url, frames, links);
    return links;
}

Links FramesOf(const std::string& page, const std::string& url = "host/dir/page.html") {
    Links frames, links;
    ExtractPageLinks(page, url, frames, links);
    return frames;
}

TEST(ResolveLink, RelativeRootedAndAbsoluteLinks) {
    const std::string page = "host/dir/page.html";
    EXPECT_EQ(ResolveLink("/x.html", page), "host/x.html");
    EXPECT_EQ(ResolveLink("../x.html", page), "host/x.html");
    EXPECT_EQ(ResolveLink("sub/x.html", page), "host/dir/sub/x.html");
    EXPECT_EQ(ResolveLink("http://other/y", page), "http://other/y");
    // "http:" anywhere keeps the link as written, without the page's host.
    EXPECT_EQ(ResolveLink("go.cgi?u=http://x", page), "go.cgi?u=http://x");
    EXPECT_EQ(ResolveLink("x.html", "host"), "host/x.html");
    EXPECT_EQ(ResolveLink("x.html", "host/dir/"), "host/dir/x.html");
    // A page the crawl reached through an absolute link: a rooted link stays on its host.
    EXPECT_EQ(ResolveLink("/x.html", "http://host/dir/page.html"), "http://host/x.html");
}

TEST(ResolveLink, OnlyLeadingParentStepsClimb) {
    const std::string page = "host/dir/page.html";
    EXPECT_EQ(ResolveLink("dir/../x.html", page), "host/dir/dir/x.html");
    EXPECT_EQ(ResolveLink("../../../x", "host/a.html"), "host/x");
    EXPECT_EQ(ResolveLink("../../x", "host/a/b/c.html"), "host/x");
    // Removals further in may leave a "../" at the front; only a removal there counts.
    EXPECT_EQ(ResolveLink("..././x", "host/a/b/c.html"), "host/a/x");
    EXPECT_EQ(ResolveLink(".../../x", "host/a/b/c.html"), "host/a/b/.x");
    // Once a level was climbed, the scheme tests are not made.
    EXPECT_EQ(ResolveLink("../mailto:a", page), "host/mailto:a");
}

TEST(ResolveLink, RefusedSchemesAnywhereAndInAnyCase) {
    for (const char* link : {"mailto:a", "javascript:void(0)", "GOPHER://g", "news:x", "ftp://f",
                             "telnet://t", "wais://w", "x.cgi?to=mailto:b"}) {
        EXPECT_EQ(ResolveLink(link, "host/dir/page.html"), "") << link;
    }
    // Secure pages are followed like plain ones; a page fetched over TLS keeps its scheme.
    EXPECT_EQ(ResolveLink("HTTPS://s", "host/dir/page.html"), "HTTPS://s");
    EXPECT_EQ(ResolveLink("x.html", "https://host/dir/page.html"), "https://host/dir/x.html");
}

TEST(ParentPath, CutsLevelsPlusOneStepsAndStopsAtTheHost) {
    EXPECT_EQ(ParentPath("host/dir/page.html", 0), "host/dir/");
    EXPECT_EQ(ParentPath("host/dir/page.html", 1), "host/");
    EXPECT_EQ(ParentPath("host/dir/", 0), "host/dir/");
    EXPECT_EQ(ParentPath("host", 0), "host/");
    EXPECT_EQ(ParentPath("host/a.html", 5), "host/");
    EXPECT_EQ(ParentPath("", 0), "");
    EXPECT_EQ(ParentPath("/", 0), "");
    EXPECT_EQ(UrlHost("host:81/a/b"), "host:81");
    EXPECT_EQ(UrlHost("host"), "host");
}

TEST(AttributeValue, QuotesBlanksAndBackslashes) {
    EXPECT_EQ(AttributeValue("<a HREF = 'a b.html'>", "href"), "a b.html");
    EXPECT_EQ(AttributeValue("<a href=a.html>", "href"), "a.html");
    EXPECT_EQ(AttributeValue("<a href=a.html title=t>", "href"), "a.html");
    EXPECT_EQ(AttributeValue("<a href=\"a.html>", "href"), "");
    EXPECT_EQ(AttributeValue("<a href='a.html>", "href"), "");
    EXPECT_EQ(AttributeValue("<a href=\"\">", "href"), "");
    EXPECT_EQ(AttributeValue("<a href=   >", "href"), "");
    EXPECT_EQ(AttributeValue("<a name=x>", "href"), "");
    EXPECT_EQ(AttributeValue("<a href>", "href"), "");
    EXPECT_EQ(AttributeValue("<a href=\"dir\\\\x.html\">", "href"), "dirx.html");
    // The first occurrence of the name counts, even inside another value.
    EXPECT_EQ(AttributeValue("<a title=\"href x\" name=n href=b.html>", "href"), "n");
}

TEST(ExtractPageLinks, WhichAnchorsAreFound) {
    EXPECT_EQ(LinksOf("<A HREF=x.html>"), Links{"host/dir/x.html"});
    EXPECT_EQ(LinksOf("<a\nhref=x.html> <a\thref=y.html> <a name=z>"), Links{});
    EXPECT_EQ(LinksOf("<a href=x.html><a href=\"x.html\"><a href=Page.html><a href=page.html>"),
              (Links{"host/dir/x.html", "host/dir/Page.html", "host/dir/page.html"}));
    EXPECT_EQ(LinksOf("<a href=mailto:a><a href=/r.html>"), Links{"host/r.html"});
    // A tag start without a ">" after it ends the scan; an unclosed value inside a tag only loses
    // that tag.
    EXPECT_EQ(LinksOf("<a href=\"x.html>y</a><a href=b.html><a href=c.html"),
              Links{"host/dir/b.html"});
}

TEST(ExtractPageLinks, FramesComeFromFrameAndFramesetTags) {
    EXPECT_EQ(FramesOf("<frameset src=top.html rows=2><FRAME SRC=\"a.html\"><frame name=n>"),
              (Links{"host/dir/top.html", "host/dir/a.html"}));
    // The two scans are independent: an unclosed anchor does not stop the frame scan.
    Links frames, links = {"old"};
    ExtractPageLinks("<a href=x.html <frame src=f.html>", "host/", frames, links);
    EXPECT_EQ(frames, Links{"host/f.html"});
    EXPECT_EQ(links, Links{"host/x.html"});
    ExtractPageLinks("", "host/", frames, links);
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(links.empty());
}

}  // namespace
}  // namespace sg
