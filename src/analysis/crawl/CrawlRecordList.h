#pragma once
// The ordered list of records one crawl made, with an index beside it so that looking a link
// up costs O(1): "the same link" is the address without its fragment, letter case ignored
// (Url::CompareKeyOf). Each crawl (LinkCrawler) owns one; the records are stored compactly
// (LinkRecords), and the index keeps each compare key once with a number for it.

#include <optional>
#include <string_view>
#include <vector>

#include "model/AddressTable.h"
#include "model/LinkRecords.h"

namespace sg {

class CrawlRecordList {
  public:
    int Count() const { return records_.Count(); }
    // Record n in the order made; 0 <= n < Count(). Its views stay valid until Clear or Take.
    CrawlRecord At(int n) const { return records_.At(n); }
    // The first record of the same link (Url::CompareKeyOf), if any.
    std::optional<CrawlRecord> Find(std::string_view link) const;
    // The index of that record, or -1.
    int FindIndex(std::string_view link) const;
    void Add(std::string_view fromPage, std::string_view link, LinkStatus status,
             int httpStatus = 0, LinkKind kind = LinkKind::Page,
             BrokenBecause because = BrokenBecause::Answer);
    void Clear();
    // The records, moved out for a reader that outlives the crawl; the list is left empty.
    LinkRecords Take();
    const LinkRecords& Records() const { return records_; }
    // LinkRecords::Keep: a view of `text` that lives as long as the records.
    std::string_view Keep(std::string_view text) { return records_.Keep(text); }

    // Whether the crawl visited the link as a page (fetched it and read its links, or tried
    // to); MarkVisited says it did. A link judged only by its head is not visited.
    bool Visited(std::string_view link) const;
    void MarkVisited(std::string_view link);
    // Marks the link as a page the crawl knows of (visited or meant to be); true the first time.
    bool MarkKnown(std::string_view link);

  private:
    struct Entry {
        // The first record of the key, or -1.
        int first = -1;
        bool visited = false;
        bool known = false;
    };
    // The entry of a key, made when new.
    Entry& EntryOf(std::string_view link);
    const Entry* FindEntry(std::string_view link) const;

    LinkRecords records_;
    // The compare keys met, and an entry for each by its number.
    AddressTable keys_;
    std::vector<Entry> entries_;
};

}  // namespace sg
