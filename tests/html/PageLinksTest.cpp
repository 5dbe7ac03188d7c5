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

Found Extract(const std::string& page, const std::string& url = "host/dir/page.html",
              const std::string& contentType = "") {
    Found found{{"stale"}, {"stale"}, {"stale"}};
    ExtractPageLinks(page, url, found.frames, found.links, found.resources, contentType);
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
        // Style sheets in the page: @import and url(), in document order with the rest; data:
        // and comments give nothing; a style of another type is no CSS.
        {"<img src=1.png><style>@import '2.css'; a{x:url(\"3.png\") url(data:,x)}"
         "/* url(no.png) */</style><img src=4.png style='x:url(&quot;5.png&quot;)'>"
         "<p style=\"x:URL(6.png)\"><style type=text/less>a{x:url(no.png)}</style>"
         "<style type=' TEXT/CSS '>a{x:url(7.png)}</style>",
         {},
         {"host/dir/1.png", "host/dir/2.css", "host/dir/3.png", "host/dir/4.png", "host/dir/5.png",
          "host/dir/6.png", "host/dir/7.png"}},
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
    // A long style element comes to the reader in pieces; no address is cut between two.
    std::string style = "<style>";
    Strings expected;
    for (int i = 0; i < 400; ++i) {
        style += "a{background:url(image" + std::to_string(i) + ".png)}";
        expected.push_back("host/dir/image" + std::to_string(i) + ".png");
    }
    EXPECT_EQ(Extract(style + "</style>").resources, expected);
}

// The link href="café.html?q=é" as a browser requests it: the page decoded in the encoding a
// browser picks, the path in UTF-8, the query in the page's encoding.
TEST(PageLinks, LinksAreReadInTheEncodingABrowserPicks) {
    const std::string utf8 = "<a href=\"caf\xC3\xA9.html?q=\xC3\xA9\">";
    const std::string latin = "<a href=\"caf\xE9.html?q=\xE9\">";
    const std::string pastPrescan = "<!--" + std::string(1100, '-') + "-->";
    std::string utf16 = "\xFF\xFE";
    for (const unsigned char c : std::string("<a href=\"caf\xE9.html?q=\xE9\">")) {
        utf16 += {static_cast<char>(c), '\0'};
    }
    struct Row {
        const char* what;
        const char* contentType;
        std::string page;
        const char* link;
    };
    const Row rows[] = {
        {"BOM over header", "Content-Type: text/html; charset=iso-8859-1", "\xEF\xBB\xBF" + utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"UTF-16 BOM", "", utf16, "caf%C3%A9.html?q=%C3%A9"},
        {"header UTF-8", "Content-Type: text/html; charset=\"UTF-8\"", utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"header over meta", "Content-Type: text/html;charset=utf-8",
         "<meta charset=windows-1252>" + utf8, "caf%C3%A9.html?q=%C3%A9"},
        {"header latin1, UTF-8 bytes", "Content-Type: text/html; charset=latin1", utf8,
         "caf%C3%83%C2%A9.html?q=%C3%A9"},
        {"header latin1", "Content-Type: text/html; charset=ISO-8859-1", latin,
         "caf%C3%A9.html?q=%E9"},
        {"unknown header charset", "Content-Type: text/html; charset=nonsense", utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"meta charset", "Content-Type: text/html", "<meta charset='latin1'>" + latin,
         "caf%C3%A9.html?q=%E9"},
        {"meta http-equiv", "",
         "<meta http-equiv=Content-Type content=\"text/html; charset=windows-1252\">" + utf8,
         "caf%C3%83%C2%A9.html?q=%C3%A9"},
        {"meta in an attribute", "", "<p title='<meta charset=latin1>'>" + utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"meta in a comment", "", "<!-- > <meta charset=latin1> -->" + utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"content without http-equiv", "", "<meta content='text/html; charset=latin1'>" + utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"unknown meta charset, then a known one", "",
         "<meta charset=nonsense><meta charset=latin1>" + utf8, "caf%C3%83%C2%A9.html?q=%C3%A9"},
        {"meta past 1024 bytes", "", pastPrescan + "<meta charset=windows-1252>" + utf8,
         "caf%C3%A9.html?q=%C3%A9"},
        {"nothing, UTF-8 bytes", "", utf8, "caf%C3%A9.html?q=%C3%A9"},
        {"nothing, UTF-8 cut at the end", "", utf8 + "\xC3", "caf%C3%A9.html?q=%C3%A9"},
        {"header UTF-8, a stray byte", "Content-Type: text/html; charset=utf-8",
         "<a href=\"caf\xE9.html\">", "caf%EF%BF%BD.html"},
        {"nothing, Windows-1252 bytes", "", "<a href=\"caf\xE9\x80.html?q=\xE9\x80\">",
         "caf%C3%A9%E2%82%AC.html?q=%E9%80"},
        {"no such character", "Content-Type: text/html; charset=windows-1252",
         "<a href=\"x.html?q=&#x4E2D;#&#x4E2D;\">", "x.html?q=%26%2320013%3B#%E4%B8%AD"},
        {"Shift_JIS", "Content-Type: text/html; charset=Shift_JIS",
         "<a href=\"\x83\x65.html?q=\x83\x65\">", "%E3%83%86.html?q=%83e"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Extract(row.page, "host/dir/page.html", row.contentType).links,
                  Strings{std::string("host/dir/") + row.link})
            << row.what;
    }
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
