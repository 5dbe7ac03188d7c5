#include "reports/ReportEscape.h"

#include <gtest/gtest.h>

#include <string>

namespace sg {
namespace {

TEST(ReportEscape, EachValueShowsAndLinksAsItIs) {
    using Escape = std::string (*)(std::string_view);
    const struct {
        const char* name;
        Escape escape;
        std::string value;
        std::string written;
    } kCases[] = {
        // Plain values: an address or a decoded title shows exactly, entity text included.
        {"text", &ReportText, "/&lt;img src=x>", "/&amp;lt;img src=x&gt;"},
        {"text", &ReportText, "Tom & Jerry's <b>\"x\"</b> &amp;",
         "Tom &amp; Jerry&#39;s &lt;b&gt;&quot;x&quot;&lt;/b&gt; &amp;amp;"},
        {"text", &ReportText, "Cheap \xE9t\xE9 - host/dir/p.html?a=1",
         "Cheap \xE9t\xE9 - host/dir/p.html?a=1"},
        // A page's own HTML keeps its entities, and still adds no markup.
        {"page text", &ReportPageText, "Caf&eacute; &amp; <b>'bar'</b>",
         "Caf&eacute; &amp; &lt;b&gt;&#39;bar&#39;&lt;/b&gt;"},
        {"page text", &ReportPageText, "Shoes \xE9t\xE9, red", "Shoes \xE9t\xE9, red"},
        // Attributes: bytes that end or break one are percent-encoded, "&" is an entity.
        {"attr", &ReportAttr, std::string("a b\t\"'<>`\x7F\x01\x1F\n\0", 14),
         "a%20b%09%22%27%3C%3E%60%7F%01%1F%0A%00"},
        {"attr", &ReportAttr, "host/p?a=1&b=2&lt;", "host/p?a=1&amp;b=2&amp;lt;"},
        {"attr", &ReportAttr, "http://host:81/dir/x.html?q=a%20b#f\xE9\x80\xFF",
         "http://host:81/dir/x.html?q=a%20b#f\xE9\x80\xFF"},
        // Hrefs: an entity in a link is the link's own text, not a character to decode.
        {"href", &ReportLinkHref, "host/&lt;img", "http://host/&amp;lt;img"},
        {"href", &ReportLinkHref,
         "javascript&#58;alert(1)//http:", "http://javascript&amp;#58;alert(1)//http:"},
        {"href", &ReportLinkHref, "https://host/x?y=1", "https://host/x?y=1"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.value);
        EXPECT_EQ(c.escape(c.value), c.written);
    }
}

}  // namespace
}  // namespace sg
