#pragma once
// The ordered list of records the last crawl made. There is one for the whole program
// (CrawlRecords()); the crawl fills it and the Link Validator and nested readiness reports read
// it until the next crawl clears it.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/CrawlRecord.h"

namespace sg {

class CrawlRecordList {
  public:
    int Count() const { return static_cast<int>(records_.size()); }
    // Record n in the order made, or nullptr when out of range. Records do not move while the
    // list grows, so a pointer stays valid until Clear.
    const CrawlRecord* At(int n) const;
    // The first record whose link equals `link` without regard to letter case and to a leading
    // "http://", or nullptr.
    const CrawlRecord* Find(std::string_view link) const;
    void Add(std::string_view fromPage, std::string_view link, LinkStatus status);
    void Clear();

  private:
    std::vector<std::unique_ptr<CrawlRecord>> records_;
    // Lower-cased link without "http://" -> index of its first record. A crawl looks every link up
    // before it judges it, so a scan of the list for each would make a crawl quadratic in its size.
    std::unordered_map<std::string, std::size_t> firstByLink_;
};

// The program's one record list.
CrawlRecordList& CrawlRecords();

// The list operations on the program's list, under the names the crawl's callers use.
int RecordCount();
const CrawlRecord* RecordAt(int n);
const CrawlRecord* FindRecord(std::string_view link);
void AddRecord(std::string_view fromPage, std::string_view link, LinkStatus status);
void ClearRecords();

}  // namespace sg
