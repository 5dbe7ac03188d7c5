#include "html/PageCounters.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(PageCounters, ImageAndAltCounts) {
    const std::string page =
        "<img src=a.gif alt=x><IMG SRC=b.gif ALT=''><img\talt=t><img src=c.gif> alt"
        "<area alt=a><AREA href=x><applet code=c Alt=z><img src=x";
    // The unclosed last image is counted here but ends the alt scan of "<img".
    EXPECT_EQ(CountImageTags(page), 5u);
    EXPECT_EQ(CountAltTags(page), 4u);
    EXPECT_EQ(CountImageTags("<imgimg <IMG<iMg"), 3u);
    EXPECT_EQ(CountAltTags("<img alt=a"), 0u);
    EXPECT_EQ(CountImageTags(""), 0u);
}

TEST(PageCounters, TagTextIsTheUntrimmedTextUpToTheNextTag) {
    EXPECT_EQ(TagText("<html><TITLE lang=en> A b </title>", "<title"), " A b ");
    EXPECT_EQ(TagText("<titlex>y<", "<title"), "y");
    EXPECT_EQ(TagText("<title><b>", "<title"), "");
    EXPECT_EQ(TagText("<title>no end", "<title"), "");
    EXPECT_EQ(TagText("<title", "<title"), "");
    EXPECT_EQ(TagText("<head>x</head>", "<title"), "");
}

TEST(VisibleTextAfterHead, TextAfterTheHeadSection) {
    EXPECT_EQ(VisibleTextAfterHead("<html><head><title>T</title></head>\n"
                                   "<body bgcolor=white>Hello <b>big</b> world</body>"),
              "Hello big world");
    EXPECT_EQ(VisibleTextAfterHead("<body>no head section</body>"), "");
    EXPECT_EQ(VisibleTextAfterHead("x</head>"), "");
    // The walk begins in a tag: ">" bytes there do not end it, the first other byte opens it.
    EXPECT_EQ(VisibleTextAfterHead("</head>\n>>Hi<b>there"), "there");
}

TEST(VisibleTextAfterHead, EveryOccurrenceAddsItsTextAndTheFlagCarriesOver) {
    // The first walk ends outside a tag, so the second keeps even the ">" it starts before.
    EXPECT_EQ(VisibleTextAfterHead("<head></head>\n<body>One <img src=/headline.gif> two</body>"),
              "One  twone.gif> two");
    // The first walk ends inside an unclosed tag, so the second starts in a tag.
    EXPECT_EQ(VisibleTextAfterHead("</head>\n<b>A/head12B>C<i"), "A/head12B>CC");
    EXPECT_EQ(VisibleTextAfterHead("</HEAD>\n<p>a</p>/HeAd>xy<p>b"), "a/HeAd>xybyb");
}

}  // namespace
}  // namespace sg

namespace sg {
namespace {

TEST(VisibleTextAfterHead, LimitKeepsThePrefixAndBoundsAHostilePage) {
    const std::string page =
        "<html></head>x<body>Hello <b>big</b> world</body><img src=/headline.gif>";
    const std::string full = VisibleTextAfterHead(page);
    for (std::size_t limit : {0u, 1u, 5u, 11u, 200u}) {
        EXPECT_EQ(VisibleTextAfterHead(page, limit), full.substr(0, limit)) << limit;
    }
    // 40,000 occurrences before 1 MiB of text: unlimited, the result would be about 40 GB.
    std::string hostile;
    for (int i = 0; i < 40000; ++i) {
        hostile += "</head>";
    }
    hostile += "<p>" + std::string(1 << 20, 'w');
    const std::string snapshot = VisibleTextAfterHead(hostile, 200);
    EXPECT_EQ(snapshot, std::string(200, 'w'));
}

}  // namespace
}  // namespace sg
