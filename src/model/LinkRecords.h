#pragma once
// The records of one crawl: each judged URL occurrence (where it was found, the URL as found,
// its status, the HTTP status code of the answer that decided it, page or resource), kept as
// fixed-size entries that name their addresses in an AddressTable, so a record costs 16 bytes
// and an address its text once, however many pages link to it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "model/AddressTable.h"

namespace sg {

// How the crawl judged one URL. The values are counted by the report, so they keep their
// numbers.
enum class LinkStatus : std::int32_t {
    // The server answered with "404" in its head and a page that says so in words.
    Broken = 0,
    // The server could not be reached (no connection, no such host, the request not sent).
    Unreachable = 1,
    // Every other answer.
    Available = 2,
    // Not asked: the site's robots.txt disallows it for this crawler.
    Blocked = 3,
};

// Pages are fetched and, on the crawl's own site, visited; resources (images, stylesheets,
// scripts, ...) are judged by their answer and never visited.
enum class LinkKind : std::uint8_t { Page, Resource };

// Why a record is broken when no answer said so.
enum class BrokenBecause : std::uint8_t {
    Answer,
    // A file: address or a path on a disk: no visitor can load it from the web.
    NotOnTheWeb,
    // Longer than any browser or server takes (the record keeps its beginning and end).
    AddressTooLong,
};

// The words the data give for it; empty for Answer.
const char* BrokenBecauseText(BrokenBecause because);

// One record as read back; the views are valid until its list is cleared or destroyed.
struct CrawlRecord {
    // The page the link was found on; for the start page, the start URL itself.
    std::string_view fromPage;
    // The URL as resolved from the page, fragment and port still in it.
    std::string_view link;
    LinkStatus status = LinkStatus::Available;
    // The status code of the final answer (after redirects); 0 when unreachable or when the
    // answer had no status line.
    int httpStatus = 0;
    LinkKind kind = LinkKind::Page;
    BrokenBecause because = BrokenBecause::Answer;

    bool operator==(const CrawlRecord&) const = default;
};

class LinkRecords {
  public:
    LinkRecords() = default;
    // Records moved from are left empty.
    LinkRecords(LinkRecords&& other) noexcept { *this = std::move(other); }
    LinkRecords& operator=(LinkRecords&& other) noexcept {
        addresses_ = std::move(other.addresses_);
        blocks_ = std::exchange(other.blocks_, {});
        count_ = std::exchange(other.count_, 0);
        return *this;
    }

    int Count() const { return static_cast<int>(count_); }
    // Record n in the order made; 0 <= n < Count().
    CrawlRecord At(int n) const;
    void Add(std::string_view fromPage, std::string_view link, LinkStatus status,
             int httpStatus = 0, LinkKind kind = LinkKind::Page,
             BrokenBecause because = BrokenBecause::Answer);
    void Clear();
    // `text` kept in the records' table (once, as every address there): the view stays valid
    // until Clear, and a record of it later costs no second copy.
    std::string_view Keep(std::string_view text) { return addresses_.At(addresses_.Intern(text)); }

  private:
    struct Row {
        AddressTable::Id fromPage;
        AddressTable::Id link;
        // A status code outside 0..32767 is kept as 0 (no status line gives such a code).
        std::int16_t httpStatus;
        std::uint8_t status;
        LinkKind kind;
        BrokenBecause because;
    };
    // Rows in blocks that never move (a vector of them would hold twice the rows while it grows).
    static constexpr std::size_t kRowsPerBlock = 4096;
    AddressTable addresses_;
    std::vector<std::unique_ptr<Row[]>> blocks_;
    std::size_t count_ = 0;
};

}  // namespace sg
