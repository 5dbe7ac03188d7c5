// The designed text resolution, which redirects still use, and the host helpers.
#include "html/LinkExtractor.h"

#include <gtest/gtest.h>

#include <string>

namespace sg {
namespace {

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

}  // namespace
}  // namespace sg
