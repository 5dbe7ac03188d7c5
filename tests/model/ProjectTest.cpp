#include "model/Project.h"

#include <gtest/gtest.h>

#include <random>

#include "model/ShortName.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

std::vector<std::string> ShortNames(const Project& project) {
    std::vector<std::string> names;
    for (int i = 0; i < project.UrlCount(); ++i) {
        names.push_back(project.GetUrl(i)->GetShortName());
    }
    return names;
}

TEST(ShortName, StripsSchemeWwwTailAndSeparators) {
    EXPECT_EQ(ShortName("http://www.abc.com/index.html"), "abc");
    EXPECT_EQ(ShortName("https://www.shop.example/"), "shop");
    EXPECT_EQ(ShortName("shop.example.org"), "shop");
    EXPECT_EQ(ShortName("localhost:8080/x"), "localhost8080x");
    EXPECT_EQ(ShortName(".hidden.com"), "");
    EXPECT_EQ(ShortName(""), "");
    // Only the exact lower-case forms are removed, anywhere in the text.
    EXPECT_EQ(ShortName("HTTP://WWW.abc.com"), "HTTPWWW");
    EXPECT_EQ(ShortName("a/http://b/www.c"), "abc");
    // Each removal is one left-to-right pass: what it joins together is not removed again...
    EXPECT_EQ(ShortName("hthttp://tp://x"), "httpx");
    // ...but the "www." step runs on what the "http://" step left.
    EXPECT_EQ(ShortName("wwhttp://w.site.com"), "site");
}

TEST(ProjectUrls, ShortNamesAreUniqueWithoutRegardToCase) {
    Project project;
    project.AddUrl("x");
    project.AddUrl("x");
    project.AddUrl("x");
    EXPECT_EQ(ShortNames(project), (std::vector<std::string>{"x", "x0", "x1"}));

    project.ClearUrls();
    EXPECT_EQ(project.UrlCount(), 0);
    EXPECT_TRUE(project.HasNoUrls());
    project.AddUrl("a.one");
    project.AddUrl("a.two");
    project.AddUrl("A.three");
    EXPECT_EQ(ShortNames(project), (std::vector<std::string>{"a", "a0", "A1"}));

    // After a clear the names start from scratch.
    project.ClearUrls();
    project.AddUrl("a.two");
    EXPECT_EQ(ShortNames(project), (std::vector<std::string>{"a"}));
}

TEST(ProjectUrls, EntryKeepsTheUrlAndDerivesItsFileNames) {
    Project project;
    project.AddUrl("http://www.Shop.com/");
    project.AddUrl(".x");
    project.AddUrl(".y");
    const UrlEntry* shop = project.GetUrl(0);
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(shop->GetUrl(), "http://www.Shop.com/");
    EXPECT_EQ(shop->GetShortName(), "Shop");
    EXPECT_EQ(shop->GetLinkValidatorFile(), "Shop.html");
    EXPECT_EQ(shop->GetReadinessFile(), "Shop.html");
    EXPECT_EQ(shop->GetNestedReadinessFile(), "Shop.html");
    // Two empty short names still differ.
    EXPECT_EQ(project.GetUrl(1)->GetShortName(), "");
    EXPECT_EQ(project.GetUrl(2)->GetShortName(), "0");
    EXPECT_EQ(project.GetUrl(2)->GetReadinessFile(), "0.html");

    EXPECT_EQ(project.GetUrl(3), nullptr);
    EXPECT_EQ(project.GetUrl(-1), nullptr);
}

// The plain algorithm: try base, base0, base1, ... against every entry each time.
std::string ReferenceShortName(const std::vector<std::string>& taken, std::string_view url) {
    std::string base = ShortName(url);
    std::string candidate = base;
    for (int counter = 0;; ++counter) {
        bool clash = false;
        for (const std::string& name : taken) {
            clash = clash || EqualsNoCase(name, candidate);
        }
        if (!clash) {
            return candidate;
        }
        candidate = base + std::to_string(counter);
    }
}

TEST(ProjectUrls, AgreesWithTheStepByStepAlgorithm) {
    // Bases that collide with each other's numbered forms ("a1" against "a" + 1), in both cases.
    const char* const kUrls[] = {"a", "A", "a1", "a0.x", "A10", "a1.y", "b", "B0", "b", "", ".z"};
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        Project project;
        std::vector<std::string> expected;
        for (int i = 0; i < 30; ++i) {
            const char* url = kUrls[random() % std::size(kUrls)];
            expected.push_back(ReferenceShortName(expected, url));
            project.AddUrl(url);
        }
        ASSERT_EQ(ShortNames(project), expected) << "round " << round;
    }
}

TEST(ProjectKeywords, KeepOrderAndDuplicatesAndReadEmptyOutOfRange) {
    Project project;
    project.AddKeyword("seo");
    project.AddKeyword("Seo");
    project.AddKeyword("seo");
    ASSERT_EQ(project.KeywordCount(), 3);
    EXPECT_EQ(project.GetKeyword(1), "Seo");
    EXPECT_EQ(project.GetKeyword(3), "");
    EXPECT_EQ(project.GetKeyword(-1), "");
    project.ClearKeywords();
    EXPECT_EQ(project.KeywordCount(), 0);
    EXPECT_EQ(project.GetKeyword(0), "");
}

TEST(UrlEntry, WordsAreFoundByLowerCasedWordFirstItemFirst) {
    UrlEntry entry("http://a.com/http://b", "a");
    EXPECT_EQ(entry.UrlWithoutScheme(), "a.com/http://b");
    entry.AddWord("Shoes", 1.5);
    entry.AddWord("shoes", 2.0);
    entry.AddWord("red", 3.0);
    EXPECT_EQ(entry.WordCount(), 3);
    ASSERT_NE(entry.FindWord("SHOES"), nullptr);
    EXPECT_EQ(entry.FindWord("SHOES"), entry.GetWord(0));
    EXPECT_EQ(entry.FindWord("blue"), nullptr);
    EXPECT_EQ(entry.GetWord(3), nullptr);
    EXPECT_EQ(entry.GetWord(-1), nullptr);
    entry.FindWord("red")->number += 1.0;
    EXPECT_EQ(entry.GetWord(2)->number, 4.0);

    entry.ClearWords();
    EXPECT_EQ(entry.WordCount(), 0);
    EXPECT_EQ(entry.FindWord("red"), nullptr);
    entry.AddWord("Red", 1.0);
    EXPECT_EQ(entry.FindWord("red"), entry.GetWord(0));
}

TEST(ProjectKeywordScores, MergeLowerCasedAndOrderByCountSumThenBytes) {
    Project project;
    project.AddUrl("one.com");
    project.AddUrl("two.com");
    project.AddUrl("three.com");
    UrlEntry* one = project.GetUrl(0);
    UrlEntry* two = project.GetUrl(1);
    UrlEntry* three = project.GetUrl(2);
    one->AddWord("Shoes", 1.0);
    one->AddWord("zeta", 2.0);
    one->AddWord("beta", 2.0);
    one->AddWord("\xe9t\xe9", 5.0);  // a byte above 0x7f sorts after ASCII
    two->AddWord("SHOES", 2.5);
    two->AddWord("alpha", 2.0);
    three->AddWord("shoes", 0.5);
    three->AddWord("red", 1.0);
    two->AddWord("red", 3.0);

    project.RebuildKeywordScores();
    struct Row {
        std::string word;
        int siteCount;
        double sum;
    };
    const std::vector<Row> expected = {
        {"shoes", 3, 4.0}, {"red", 2, 4.0},  {"\xe9t\xe9", 1, 5.0},
        {"alpha", 1, 2.0}, {"beta", 1, 2.0}, {"zeta", 1, 2.0},
    };
    const std::vector<KeywordScore>& scores = project.GetKeywordScores();
    ASSERT_EQ(scores.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(scores[i].word, expected[i].word) << i;
        EXPECT_EQ(scores[i].siteCount, expected[i].siteCount) << i;
        EXPECT_DOUBLE_EQ(scores[i].sum, expected[i].sum) << i;
    }

    // A rebuild starts afresh rather than adding to the last one.
    project.RebuildKeywordScores();
    EXPECT_EQ(project.GetKeywordScores().front().siteCount, 3);
    project.ClearUrls();
    project.RebuildKeywordScores();
    EXPECT_TRUE(project.GetKeywordScores().empty());
}

}  // namespace
}  // namespace sg
