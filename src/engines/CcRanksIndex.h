#pragma once
// The ranks of Common Crawl's domain ranks file ("cc-main-...-domain-ranks.txt.gz", read
// gzip-compressed as downloaded): a header line "#harmonicc_pos #harmonicc_val #pr_pos #pr_val
// #host_rev #n_hosts", then one tab-separated line per domain, its host reversed
// ("com.example"). The file is scanned once into an index of every domain (its 64-bit hash and
// its two positions, sorted by hash, 16 bytes a domain), kept beside the settings and rebuilt
// when the file's path, size or modification time changes; later lookups, of any domain, read
// the index (a binary search in a mapped file) instead of the file.
//
// A scan reads the file in large blocks with bounded memory (about 25 MB whatever its size);
// its time is linear in the file. A run cancelled during it ends it within one block.

#include <cstdint>
#include <string>
#include <string_view>

namespace sg {

struct CcRank {
    // 1-based positions; 0 when the domain is not in the file ("not ranked").
    std::uint32_t harmonicPos = 0;
    std::uint32_t pageRankPos = 0;
    bool Ranked() const { return harmonicPos != 0; }
};

class CcRanksIndex {
  public:
    static constexpr int kOk = 0;
    // The ranks file cannot be opened or read to its end.
    static constexpr int kNoRanksFile = 1;
    // It is not one: no header line of the format.
    static constexpr int kNotRanksFile = 2;
    // The index could not be written (no room, no folder): nothing is looked up.
    static constexpr int kIndexNotWritten = 3;
    // The run was cancelled during the scan; no index is left.
    static constexpr int kCancelled = 4;

    CcRanksIndex() = default;
    ~CcRanksIndex();
    CcRanksIndex(const CcRanksIndex&) = delete;
    CcRanksIndex& operator=(const CcRanksIndex&) = delete;

    // Opens the index at `indexPath` when it was made from `ranksPath` as the file is now; else
    // scans the file first and replaces the index whole (a failed scan leaves no new index).
    // `scanned` (when given) says whether a scan ran. kOk or one of the codes above.
    int Open(const std::string& ranksPath, const std::string& indexPath, bool* scanned = nullptr);
    // The ranks of a domain in the file's reversed form (any letter case); none before Open.
    CcRank Find(std::string_view reversedDomain) const;
    // The domains indexed, and the lines of the file that were neither a domain, the header nor
    // a comment ("#"), as the scan counted them.
    std::uint64_t Domains() const { return count_; }
    std::uint64_t Malformed() const { return malformed_; }

    // The index of `ranksPath` in `folder`: one per ranks file, so a demo or a second file does
    // not displace the index of another.
    static std::string IndexPathFor(const std::string& folder, const std::string& ranksPath);

  private:
    int Map(const std::string& indexPath, const std::string& ranksPath);
    void Unmap();

    const unsigned char* map_ = nullptr;
    std::size_t mapSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t malformed_ = 0;
};

}  // namespace sg
