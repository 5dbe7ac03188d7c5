// The references of a style sheet as CSS Syntax Level 3 tokenizes it: what is an address, how
// it is decoded, and where an @import counts.

#include "html/CssReferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sg {
namespace {

// Each reference as its url, an imported one with "@" before it.
std::vector<std::string> Read(std::string_view css) {
    std::vector<std::string> found;
    for (const CssReference& reference : ReadCssReferences(css)) {
        found.push_back((reference.imported ? "@" : "") + reference.url);
    }
    return found;
}

TEST(CssReferences, HardCases) {
    struct Row {
        const char* css;
        std::vector<std::string> references;
    };
    const Row rows[] = {
        // Quoted and unquoted, any letter case, blanks around, escaped name.
        {"a{background:url(a.png)}b{background:URL( \"b.png\" )}i{x:Url(  c.png\t)}"
         "j{x:\\75 rl(d.png)}",
         {"a.png", "b.png", "c.png", "d.png"}},
        // Comments and other strings hide addresses; a comment inside an unquoted url is text.
        {"/* url(no.png) @import 'no.css'; */ a{content:\"url(no.png)\"}"
         "b{x:url(/*c*/y.png)}",
         {"/*c*/y.png"}},
        // String escapes: a quote, hex with its blank, a line continuation, a nested quote.
        {"a{x:url(\"q\\\"t.png\")} b{x:url('caf\\E9 .png')} c{x:url(\"l\\\nine.png\")}"
         "d{x:url(\"it's.png\")} e{x:url('say \"hi\".png')}",
         {"q\"t.png", "caf\xC3\xA9.png", "line.png", "it's.png", "say \"hi\".png"}},
        // Unquoted escapes: a blank, a parenthesis, six hex digits then a literal digit.
        {"a{x:url(a\\ b.png)} b{x:url(p\\).png)} c{x:url(\\00004Bz.png)} d{x:url(\\1F600 1)}",
         {"a b.png", "p).png", "Kz.png",
          "\xF0\x9F\x98\x80"
          "1"}},
        // Bad: a blank inside, a quote or "(" inside, an unclosed string line; the next is read.
        {"a{x:url(a b.png)} b{x:url(a\"b)} c{x:url(a(b)} d{x:url(\"open\n)} e{x:url(ok.png)}",
         {"ok.png"}},
        // A bad url's escaped ")" does not end it.
        {"a{x:url(a b\\) url(hidden.png)) url(after.png)}", {"after.png"}},
        // Not url(): a hash, a dimension, a longer name; bad: a blank or a function inside.
        {"a{x:#url(a) 12url(b) myurl(c) url(1 2) url(var(--x)) }", {}},
        // data: kept as written; empty addresses give nothing.
        {"a{x:url(data:image/png;base64,iVBO=) y:url() z:url('')}",
         {"data:image/png;base64,iVBO="}},
        // @import: a string, a url with media, escaped and any case, after @charset and @layer.
        {"@charset \"utf-8\"; @layer base; <!-- @import url(x.css) screen; -->"
         "@IMPORT \"y.css\" layer(l) supports(display:grid); @\\69mport 'z.css';"
         "a{x:url(w.png)}",
         {"@x.css", "@y.css", "@z.css", "w.png"}},
        // Past a rule, or nested, @import loads nothing; @namespace's url is no resource.
        {"@namespace svg url(http://www.w3.org/2000/svg); @import 'late.css';"
         "a{} @import url(late2.css); @media print{@import url(n.css); b{x:url(m.png)}}",
         {"m.png"}},
        // @layer with a block is a rule: an @import after it loads nothing.
        {"@layer base{a{}} @import 'late.css'; b{x:url(ok.png)}", {"ok.png"}},
        // An @import without an address is dropped; the next one still counts.
        {"@import foo; @import 'ok.css'", {"@ok.css"}},
        // Cut off: an unclosed string and url still count.
        {"a{x:url(\"cut.png", {"cut.png"}},
        {"a{x:url(cut2.png", {"cut2.png"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Read(row.css), row.references) << row.css;
    }
}

}  // namespace
}  // namespace sg
