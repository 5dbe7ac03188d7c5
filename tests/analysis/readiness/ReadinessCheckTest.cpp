// The readiness checks of one page: meta tag matching and limits, keyword densities, the density
// bar, and the analysis of pages served from a loopback site.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "analysis/readiness/DensityBar.h"
#include "analysis/readiness/MetaTagAnalyzer.h"
#include "analysis/readiness/ReadinessAnalyzer.h"
#include "app/RunRecorders.h"
#include "app/StartUp.h"
#include "html/KeywordDensity.h"
#include "model/AppState.h"
#include "model/ProgressSink.h"
#include "model/UrlEntry.h"
#include "net/ProxySettings.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "support/FixtureSite.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FixtureSite;
using test::HtmlPage;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ReadinessCheck : public ::testing::Test {
  protected:
    void SetUp() override { StartUp(dir_.path()); }

    std::string Read(const std::string& name) {
        std::string text;
        ReadWholeFile(dir_ / name, text);
        return text;
    }
    // The meta tag lines written for `text`, and the texts kept.
    std::string Meta(const std::string& text) {
        std::filesystem::remove(dir_ / "meta.html");
        texts_ = MetaTagTexts{};
        AnalyzeMetaTags(dir_ / "meta.html", text, texts_);
        return Read("meta.html");
    }
    // The section written for the page served at /p.html.
    std::string Analyze(const std::string& page, UrlEntry* sink = nullptr,
                        const std::string& file = "page.html") {
        FixtureSite site(std::map<std::string, std::string>{{"/p.html", page}});
        AnalyzePageReadiness(fetcher_, dir_ / file, site.Url("/p.html"), sink);
        return Read(file);
    }

    test::TempDir dir_;
    WebFetcher fetcher_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    MetaTagTexts texts_;
};

std::string Quoted(std::size_t n) {
    return "\"" + std::string(n, 'x') + "\"";
}

TEST_F(ReadinessCheck, LimitsApplyToTheCountedLengthWhileTheRawLengthIsShown) {
    const std::string blue = "<font color=#0000FF face=Verdana,Arial,Helvetica size=2>";
    const std::string red = "<font color=#FF0000 face=Verdana,Arial,Helvetica size=2>";
    std::string out = Meta("<meta name=\"description\" content=" + Quoted(200) + ">");
    EXPECT_TRUE(Has(out, "No of Characters:" + blue +
                             "202</font><br>\nComment: Your Description "
                             "Tag looks okay.</font></td></tr></tbody></table></td>\n"));
    EXPECT_EQ(texts_.description, Quoted(200));
    out = Meta("<meta name=\"description\" content=" + Quoted(201) + ">");
    EXPECT_TRUE(Has(out, "No of Character:" + red +
                             "203</font><br>\nComment: Your Description "
                             "Tag is too long."));
    out = Meta("<meta name=\"keywords\" content=" + Quoted(250) + ">");
    EXPECT_TRUE(Has(out, "No of Characters:" + blue +
                             "252</font><br>\nComment: Your Keyword Tag "
                             "looks Good."));
    out = Meta("<meta name=\"keywords\" content=" + Quoted(251) + ">");
    EXPECT_TRUE(Has(out, "No of Characters:" + red +
                             "253</font><br>\nComment: Your Keyword tag is "
                             "too long."));
    EXPECT_FALSE(Has(out, "Description"));
}

TEST_F(ReadinessCheck, TagStartMatchesLettersInEitherCaseAndBlanksExactly) {
    EXPECT_TRUE(Has(Meta("<Meta Name=\"Description\" content=\"a\">"), "<strong>Description"));
    EXPECT_TRUE(Has(Meta("<META name=keyword content=a>"), "<strong>Keywords"));
    EXPECT_EQ(Meta("<meta  name=\"description\" content=\"a\">"), "");
    EXPECT_EQ(Meta("<meta content=\"a\" name=\"description\">"), "");
    // The "<" that breaks a partial match is not tried again as a first byte.
    EXPECT_EQ(Meta("<<meta name=\"description\" content=\"a\">"), "");
    // No "=" after the name: nothing to judge.
    EXPECT_EQ(Meta("<meta name=description>"), "");
    EXPECT_EQ(texts_.description, "");
    // One box per tag in tag order; the last content part is kept.
    const std::string out = Meta(
        "<meta name=description content=one><meta name=\"KEYWORDS\" content=k>"
        "<meta name=description content=\"second\">");
    const std::size_t first = out.find("Description"), keywords = out.find("Keywords");
    EXPECT_LT(first, keywords);
    EXPECT_NE(out.find("Description", keywords), std::string::npos);
    EXPECT_EQ(texts_.description, "\"second\"");
    EXPECT_EQ(texts_.keywords, "k");
}

TEST(KeywordDensity, OccurrencesStartAtOneAndOnlyCode32Counts) {
    // Absent: 1 / 3 blanks.
    EXPECT_EQ(KeywordDensity("seo", "a b c d").text, "33.33");
    EXPECT_DOUBLE_EQ(KeywordDensity("seo", "a b c d").value, 33.33);
    // Twice, case-sensitive, tabs and line ends are no blanks: (1 + 2) / 2.
    EXPECT_EQ(KeywordDensity("seo", "seo\tSEO\r\nseo x y").text, "150.00");
    // After a mismatch the byte is not tried as a first byte: "aab" holds no "ab" here.
    EXPECT_EQ(KeywordDensity("ab", "aab ").text, "100.00");
    // No blank at all: no word count to divide by.
    const KeywordDensityResult none = KeywordDensity("seo", "seoseo");
    EXPECT_EQ(none.text, "0.00");
    EXPECT_EQ(none.value, 0.0);
}

// The bar as its expected cells: `dark` coloured cells, then the contents of all 16.
std::string Bar(int dark, const std::vector<std::string>& contents) {
    std::string bar =
        "<table align = 'center' border = '0' width = '80' height = '10'cellpadding='0' "
        "cellspacing='0' ><tr>";
    for (int c = 0; c < 16; ++c) {
        bar += c < dark ? "<td bgcolor = '#007FFF' width = '6'><font size='1' color = 'white'>"
                        : "<td bgcolor = '#E8F3FF' width = '6'><font size='1' color = 'navy'>";
        bar += contents[static_cast<std::size_t>(c)] + "</font></td>";
    }
    return bar + "</tr></table>";
}

TEST(DensityBar, SpellsThePercentageAcrossTheMiddleOverTheColouredPart) {
    const std::string s = "&nbsp";
    EXPECT_EQ(DensityBar(2.5),
              Bar(10, {s, s, s, s, s, s, "2", ".", "5", "0", "%", "", s, s, s, s}));
    EXPECT_EQ(DensityBar(0.0), Bar(0, {s, s, s, s, s, s, "0", ".", "0", "0", "%", "", s, s, s, s}));
    EXPECT_EQ(DensityBar(100.0),
              Bar(16, {s, s, s, s, s, "1", "0", "0", ".", "0", "0", "%", "", s, s, s}));
}

TEST(DensityBar, EachBoundBelongsToTheRowBelowIt) {
    const std::map<double, int> cells = {{-1.0, 0},  {0.0, 0},    {0.05, 1},   {0.1, 1},
                                         {0.11, 2},  {0.3, 3},    {0.9, 9},    {0.95, 10},
                                         {10.0, 10}, {10.01, 11}, {20.0, 12},  {30.5, 14},
                                         {50.0, 15}, {100.0, 16}, {100.01, 0}, {150.0, 0}};
    for (const auto& [density, filled] : cells) {
        EXPECT_EQ(DensityBarCells(density), filled) << density;
    }
}

std::string Page(const std::string& head, const std::string& body) {
    return HtmlPage("<html><head>" + head + "</head>\r\n<body>" + body + "</body></html>\r\n");
}

std::string TitleCount(int n, bool fits) {
    return std::string("No of Characters:<font color=") + (fits ? "#0000FF" : "#FF0000") +
           " face=Verdana,Arial,Helvetica size=2>" + std::to_string(n) + "</font><br>\n" +
           (fits ? "Comment: Your Title Tag looks Good." : "Comment: Your Title Tag is too long.");
}

TEST_F(ReadinessCheck, TitlesUpToEightyCharactersLookGood) {
    // Blanks around the title are not counted.
    std::string out = Analyze(Page("<title>  " + std::string(80, 't') + " </title>", "x"));
    EXPECT_TRUE(Has(out, TitleCount(80, true)));
    out = Analyze(Page("<title>" + std::string(81, 't') + "</title>", "x"), nullptr, "b.html");
    EXPECT_TRUE(Has(out, TitleCount(81, false)));
}

// "Д" repeated: two bytes and one character each.
std::string Cyrillic(std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += "\xD0\x94";
    }
    return text;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(ReadinessCheck, AUtf8PageIsMeasuredInCharactersAndShownWithReferences) {
    UrlEntry entry("site", "site");
    const std::string head = "<meta charset=\"utf-8\"><title>" + Cyrillic(80) +
                             "</title>\r\n<meta name=\"description\" content=\"" +
                             std::string(100, 'd') + Cyrillic(100) +
                             "\">\r\n<meta name=\"keywords\" content=\"caf\xC3\xA9, \xD0\x96\">";
    const std::string out = Analyze(Page(head, "caf\xC3\xA9 \xD0\x96 " + Cyrillic(300)), &entry);
    EXPECT_TRUE(Has(out, TitleCount(80, true)));
    // 200 characters of 300 bytes fit the description's limit.
    EXPECT_TRUE(Has(out,
                    "No of Characters:<font color=#0000FF face=Verdana,Arial,Helvetica "
                    "size=2>202</font><br>\nComment: Your Description Tag looks okay."));
    // The report is Windows-1252: "é" is its byte, "Ж" a reference. 8 blanks in the document,
    // each phrase there twice.
    EXPECT_TRUE(Has(out, "\ncaf\xE9\n - 37.50% <br><br>\n&#1046;\n - 37.50% <br><br>\n"));
    EXPECT_TRUE(Has(out, "<strong> caf\xE9, &#1046; </strong>"));
    ASSERT_EQ(entry.WordCount(), 2);
    EXPECT_EQ(entry.GetWord(1)->word, "&#1046;");
    // The snapshot keeps 200 characters: "café Ж " and 193 of the 300 "Д" after it; the title
    // is shown twice.
    EXPECT_EQ(Occurrences(out, "&#1044;"), 80 * 2 + 100 + 193);
    EXPECT_FALSE(Has(out, "\xD0"));

    // One character more is too long; the same page undeclared is read as a browser reads it:
    // its bytes are well-formed UTF-8, so characters count; bytes that are not, one each.
    EXPECT_TRUE(Has(Analyze(Page("<meta charset=utf-8><title>" + Cyrillic(81) + "</title>", "x"),
                            nullptr, "b.html"),
                    TitleCount(81, false)));
    EXPECT_TRUE(Has(Analyze(Page("<title>" + Cyrillic(81) + "</title>", "x"), nullptr, "c.html"),
                    TitleCount(81, false)));
    EXPECT_TRUE(Has(
        Analyze(Page("<title>" + std::string(70, '\xE9') + "</title>", "x"), nullptr, "c2.html"),
        TitleCount(70, true)));
    const std::string declaredByHeader =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n<html><head><title>" +
        Cyrillic(41) + "</title></head>\r\n<body>x</body></html>\r\n";
    EXPECT_TRUE(Has(Analyze(declaredByHeader, nullptr, "d.html"), TitleCount(41, true)));
}

TEST_F(ReadinessCheck, MetaTagsAfterTheHeadAreReadFromTheFirstLineThatHasThem) {
    UrlEntry entry("site", "site");
    const std::string out =
        Analyze(HtmlPage("<html><head><title>T</title></head>\r\n<body>words to count here\r\n"
                         "<p><meta name=\"description\" content=\"it's <late\"></p>\r\n"
                         "<meta name=\"keywords\" content=\"seo, web design;promotion\">\r\n"
                         "</body></html>\r\n"),
                &entry);
    // The Title box is written on the first line, before the meta analysis of line 2.
    EXPECT_LT(out.find("<strong>Title"), out.find("<strong>Description"));
    EXPECT_FALSE(Has(out, "<strong>Keywords"));
    EXPECT_FALSE(Has(out, "did not find any meta-tags"));
    // The description's "<" and quotes became blanks before the snapshot shows it.
    EXPECT_TRUE(Has(out, "\n it&#39;s  late </font></td></tr></tbody></table><p>&nbsp;</p>\n"));
    EXPECT_TRUE(Has(out, "No Keyword Tag was found on this page."));
    EXPECT_TRUE(Has(out, "You need a Keyword Tag on this page"));
    EXPECT_EQ(entry.WordCount(), 0);
}

TEST_F(ReadinessCheck, TheSnapshotFindsAHeadEndSplitAcrossTwoPiecesOfABareLfPage) {
    // Without CR LF the body arrives in 511-byte pieces; "</head" straddles the first break at
    // each of its five inner positions.
    for (std::size_t before = 1; before <= 5; ++before) {
        const std::string start = "<html><head><title>T</title>\n<!-- ";
        const std::string filler(511 - before - start.size() - 4, 'f');
        const std::string page =
            HtmlPage(start + filler + " -->" + "</head>\n<body>Seen words</body></html>\n");
        FixtureSite site(std::map<std::string, std::string>{{"/p.html", page}});
        const std::string file = "split" + std::to_string(before) + ".html";
        AnalyzePageReadiness(fetcher_, dir_ / file, site.Url("/p.html"), nullptr);
        const std::string out = Read(file);
        EXPECT_TRUE(Has(out, "Seen words")) << before;
        EXPECT_FALSE(Has(out, "missing the '/HEAD' tag")) << before;
    }
}

TEST_F(ReadinessCheck, EachKeywordPhraseGetsADensityLineAndARecord) {
    UrlEntry entry("site", "site");
    const std::string out = Analyze(
        Page("<meta name=\"keywords\" content=\"seo, web design;promotion,, \">", "seo web seo"),
        &entry);
    // 7 blanks in the document; "seo" three times, the others once (in the tag itself).
    EXPECT_TRUE(Has(out,
                    "size=2>\nseo\n - 57.14% <br><br>\nweb design\n - 28.57% <br><br>\n"
                    "promotion\n - 28.57% <br><br>\n</font></td></tr></table></div>"));
    ASSERT_EQ(entry.WordCount(), 3);
    EXPECT_EQ(entry.GetWord(1)->word, "web design");
    EXPECT_DOUBLE_EQ(entry.GetWord(0)->number, 57.14);
    EXPECT_FALSE(Has(out, "did not find any meta-tags"));
}

TEST_F(ReadinessCheck, APageWithoutBlanksShowsZeroDensity) {
    UrlEntry entry("site", "site");
    // The keywords tag comes after the document, so the document holds no blank.
    const std::string out = Analyze(HtmlPage("<html><head></head><body>seo</body></html>\r\n"
                                             "<meta name=keywords content=seo>\r\n"),
                                    &entry);
    EXPECT_TRUE(Has(out, "\nseo\n - 0.00% <br><br>\n"));
    EXPECT_FALSE(Has(out, "inf"));
    EXPECT_FALSE(Has(out, "nan"));
    ASSERT_EQ(entry.WordCount(), 1);
    EXPECT_EQ(entry.GetWord(0)->number, 0.0);
}

TEST_F(ReadinessCheck, NothingOfOnePageCarriesOverToTheNext) {
    Analyze(Page("<title>A</title><meta name=description content=\"first site\">", "x"));
    const std::string second = Analyze(Page("<title>B</title>", "x"), nullptr, "b.html");
    EXPECT_TRUE(Has(second, "</a><br><br>\n</font></td></tr></tbody></table><p>&nbsp;</p>\n"));
    EXPECT_FALSE(Has(second, "first site"));
    EXPECT_TRUE(Has(second, "did not find any meta-tags"));
}

TEST_F(ReadinessCheck, TheFragmentIsNotFetchedButStaysInTheLinks) {
    FixtureSite site(std::map<std::string, std::string>{{"/p.html", Page("", "x")}});
    AnalyzePageReadiness(fetcher_, dir_ / "f.html", site.Url("/p.html#part"), nullptr);
    EXPECT_TRUE(Has(Read("f.html"), "<a href =http://" + site.Url("/p.html#part") + ">"));
    EXPECT_EQ(site.Requests(), (std::vector<std::string>{"GET /p.html", "GET /p.html"}));
}

TEST_F(ReadinessCheck, PagesThatCannotBeAnalyzedGetTheirMessageAndNoBoxes) {
    const std::string closing =
        "Search Engine Analysis could not be conducted on your site.  Please fix the error that "
        "was encountered and try again.\n";
    std::string out = Analyze(HtmlPage("<head></head><body>no end"));
    EXPECT_EQ(out.find("The Url you have entered is missing the '/HTML' tag."), 0u);
    // The message, the closing sentence and nothing else.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
    EXPECT_EQ(out.size() - out.find(closing), closing.size());
    out = Analyze(HtmlPage("<html><body></html>"), nullptr, "b.html");
    EXPECT_EQ(out.find("The Url you have entered is missing the '/HEAD' tag."), 0u);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);

    const std::string dead = "127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
    AnalyzePageReadiness(fetcher_, dir_ / "c.html", dead + "/p.html", nullptr);
    EXPECT_EQ(Read("c.html"),
              "<b>The application could not connect to your site.  Please see that you have "
              "entered the site address correctly and try again.</b><br><br>\n" +
                  closing);

    // The second fetch fails: its own sentence and nothing else.
    int served = 0;
    FixtureSite flaky([&](const std::string&) {
        return ++served == 1 ? Page("", "x") : std::string("HTTP/1.0 200 OK\r\n\r\n");
    });
    AnalyzePageReadiness(fetcher_, dir_ / "d.html", flaky.Url("/p.html"), nullptr);
    EXPECT_EQ(Read("d.html"),
              "The application could not connect to the site that you have specified.  Please "
              "try again.\n");

    // An https address whose server speaks no TLS: the same message, and the reason in the
    // run's log.
    test::RecordingProgress log;
    test::LoopbackServer plain(
        [](test::LoopbackConnection& conn) { conn.Send("HTTP/1.0 200 OK\r\n\r\nplain"); });
    const std::string https = "https://127.0.0.1:" + std::to_string(plain.Port()) + "/p.html";
    App().progressWindow = &log;
    AnalyzePageReadiness(fetcher_, dir_ / "e.html", https + "#top", nullptr);
    App().progressWindow = nullptr;
    EXPECT_EQ(Read("e.html").find("<b>The application could not connect to your site."), 0u);
    ASSERT_EQ(log.logLines.size(), 1u);
    EXPECT_EQ(log.logLines[0].find("Could not connect securely to " + https + ": "), 0u);
    EXPECT_GT(log.logLines[0].size(), ("Could not connect securely to " + https + ": ").size());

    // Through a proxy that cannot be reached: the same message in the report, and the log
    // blames the proxy, not the site it never asked.
    log.logLines.clear();
    const std::string proxyPort = std::to_string(test::LoopbackServer::ClosedPort());
    CurrentProxySettings() = {"127.0.0.1", proxyPort, "", ""};
    App().progressWindow = &log;
    AnalyzePageReadiness(fetcher_, dir_ / "f.html", flaky.Url("/p.html"), nullptr);
    App().progressWindow = nullptr;
    CurrentProxySettings() = {};
    EXPECT_EQ(Read("f.html").find("<b>The application could not connect to your site."), 0u);
    ASSERT_FALSE(log.logLines.empty());
    EXPECT_EQ(log.logLines[0], "Could not connect to the proxy 127.0.0.1:" + proxyPort + ", so " +
                                   flaky.Url("/p.html") + " was not asked.");
}

}  // namespace
}  // namespace sg
