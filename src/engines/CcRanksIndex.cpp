#include "engines/CcRanksIndex.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engines/GzipBlocks.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

constexpr std::string_view kHeaderStart = "#harmonicc_pos";
constexpr char kMagic[8] = {'S', 'G', 'C', 'C', 'R', 'K', '0', '1'};
constexpr std::size_t kBlock = 4u << 20;
constexpr std::size_t kBuckets = 256;
// Entries a bucket gathers before they go to its file (64 KiB).
constexpr std::size_t kBucketBatch = 4096;

struct Entry {
    std::uint64_t hash;
    std::uint32_t harmonicPos;
    std::uint32_t pageRankPos;
};
static_assert(sizeof(Entry) == 16);

// What the index says of the file it was made from, and what it holds.
struct Header {
    char magic[8];
    std::uint64_t size;
    std::int64_t mtimeSec;
    std::int64_t mtimeNsec;
    std::uint64_t pathHash;
    std::uint64_t count;
    std::uint64_t malformed;
    std::uint64_t reserved;
};
static_assert(sizeof(Header) == 64);

std::uint64_t Hash(std::string_view text) {
    return XXH3_64bits(text.data(), text.size());
}

bool Identity(const std::string& ranksPath, Header& header) {
    struct stat st {};
    if (::stat(ranksPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.size = static_cast<std::uint64_t>(st.st_size);
    header.mtimeSec = st.st_mtim.tv_sec;
    header.mtimeNsec = st.st_mtim.tv_nsec;
    header.pathHash = Hash(ranksPath);
    return true;
}

bool SameFile(const Header& a, const Header& b) {
    return std::memcmp(a.magic, b.magic, sizeof kMagic) == 0 && a.size == b.size &&
           a.mtimeSec == b.mtimeSec && a.mtimeNsec == b.mtimeNsec && a.pathHash == b.pathHash;
}

// A whole number from 1 up that fits 32 bits; false for anything else.
bool ParsePosition(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v == 0 || v > UINT32_MAX) {
        return false;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The entries of one scan, spread by their hash's first byte over bucket files in a folder of
// their own, so that each bucket sorts in memory on its own and the buckets in order are the
// whole index in order.
class Buckets {
  public:
    explicit Buckets(const std::string& indexPath) {
        std::string pattern = indexPath + ".scan-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        folder_ = pattern;
        for (std::size_t b = 0; b < kBuckets; ++b) {
            fds_[b] = ::open(BucketPath(b).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fds_[b] < 0) {
                ok_ = false;
                return;
            }
            pending_[b].reserve(kBucketBatch);
        }
        ok_ = true;
    }
    ~Buckets() {
        for (std::size_t b = 0; b < kBuckets; ++b) {
            if (fds_[b] >= 0) {
                ::close(fds_[b]);
                ::unlink(BucketPath(b).c_str());
            }
        }
        if (!folder_.empty()) {
            ::rmdir(folder_.c_str());
        }
    }
    Buckets(const Buckets&) = delete;
    Buckets& operator=(const Buckets&) = delete;

    bool Ok() const { return ok_; }
    std::uint64_t Count() const { return count_; }

    void Add(const Entry& entry) {
        std::vector<Entry>& pending = pending_[entry.hash >> 56];
        pending.push_back(entry);
        ++count_;
        if (pending.size() == kBucketBatch) {
            Flush(entry.hash >> 56);
        }
    }

    // Every bucket sorted, in order, after `header`, into the file `fd`.
    bool WriteSorted(int fd, const Header& header) {
        for (std::size_t b = 0; b < kBuckets && ok_; ++b) {
            Flush(b);
        }
        ok_ = ok_ && WriteAll(fd, &header, sizeof header);
        std::vector<Entry> entries;
        for (std::size_t b = 0; b < kBuckets && ok_; ++b) {
            const off_t bytes = ::lseek(fds_[b], 0, SEEK_END);
            entries.resize(static_cast<std::size_t>(bytes) / sizeof(Entry));
            ok_ = bytes >= 0 &&
                  ::pread(fds_[b], entries.data(), static_cast<std::size_t>(bytes), 0) == bytes;
            std::sort(entries.begin(), entries.end(),
                      [](const Entry& a, const Entry& e) { return a.hash < e.hash; });
            ok_ = ok_ && WriteAll(fd, entries.data(), entries.size() * sizeof(Entry));
            // The bucket's disk space goes back at once.
            ::ftruncate(fds_[b], 0);
        }
        return ok_;
    }

  private:
    std::string BucketPath(std::size_t b) const { return folder_ + "/" + std::to_string(b); }
    void Flush(std::size_t b) {
        std::vector<Entry>& pending = pending_[b];
        ok_ = ok_ && WriteAll(fds_[b], pending.data(), pending.size() * sizeof(Entry));
        pending.clear();
    }

    std::string folder_;
    std::array<int, kBuckets> fds_{};
    std::array<std::vector<Entry>, kBuckets> pending_;
    std::uint64_t count_ = 0;
    bool ok_ = false;
};

// The lines of one scan: the header first, then domains; comments and malformed lines skipped.
class LineReader {
  public:
    explicit LineReader(Buckets& buckets) : buckets_(buckets) {}
    // False when the first line is not the header.
    bool Line(std::string_view line) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!sawHeader_) {
            sawHeader_ = true;
            return line.starts_with(kHeaderStart);
        }
        if (line.empty() || line[0] == '#') {
            return true;
        }
        // Fields 1 and 3 are the positions, 5 the host (up to the tab before #n_hosts).
        std::array<std::string_view, 5> fields;
        std::string_view rest = line;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const void* tab = std::memchr(rest.data(), '\t', rest.size());
            if (tab == nullptr) {
                if (f + 1 < fields.size()) {
                    ++malformed_;
                    return true;
                }
                fields[f] = rest;
                break;
            }
            const auto at = static_cast<std::size_t>(static_cast<const char*>(tab) - rest.data());
            fields[f] = rest.substr(0, at);
            rest.remove_prefix(at + 1);
        }
        Entry entry{};
        if (fields[4].empty() || !ParsePosition(fields[0], entry.harmonicPos) ||
            !ParsePosition(fields[2], entry.pageRankPos)) {
            ++malformed_;
            return true;
        }
        entry.hash = Hash(fields[4]);
        buckets_.Add(entry);
        return true;
    }
    bool SawHeader() const { return sawHeader_; }
    std::uint64_t Malformed() const { return malformed_; }

  private:
    Buckets& buckets_;
    bool sawHeader_ = false;
    std::uint64_t malformed_ = 0;
};

// Scans the ranks file into a new index that replaces indexPath once whole.
int Scan(const std::string& ranksPath, const std::string& indexPath, Header header) {
    GzipBlocks blocks(kBlock);
    if (blocks.Open(ranksPath) != GzipBlocks::kOk) {
        return CcRanksIndex::kNoRanksFile;
    }
    Buckets buckets(indexPath);
    if (!buckets.Ok()) {
        return CcRanksIndex::kIndexNotWritten;
    }
    LineReader reader(buckets);
    // The line a block ends inside, completed by the next block's first bytes.
    std::string carried;
    for (std::string_view block = blocks.Next(); !block.empty(); block = blocks.Next()) {
        const void* first = std::memchr(block.data(), '\n', block.size());
        if (first == nullptr) {
            // A line longer than a block is no domain's: kept only up to a bound.
            if (carried.size() < kBlock) {
                carried.append(block);
            }
            continue;
        }
        std::size_t start =
            static_cast<std::size_t>(static_cast<const char*>(first) - block.data());
        carried.append(block.substr(0, start));
        if (!reader.Line(carried)) {
            return CcRanksIndex::kNotRanksFile;
        }
        carried.clear();
        ++start;
        for (;;) {
            const void* nl = std::memchr(block.data() + start, '\n', block.size() - start);
            if (nl == nullptr) {
                break;
            }
            const auto end = static_cast<std::size_t>(static_cast<const char*>(nl) - block.data());
            if (!reader.Line(block.substr(start, end - start))) {
                return CcRanksIndex::kNotRanksFile;
            }
            start = end + 1;
        }
        carried.assign(block.substr(start));
    }
    if (blocks.Result() == GzipBlocks::kCancelled) {
        return CcRanksIndex::kCancelled;
    }
    if (blocks.Result() != GzipBlocks::kOk) {
        return CcRanksIndex::kNoRanksFile;
    }
    // The last line may lack its line feed.
    if (!carried.empty() && !reader.Line(carried)) {
        return CcRanksIndex::kNotRanksFile;
    }
    if (!reader.SawHeader()) {
        return CcRanksIndex::kNotRanksFile;
    }
    header.count = buckets.Count();
    header.malformed = reader.Malformed();
    const std::string part = CreateFileBeside(indexPath);
    if (part.empty()) {
        return CcRanksIndex::kIndexNotWritten;
    }
    const int fd = ::open(part.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool ok = fd >= 0 && buckets.WriteSorted(fd, header) && ::fsync(fd) == 0;
    ok = fd >= 0 && ::close(fd) == 0 && ok;
    if (!ok || !ReplaceFile(part, indexPath)) {
        RemoveFile(part);
        return CcRanksIndex::kIndexNotWritten;
    }
    return CcRanksIndex::kOk;
}

}  // namespace

CcRanksIndex::~CcRanksIndex() {
    Unmap();
}

void CcRanksIndex::Unmap() {
    if (map_ != nullptr) {
        ::munmap(const_cast<unsigned char*>(map_), mapSize_);
    }
    map_ = nullptr;
    mapSize_ = 0;
    count_ = 0;
    malformed_ = 0;
}

int CcRanksIndex::Map(const std::string& indexPath, const std::string& ranksPath) {
    Header expected{};
    if (!Identity(ranksPath, expected)) {
        return kNoRanksFile;
    }
    const int fd = ::open(indexPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return kIndexNotWritten;
    }
    struct stat st {};
    Header header{};
    bool ok =
        ::fstat(fd, &st) == 0 &&
        ::pread(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
        SameFile(header, expected) &&
        static_cast<std::uint64_t>(st.st_size) == sizeof header + header.count * sizeof(Entry);
    void* map = MAP_FAILED;
    if (ok) {
        map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        ok = map != MAP_FAILED;
    }
    ::close(fd);
    if (!ok) {
        return kIndexNotWritten;
    }
    map_ = static_cast<const unsigned char*>(map);
    mapSize_ = static_cast<std::size_t>(st.st_size);
    count_ = header.count;
    malformed_ = header.malformed;
    return kOk;
}

int CcRanksIndex::Open(const std::string& ranksPath, const std::string& indexPath, bool* scanned) {
    Unmap();
    if (scanned != nullptr) {
        *scanned = false;
    }
    if (Map(indexPath, ranksPath) == kOk) {
        return kOk;
    }
    Header header{};
    if (!Identity(ranksPath, header)) {
        return kNoRanksFile;
    }
    if (scanned != nullptr) {
        *scanned = true;
    }
    const int result = Scan(ranksPath, indexPath, header);
    if (result != kOk) {
        return result;
    }
    return Map(indexPath, ranksPath) == kOk ? kOk : kIndexNotWritten;
}

CcRank CcRanksIndex::Find(std::string_view reversedDomain) const {
    if (map_ == nullptr) {
        return {};
    }
    std::string lower(reversedDomain);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    const std::uint64_t hash = Hash(lower);
    const Entry* first = reinterpret_cast<const Entry*>(map_ + sizeof(Header));
    const Entry* last = first + count_;
    const Entry* found = std::lower_bound(
        first, last, hash, [](const Entry& e, std::uint64_t h) { return e.hash < h; });
    if (found == last || found->hash != hash) {
        return {};
    }
    return {found->harmonicPos, found->pageRankPos};
}

std::string CcRanksIndex::IndexPathFor(const std::string& folder, const std::string& ranksPath) {
    char name[40];
    std::snprintf(name, sizeof name, "/cc-ranks-%016llx.index",
                  static_cast<unsigned long long>(Hash(ranksPath)));
    return folder + name;
}

}  // namespace sg
