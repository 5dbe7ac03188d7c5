#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/AddressTable.h"
#include "model/LinkRecords.h"
#include "model/PackedTexts.h"
#include "model/RunResults.h"

namespace sg {
namespace {

// Growth of the slots and of the blocks must keep every number and every text it gave.
TEST(AddressTable, EachTextOnceWithItsNumberThroughGrowth) {
    AddressTable table;
    const std::string longText(200 * 1024, 'x');
    std::vector<std::string> texts{"", "a", "A", longText, longText + "y"};
    for (int i = 0; i < 5000; ++i) {
        texts.push_back("http://example.test/p" + std::to_string(i) + ".html");
    }
    std::vector<AddressTable::Id> ids;
    std::vector<std::string_view> views;
    for (const std::string& text : texts) {
        ids.push_back(table.Intern(text));
        views.push_back(table.At(ids.back()));
    }
    ASSERT_EQ(table.Count(), texts.size());
    for (std::size_t n = 0; n < texts.size(); ++n) {
        EXPECT_EQ(ids[n], n);
        EXPECT_EQ(table.Intern(texts[n]), ids[n]);
        EXPECT_EQ(table.Find(texts[n]), ids[n]);
        // The first views still read their texts after every later addition.
        EXPECT_EQ(views[n], texts[n]);
    }
    EXPECT_EQ(table.Count(), texts.size());
    EXPECT_EQ(table.Find("http://example.test/p5000.html"), AddressTable::kNone);
    table.Clear();
    EXPECT_EQ(table.Find("a"), AddressTable::kNone);
    EXPECT_EQ(table.Intern("b"), 0u);
}

TEST(LinkRecords, KeepEveryFieldAndShareAddresses) {
    LinkRecords records;
    records.Add("http://s.test/", "http://s.test/a", LinkStatus::Broken, 404, LinkKind::Resource,
                BrokenBecause::Answer);
    records.Add("http://s.test/", "file:///c:/x", LinkStatus::Broken, 0, LinkKind::Page,
                BrokenBecause::NotOnTheWeb);
    // A code no status line gives is kept as none, not wrapped round.
    records.Add("http://s.test/a", "http://s.test/", LinkStatus::Blocked, 70000);
    ASSERT_EQ(records.Count(), 3);
    EXPECT_EQ(records.At(0), (CrawlRecord{"http://s.test/", "http://s.test/a", LinkStatus::Broken,
                                          404, LinkKind::Resource, BrokenBecause::Answer}));
    EXPECT_EQ(records.At(1).because, BrokenBecause::NotOnTheWeb);
    EXPECT_EQ(records.At(2).httpStatus, 0);
    EXPECT_EQ(records.At(2).status, LinkStatus::Blocked);
    // One text for the page all three name.
    EXPECT_EQ(records.At(0).fromPage.data(), records.At(2).link.data());
}

// A list handed on (to the run's results) must leave the old owner empty and usable, and
// writing to the old owner must not touch the new owner's texts.
TEST(LinkRecords, MovedFromIsEmptyAndLeavesTheNewOwnerIntact) {
    LinkRecords records;
    records.Add("http://s.test/", "http://s.test/a", LinkStatus::Available, 200);
    LinkRecords taken = std::move(records);
    EXPECT_EQ(records.Count(), 0);
    records.Add("http://s.test/x", "http://s.test/y", LinkStatus::Broken, 404);
    ASSERT_EQ(records.Count(), 1);
    EXPECT_EQ(records.At(0).link, "http://s.test/y");
    ASSERT_EQ(taken.Count(), 1);
    EXPECT_EQ(taken.At(0).fromPage, "http://s.test/");
    EXPECT_EQ(taken.At(0).link, "http://s.test/a");
    taken.Add("http://s.test/b", "http://s.test/c", LinkStatus::Available);
    EXPECT_EQ(taken.At(1).link, "http://s.test/c");
    EXPECT_EQ(records.At(0).fromPage, "http://s.test/x");
}

// Lengths are written 7 bits a byte: the texts around each boundary must read back whole.
TEST(PackedTexts, EveryLengthReadsBackInOrder) {
    std::vector<std::string> texts;
    for (const std::size_t length : {0, 1, 127, 128, 129, 16383, 16384, 70000}) {
        texts.push_back(std::string(length, static_cast<char>('a' + texts.size())));
    }
    texts.push_back(std::string("\x80\0\xff", 3));
    const PackedTexts packed(texts);
    ASSERT_EQ(packed.size(), texts.size());
    std::vector<std::string> read;
    for (const std::string_view text : packed) {
        read.emplace_back(text);
    }
    EXPECT_EQ(read, texts);
    EXPECT_TRUE(PackedTexts().empty());
}

// Blocked links are not asked, so they neither fail nor pass --fail-on-broken.
TEST(RunResults, OnlyBrokenOrUnreachableLinksFail) {
    for (const auto& [status, fails] :
         std::vector<std::pair<LinkStatus, bool>>{{LinkStatus::Available, false},
                                                  {LinkStatus::Blocked, false},
                                                  {LinkStatus::Broken, true},
                                                  {LinkStatus::Unreachable, true}}) {
        RunResults results;
        results.links.emplace_back().records.Add("http://s.test/", "http://s.test/x", status);
        EXPECT_EQ(HasFailedLinks(results), fails) << static_cast<int>(status);
    }
}

}  // namespace
}  // namespace sg
