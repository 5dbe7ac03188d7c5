// Reading result pages and "link:" answers: totals, count texts, last-page tests, next-page
// addresses and the shown form of a count.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "engines/EngineHosts.h"
#include "engines/FormatCount.h"
#include "engines/LinkCountRules.h"
#include "engines/ResultMarkers.h"
#include "engines/TotalRules.h"

namespace sg {
namespace {

TEST(FormatCountTest, GroupsOfThreeFromTheRight) {
    EXPECT_EQ(FormatCount("1234567"), "1,234,567");
    EXPECT_EQ(FormatCount("1234567890"), "1,234,567,890");
    EXPECT_EQ(FormatCount("999"), "999");
    EXPECT_EQ(FormatCount("1000"), "1,000");
    EXPECT_EQ(FormatCount("12345"), "12,345");
    // The engine's own separators, commas or dots, are replaced by the program's.
    EXPECT_EQ(FormatCount("1,234"), "1,234");
    EXPECT_EQ(FormatCount("1.234"), "1,234");
    EXPECT_EQ(FormatCount("1.234.567"), "1,234,567");
    EXPECT_EQ(FormatCount(" \t12345 \r\n"), "12,345");
    EXPECT_EQ(FormatCount("0"), "0");
    EXPECT_EQ(FormatCount(""), "");
    EXPECT_EQ(FormatCount(" , "), "");
}

TEST(TotalRulesTest, ReadCountSkipsSeparatorsAndStopsAtTheFirstOtherCharacter) {
    EXPECT_EQ(ReadCount("  1,234 results"), 1234);
    EXPECT_EQ(ReadCount("1.234.567"), 1234567);
    EXPECT_EQ(ReadCount(", 12"), 12);
    EXPECT_EQ(ReadCount("about 12"), 0);
    EXPECT_EQ(ReadCount(""), 0);
    EXPECT_EQ(ReadCount("-5"), 0);
    EXPECT_EQ(ReadCount("99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
}

TEST(TotalRulesTest, AltaVista) {
    const EngineId av = EngineId::AltaVista;
    EXPECT_EQ(EngineTotal(av, "<b>AltaVista found 1,234,567 results</b>"), 1234567);
    EXPECT_EQ(EngineTotal(av, "AltaVista found 1 result:"), 1);
    // The labels are removed from the piece before it is read.
    EXPECT_EQ(EngineTotal(av, "AltaVista found result: 12 results"), 12);
    EXPECT_EQ(EngineTotal(av, "AltaVista found no document matching your query. 5 results"), 0);
    // Without the sentence the whole page is read as a number.
    EXPECT_EQ(EngineTotal(av, " 4,321"), 4321);
    EXPECT_EQ(EngineTotal(av, "<html>77 results</html>"), 0);
    EXPECT_EQ(EngineTotal(av, "AltaVista found many"), 0);
}

TEST(TotalRulesTest, Google) {
    const EngineId g = EngineId::Google;
    EXPECT_EQ(EngineTotal(g, "Results <b>1</b> - <b>10</b> of about <b>1,234</b> for <b>x</b>"),
              1234);
    // The first "<b>" followed by a digit after "of about", not the first "<b>".
    EXPECT_EQ(EngineTotal(g, "of about <b>x</b> <b>42</b>"), 42);
    EXPECT_EQ(EngineTotal(g, "Results <b>1</b> - <b>10</b> of About <b>987</b>"), 987);
    // Without "about " or "About " there is no total, whatever else the page holds.
    EXPECT_EQ(EngineTotal(g, "Results <b>1</b> - <b>10</b> of <b>1,234</b>"), 0);
    EXPECT_EQ(EngineTotal(g, "about <b>nothing</b>"), 0);
}

TEST(TotalRulesTest, AllTheWebMsnHotBotEuroseek) {
    EXPECT_EQ(EngineTotal(EngineId::AllTheWeb, "<span class=\"ofSoMany\">5.432</span>"), 5432);
    EXPECT_EQ(EngineTotal(EngineId::AllTheWeb, "<span class=\"many\">5.432</span>"), 0);

    EXPECT_EQ(EngineTotal(EngineId::MSN, "Results 1-15 of about 2,500 containing '<span>x"), 2500);
    EXPECT_EQ(EngineTotal(EngineId::MSN, "Results 0-0 of about 0 containing \"<span>x"), 0);
    EXPECT_EQ(EngineTotal(EngineId::MSN, "Results 1-15 of about 31 containing \"<span>x"), 31);
    // Only the first page's "Results 0-"/"Results 1-" opens the rule.
    EXPECT_EQ(EngineTotal(EngineId::MSN, "Results 16-30 of about 2,500 containing '<span>"), 0);

    EXPECT_EQ(EngineTotal(EngineId::HotBot, "<p>(Results 1 - 10 of 7,890)<!-- RESULTS -->"), 7890);
    // After the last "f" before the marker: an earlier one does not matter, a later one moves
    // the cut past the count.
    EXPECT_EQ(EngineTotal(EngineId::HotBot, "found: of 321 )<!-- RESULTS -->"), 321);
    EXPECT_EQ(EngineTotal(EngineId::HotBot, "of 10 (if any)<!-- RESULTS -->"), 0);
    EXPECT_EQ(EngineTotal(EngineId::HotBot, "Results 1 - 10 of 7,890)"), 0);

    EXPECT_EQ(EngineTotal(EngineId::Euroseek, "<td class=\"esigrh\">(1 - 10 of 4,321)</td>"), 4321);
    EXPECT_EQ(EngineTotal(EngineId::Euroseek, "<td class=\"esig\">(1 - 10 of 4,321)</td>"), 0);
}

TEST(TotalRulesTest, YahooExciteAolAndTheFixedTotals) {
    const EngineId y = EngineId::Yahoo;
    EXPECT_EQ(EngineTotal(y, "WEB RESULTS 1 - 20 out of about <font color=red>88,000</font>"),
              88000);
    EXPECT_EQ(EngineTotal(y, "WEB RESULTS</div> 1 - 20 out of about 1,500 for x"), 1500);
    EXPECT_EQ(EngineTotal(y, "Web Results 1 - 20 out of about 1,500"), 0);

    EXPECT_EQ(EngineTotal(EngineId::Excite, "Web search results for <b>x</b> (1 - 20 of 3,456)"),
              3456);
    EXPECT_EQ(EngineTotal(EngineId::Excite, "Web search results for x 3,456"), 0);

    // AOL counts pages of ten.
    EXPECT_EQ(EngineTotal(EngineId::AOL, "<span>Page 1 of 7</span>"), 70);
    EXPECT_EQ(EngineTotal(EngineId::AOL, "<span>Page 2 of 7</span>"), 0);

    EXPECT_EQ(EngineTotal(EngineId::Overture, ""), 1000);
    EXPECT_EQ(EngineTotal(EngineId::AskJeeves, "Results 1-10 of about 5"), 1000);
    EXPECT_TRUE(HasFixedTotal(EngineId::Overture));
    EXPECT_FALSE(HasFixedTotal(EngineId::AOL));
}

TEST(LinkCountRulesTest, CountTextsAsThePageWritesThem) {
    EXPECT_EQ(LinkCountText(EngineId::AltaVista, "AltaVista found 1.234 results"), "1.234 ");
    EXPECT_EQ(
        LinkCountText(EngineId::AltaVista, "AltaVista found no document matching your query."), "");
    // The whole-page reading of the total rule does not apply to counts.
    EXPECT_EQ(LinkCountText(EngineId::AltaVista, "123"), "");
    EXPECT_EQ(LinkCountText(EngineId::Google, "of about <b>56,789</b>"), "56,789");
    // Google's count wants the lower-case word; the total rule takes either.
    EXPECT_EQ(LinkCountText(EngineId::Google, "of About <b>987</b>"), "");
    EXPECT_EQ(LinkCountText(EngineId::AllTheWeb, "<span class=\"ofSoMany\">5.432</span>"), "5.432");
    EXPECT_EQ(LinkCountText(EngineId::MSN, "Results 1-10 of about 77 containing '<span"), "77 ");
    EXPECT_EQ(LinkCountText(EngineId::MSN, "1-10 of about 77 containing '<span"), "");
    EXPECT_EQ(LinkCountText(EngineId::HotBot, "(1 - 10 of 1,500 )<!-- RESULTS -->"), "1,500");
    EXPECT_EQ(LinkCountText(EngineId::Euroseek, "esigrh\">(1 - 10 of 12)"), " 12");
    // Yahoo, Excite and AOL go through their totals: decimal text, "0" when nothing is found.
    EXPECT_EQ(LinkCountText(EngineId::Yahoo, "WEB RESULTS out of about <font>1,500</font>"),
              "1500");
    EXPECT_EQ(LinkCountText(EngineId::Yahoo, "nothing"), "0");
    EXPECT_EQ(LinkCountText(EngineId::Excite, "Web search results for x (1 - 20 of 3.456)"),
              "3456");
    EXPECT_EQ(LinkCountText(EngineId::AOL, "Page 1 of 12<"), "120");
    EXPECT_EQ(LinkCountText(EngineId::Overture, "Results 1-10 of about 5"), "");
    EXPECT_EQ(LinkCountText(EngineId::AskJeeves, "Results 1-10 of about 5"), "");
}

TEST(ResultMarkersTest, LastPageTests) {
    for (EngineId id : {EngineId::AltaVista, EngineId::AllTheWeb, EngineId::Yahoo}) {
        EXPECT_TRUE(HasLastPageTest(id));
        EXPECT_TRUE(PageHasNextPage(id, "<a href=x>Next</a>"));
        EXPECT_FALSE(PageHasNextPage(id, "<a href=x>next</a>"));
    }
    const EngineId hb = EngineId::HotBot;
    EXPECT_TRUE(PageHasNextPage(hb, "Previous | <a href=\"x\">Next</a>"));
    EXPECT_FALSE(PageHasNextPage(hb, "Previous | Next"));
    EXPECT_FALSE(PageHasNextPage(hb, "<a href=\"p\">Previous</a> | Next <a href=\"x\">"));
    // The character right after "Previous" is passed over before the link is looked for.
    EXPECT_FALSE(PageHasNextPage(hb, "Previous<a href=\"x\">Next</a>"));
    EXPECT_FALSE(PageHasNextPage(hb, "<a href=\"x\">Next</a>"));
    EXPECT_FALSE(PageHasNextPage(hb, "Previous | <a href=\"x\">more</a>"));
    // The others have no such test and are never taken for a last page by it.
    EXPECT_FALSE(HasLastPageTest(EngineId::Google));
    EXPECT_TRUE(PageHasNextPage(EngineId::Google, ""));
}

TEST(ResultMarkersTest, NextPageAddresses) {
    EngineHosts hosts;
    ASSERT_EQ(hosts.Set("3", "msn.test"), kHostsOk);
    ASSERT_EQ(hosts.Set("7", "ov.test:81"), kHostsOk);

    EXPECT_EQ(NextPageAddress(EngineId::MSN,
                              "<a class=\"pn\" href=\"old\">1</a> PREVIOUS <a class=\"pn\" "
                              "href=\"results.aspx?q=x&first=16\">NEXT</a>",
                              hosts),
              "http://msn.test/results.aspx?q=x&first=16");
    EXPECT_EQ(NextPageAddress(EngineId::MSN, "<a class=\"pn\" href=\"r?x\">NEXT</a>", hosts), "");
    EXPECT_EQ(NextPageAddress(EngineId::MSN, "PREVIOUS <a class=\"pn\" href=\"r?x>", hosts), "");

    EXPECT_EQ(
        NextPageAddress(EngineId::Yahoo,
                        "<a href=\"http://r.test/R=next/*-http://y.test/search?p=x&b=21\">", hosts),
        "http://y.test/search?p=x&b=21");
    EXPECT_EQ(NextPageAddress(EngineId::Yahoo, "<a href=\"http://y.test/search?b=21\">", hosts),
              "");
    // A page that would add lines to the next request ends the engine like a missing mark.
    for (const char* smuggled : {"b=21\r\nX-Injected: yes", "b=21 HTTP/1.0", "b=2\x01"}) {
        EXPECT_EQ(NextPageAddress(EngineId::Yahoo,
                                  std::string("<a href=\"http://r.test/R=next/*-http://y.test/s?") +
                                      smuggled + "\">",
                                  hosts),
                  "")
            << smuggled;
    }

    const std::string overtureMark =
        "<p style=\"float:right;margin:0px;padding-right:10px;padding-bottom:6px;\">";
    EXPECT_EQ(NextPageAddress(EngineId::Overture,
                              overtureMark + "<a href=/d/search/?page=2>Next</a></p>", hosts),
              "http://ov.test:81/d/search/?page=2");
    EXPECT_EQ(NextPageAddress(EngineId::Overture, "<p><a href=/d/search/?page=2>Next</a>", hosts),
              "");

    EXPECT_EQ(NextPageAddress(EngineId::Excite,
                              "<a href=\"http://ex.test/prev/\">Prev</a> <a "
                              "href=\"http://ex.test/web/x/21/\">Next ></a>",
                              hosts),
              "ex.test/web/x/21/");
    EXPECT_EQ(NextPageAddress(EngineId::Excite, "<a href=\"http://ex.test/web/\">Next</a>", hosts),
              "");

    EXPECT_EQ(
        NextPageAddress(EngineId::AskJeeves,
                        "<a href=\"http://ask.test/web?q=x&page=2\" class=\"ps\">Next</a>", hosts),
        "http://ask.test/web?q=x&page=2");
    EXPECT_EQ(NextPageAddress(EngineId::AskJeeves, "<a href=\"http://ask.test/\">Next</a>", hosts),
              "");

    for (EngineId id : kAllEngines) {
        if (!HasNextPageAddress(id)) {
            EXPECT_EQ(NextPageAddress(id, "PREVIOUS class=\"pn\" href=\"x\" R=next/*-y\"", hosts),
                      "");
        }
    }
}

}  // namespace
}  // namespace sg
