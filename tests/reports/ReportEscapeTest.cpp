#include "reports/ReportEscape.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(ReportEscape, TextEntities) {
    EXPECT_EQ(ReportText("Tom & Jerry's <b>\"x\"</b> &amp;"),
              "Tom & Jerry&#39;s &lt;b&gt;&quot;x&quot;&lt;/b&gt; &amp;");
    const std::string ordinary = "Cheap flights \xE9t\xE9 - host/dir/p.html?a=1&b=2";
    EXPECT_EQ(ReportText(ordinary), ordinary);
}

TEST(ReportEscape, AttributeBytes) {
    EXPECT_EQ(ReportAttr(std::string("a b\t\"'<>`\x7F\x01\x1F\n\0", 14)),
              "a%20b%09%22%27%3C%3E%60%7F%01%1F%0A%00");
    const std::string ordinary = "http://host:81/dir/x.html?q=a%20b&r=~x#f\xE9\x80\xFF";
    EXPECT_EQ(ReportAttr(ordinary), ordinary);
}

}  // namespace
}  // namespace sg
