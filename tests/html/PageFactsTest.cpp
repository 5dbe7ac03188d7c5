#include "html/PageFacts.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

using Texts = std::vector<std::string>;

constexpr std::string_view kUtf8 = "Content-Type: text/html; charset=utf-8";

TEST(PageFacts, TagsAsSearchEnginesReadThem) {
    const PageFacts facts = ReadPageFacts(
        "<!doctype html><html><head>\n"
        "<TITLE>  Tom &amp;\n  Jerry </TITLE>\n"
        "<meta name=Description content=' A  short\ndescription '>\n"
        "<meta name='ROBOTS' content='noindex, nofollow'>\n"
        "<meta name=googlebot content=none><meta name=bingbot content=noindex>\n"
        "<meta name=description content=''>\n"
        "<link rel='Canonical' href=' /a?x=1&amp;y=2 '><link rel=stylesheet href=/s.css>\n"
        "<!-- <title>commented</title> <link rel=canonical href=/c> -->\n"
        "<script>document.write('<title>scripted</title>')</script>\n"
        "</head><body>\n"
        "<svg><title>icon</title></svg>\n"
        "<h1>One <em>two</em></h1><h1></h1>\n"
        "<link rel=canonical href=/in-body>\n"
        "<title>second</title>\n"
        "</body></html>",
        kUtf8);
    EXPECT_EQ(facts.titles, (Texts{"Tom & Jerry", "second"}));
    EXPECT_EQ(facts.descriptions, (Texts{"A short description", ""}));
    EXPECT_EQ(facts.robots, (Texts{"noindex, nofollow", "none"}));
    EXPECT_EQ(facts.robotsNames, (Texts{"robots", "googlebot"}));
    EXPECT_EQ(facts.canonicals, (Texts{" /a?x=1&y=2 "}));
    EXPECT_EQ(facts.h1s, (Texts{"One two", ""}));
}

TEST(PageFacts, VisibleTextWordsAndHash) {
    const PageFacts facts = ReadPageFacts(
        "<html><head><title>Not counted</title><style>p { color: red }</style></head><body>"
        "<p>Three plain words</p><script>var a = 'not words';</script>"
        "<noscript>not shown</noscript><p>in<b>line</b> &mdash; caf&eacute;, 42 | x&nbsp;y</p>"
        "</body></html>",
        kUtf8);
    // "inline" is one word; "—" and "|" hold no letter; a no-break space parts words.
    EXPECT_EQ(facts.words, 8u);
    // The same text with other blanks and other markup hashes the same; other text does not.
    const PageFacts same = ReadPageFacts(
        "<div>Three\n\n  plain words</div><div>in<i>line</i> \xE2\x80\x94 caf\xC3\xA9, 42 | "
        "x\xC2\xA0y</div>",
        kUtf8);
    const PageFacts other = ReadPageFacts("<p>Three plain words</p><p>inline</p>", kUtf8);
    EXPECT_EQ(same.textHash, facts.textHash);
    EXPECT_NE(other.textHash, facts.textHash);
}

TEST(PageFacts, TextIsReadInTheDeclaredCharsetAndComesOutAsUtf8) {
    EXPECT_EQ(ReadPageFacts("<title>caf\xE9 \x80</title>", "text/html; charset=latin1").titles,
              (Texts{"caf\xC3\xA9 \xE2\x82\xAC"}));
    // Declared nowhere: well-formed UTF-8 is UTF-8, other bytes are Windows-1252.
    EXPECT_EQ(ReadPageFacts("<title>caf\xC3\xA9</title>", "").titles, (Texts{"caf\xC3\xA9"}));
    EXPECT_EQ(ReadPageFacts("<title>caf\xE9</title>", "").titles, (Texts{"caf\xC3\xA9"}));
    // A meta tag further down does not switch what was declared.
    EXPECT_EQ(ReadPageFacts("<meta charset=iso-8859-1><title>caf\xC3\xA9</title>", kUtf8).titles,
              (Texts{"caf\xC3\xA9"}));
    const PageFacts none = ReadPageFacts("", kUtf8);
    EXPECT_TRUE(none.titles.empty());
    EXPECT_EQ(none.words, 0u);
}

// Where a page begins, and the links a crawler cannot follow or a reader would not call generic.
// A charset is late only when nothing in the first 1024 bytes declares one and no byte order
// mark decides first; an early tag with a label no browser knows is another fault.
TEST(PageFacts, ACharsetIsLateOnlyPastTheFirst1024BytesWithoutAByteOrderMark) {
    const std::string filler = "<p>" + std::string(1100, 'x') + "</p>";
    const struct {
        std::string page;
        bool late;
    } cases[] = {
        {"<html><head>" + filler + "<meta charset=\"utf-8\"></head></html>", true},
        {"\xEF\xBB\xBF<html><head>" + filler + "<meta charset=\"utf-8\"></head></html>", false},
        {"<html><head><meta charset=\"klingon\">" + filler + "</head></html>", false},
        {"<html><head><meta charset=\"utf-8\">" + filler + "</head></html>", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadPageFacts(c.page, "Content-Type: text/html").charsetLate, c.late)
            << c.page.substr(0, 40);
    }
}

TEST(PageFacts, DoctypeAndLinksAsBrowsersAndCrawlersReadThem) {
    struct Row {
        const char* page;
        bool doctype;
    };
    const Row rows[] = {
        {"<!doctype html><p>x", true},
        {"\xEF\xBB\xBF \n<!DOCTYPE html><p>x", true},
        {"<!-- a -- b --><!-- c -->\n<!DocType html><p>x", true},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\"><p>x", true},
        {"<html><!DOCTYPE html><p>x", false},
        {"x<!DOCTYPE html>", false},
        {"<!-- unclosed <!DOCTYPE html>", false},
        {"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ReadPageFacts(row.page, kUtf8).doctype, row.doctype) << row.page;
    }
    const PageFacts facts = ReadPageFacts(
        "<!DOCTYPE html><html lang=' english '><head>"
        "<meta name=viewport content='width=device-width, user-scalable=no'>"
        "<meta name=viewport content='initial-scale=1'></head><body>"
        "<a href='#'>here</a><a href=''>more</a><a href=' javascript:go() '>menu</a>"
        "<a onclick='go()'>menu</a><a name=top>anchor</a>"
        "<a href=/c><code>continue</code></a><code><a href=/s>start</a></code>"
        "<a href=/m><b>Read</b> more</a></body></html>",
        kUtf8);
    EXPECT_EQ(facts.langValue, "english");
    EXPECT_EQ(facts.viewportContent, "width=device-width, user-scalable=no");
    EXPECT_EQ(facts.uncrawlableAnchors.first, (Texts{"javascript:go()", "(onclick, no href)"}));
    EXPECT_EQ(facts.genericLinks.first, (Texts{"#", "", "/m"}));
}

}  // namespace
}  // namespace sg
