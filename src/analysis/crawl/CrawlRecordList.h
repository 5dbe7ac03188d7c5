#pragma once
// The ordered list of records one crawl made, with an index beside it so that looking a link
// up costs O(1): "the same link" is the address without its fragment, letter case ignored
// (Url::CompareKeyOf). Each crawl (LinkCrawler) owns one.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "analysis/crawl/CrawlRecord.h"

namespace sg {

class CrawlRecordList {
  public:
    int Count() const { return static_cast<int>(records_.size()); }
    // Record n in the order made, or nullptr when out of range. Records do not move while the
    // list grows, so a pointer stays valid until Clear.
    const CrawlRecord* At(int n) const;
    // The first record of the same link (Url::CompareKeyOf), or nullptr.
    const CrawlRecord* Find(std::string_view link) const;
    // The index of that record, or -1.
    int FindIndex(std::string_view link) const;
    void Add(std::string_view fromPage, std::string_view link, LinkStatus status,
             int httpStatus = 0, LinkKind kind = LinkKind::Page,
             BrokenBecause because = BrokenBecause::Answer);
    void Clear();

    // Whether the crawl visited the link as a page (fetched it and read its links, or tried
    // to); MarkVisited says it did. A link judged only by its head is not visited.
    bool Visited(std::string_view link) const;
    void MarkVisited(std::string_view link);

  private:
    struct Entry {
        std::size_t first = 0;
        bool hasRecord = false;
        bool visited = false;
    };
    std::deque<CrawlRecord> records_;
    std::unordered_map<std::string, Entry> byKey_;
};

}  // namespace sg
