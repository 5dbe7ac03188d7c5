// The links of a page as a browser reads them: each construct that names a page or a resource,
// what is no link (comments, scripts, styles, other schemes), entities, <base href>, srcset.

#include "html/PageLinks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sg {
namespace {

using Strings = std::vector<std::string>;

struct Found {
    Strings frames, links, resources;
};

Found Extract(const std::string& page, const std::string& url = "host/dir/page.html") {
    Found found{{"stale"}, {"stale"}, {"stale"}};
    ExtractPageLinks(page, url, found.frames, found.links, found.resources);
    return found;
}

TEST(PageLinks, EachConstructGivesAPageOrAResource) {
    struct Row {
        const char* html;
        Strings links;
        Strings resources;
    };
    const Row rows[] = {
        {"<a href=a.html>a</a>", {"host/dir/a.html"}, {}},
        {"<A HREF='A.html'>", {"host/dir/A.html"}, {}},
        {"<map><area href=/m.html></map>", {"host/m.html"}, {}},
        {"<iframe src=if.html></iframe>", {"host/dir/if.html"}, {}},
        {"<meta http-equiv=Refresh content=\"5; URL='next.html'\">", {"host/dir/next.html"}, {}},
        {"<meta http-equiv=refresh content=\"0;url=n.html\">", {"host/dir/n.html"}, {}},
        {"<meta http-equiv=refresh content=\"30\">", {}, {}},
        {"<img src=i.png srcset=\"s1.png 1x, s2.png 2x,s3.png\">",
         {},
         {"host/dir/i.png", "host/dir/s1.png", "host/dir/s2.png", "host/dir/s3.png"}},
        {"<img srcset=\"a,b.png 100w\">", {}, {"host/dir/a,b.png"}},
        {"<link rel=stylesheet href=s.css><link rel='shortcut icon' href=f.ico>"
         "<link rel=preload href=p.js><link rel=manifest href=m.json>"
         "<link rel=canonical href=c.html><link rel=alternate href=alt.xml>"
         "<link rel=prev href=p.html><link rel=NEXT href=n.html>",
         {},
         {"host/dir/s.css", "host/dir/f.ico", "host/dir/p.js", "host/dir/m.json", "host/dir/c.html",
          "host/dir/alt.xml", "host/dir/p.html", "host/dir/n.html"}},
        {"<link rel=preconnect href=//cdn/><link rel=dns-prefetch href=//dns/>"
         "<link rel=search href=s.html>",
         {},
         {}},
        {"<script src=j.js></script>", {}, {"host/dir/j.js"}},
        {"<video src=v.mp4 poster=v.jpg><source src=v.webm><track src=t.vtt></video>",
         {},
         {"host/dir/v.mp4", "host/dir/v.jpg", "host/dir/v.webm", "host/dir/t.vtt"}},
        {"<picture><source srcset=\"w.webp 1x\"></picture><audio src=a.ogg></audio>",
         {},
         {"host/dir/w.webp", "host/dir/a.ogg"}},
        {"<object data=o.svg></object><embed src=e.swf>", {}, {"host/dir/o.svg", "host/dir/e.swf"}},
        {"<input type=image src=b.png><input type=text src=no.png>", {}, {"host/dir/b.png"}},
    };
    for (const Row& row : rows) {
        const Found found = Extract(std::string("<html><body>") + row.html + "</body></html>");
        EXPECT_EQ(found.links, row.links) << row.html;
        EXPECT_EQ(found.resources, row.resources) << row.html;
        EXPECT_TRUE(found.frames.empty()) << row.html;
    }
    const Found frames =
        Extract("<frameset><frame src=top.html><FRAME SRC='b.html'><frame></frameset>");
    EXPECT_EQ(frames.frames, (Strings{"host/dir/top.html", "host/dir/b.html"}));
}

TEST(PageLinks, WhatIsNoLinkAndHowValuesAreRead) {
    struct Row {
        const char* html;
        Strings links;
    };
    const Row rows[] = {
        // Markup inside comments, scripts and styles is text.
        {"<!-- <a href=c.html> --><script>var s='<a href=s.html>';</script>"
         "<style>a{} /* <a href=t.html> */</style><a href=real.html>",
         {"host/dir/real.html"}},
        // Entities decoded, blanks trimmed, line breaks inside dropped, blanks encoded.
        {"<a href=\"q.cgi?a=1&amp;b=2\"><a href=\" sp.html \"><a href=\"x\ny.html\">"
         "<a href=\"a b.html\"><a href=\"&#x2F;abs.html\">",
         {"host/dir/q.cgi?a=1&b=2", "host/dir/sp.html", "host/dir/xy.html", "host/dir/a%20b.html",
          "host/abs.html"}},
        // The page itself, its query, another host through the page's scheme; distinct by text.
        {"<a href=#x><a href=?q><a href=//other/o.html><a href=#x><a href=Page.html>"
         "<a href=page.html>",
         {"host/dir/page.html#x", "host/dir/page.html?q", "other/o.html", "host/dir/Page.html",
          "host/dir/page.html"}},
        // Only http and https are followed; an empty value is no link.
        {"<a href=mailto:a@b><a href=tel:1><a href=\"javascript:go()\"><a href=data:,x>"
         "<a href=file:///etc/passwd><a href=ftp://f/x><a href=\"\"><a href>"
         "<a href=HTTPS://s/x><a href=http://o/y>",
         {"HTTPS://s/x", "http://o/y"}},
    };
    for (const Row& row : rows) {
        const Found found = Extract(std::string("<html><body>") + row.html + "</body></html>");
        EXPECT_EQ(found.links, row.links) << row.html;
    }
    EXPECT_EQ(Extract("").links, Strings{});
    EXPECT_EQ(Extract("plain text, no markup").links, Strings{});
}

TEST(PageLinks, TheFirstBaseHrefAppliesToEveryLink) {
    const std::string page =
        "<html><head><a href=before.html><base href=\"http://cdn.example/root/\">"
        "<base href=\"/ignored/\"><link rel=stylesheet href=s.css></head>"
        "<body><a href=a.html><a href=/b.html><img src=../i.png></body></html>";
    const Found found = Extract(page);
    EXPECT_EQ(found.links,
              (Strings{"http://cdn.example/root/before.html", "http://cdn.example/root/a.html",
                       "http://cdn.example/b.html"}));
    EXPECT_EQ(found.resources,
              (Strings{"http://cdn.example/root/s.css", "http://cdn.example/i.png"}));
    // A relative base resolves against the page; a base of another scheme is ignored.
    EXPECT_EQ(Extract("<base href=sub/><a href=x.html>").links, Strings{"host/dir/sub/x.html"});
    EXPECT_EQ(Extract("<base href=javascript:x><a href=x.html>").links, Strings{"host/dir/x.html"});
    // A page fetched over TLS keeps its scheme.
    EXPECT_EQ(Extract("<a href=x.html>", "https://host/dir/").links,
              Strings{"https://host/dir/x.html"});
}

}  // namespace
}  // namespace sg
