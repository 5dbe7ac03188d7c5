#pragma once
// A gzip-compressed file (or a plain one, passed through) read in large blocks of its
// decompressed bytes, the decompressing done on a worker thread of its own while the caller
// reads the block before, so that a long file is read and parsed on two cores at once. Memory
// is the blocks' (kBlocks x the block size) whatever the file's size. Every wait is in slices
// of RunControl::kWaitSliceMs; a cancelled run ends Next within one slice.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WorkerThread.h"

namespace sg {

class GzipBlocks {
  public:
    // Results of Open and Result.
    static constexpr int kOk = 0;
    static constexpr int kCannotOpen = 1;
    // A read or the decompression failed (a cut or corrupt file).
    static constexpr int kReadFailed = 2;
    static constexpr int kCancelled = 3;

    static constexpr std::size_t kBlocks = 3;

    explicit GzipBlocks(std::size_t blockSize = std::size_t{4} << 20);
    // Stops the reader and waits for it.
    ~GzipBlocks();
    GzipBlocks(const GzipBlocks&) = delete;
    GzipBlocks& operator=(const GzipBlocks&) = delete;

    // kOk and the reader started, or kCannotOpen.
    int Open(const std::string& path);
    // The next block, in file order (full except the last); empty at the end of the file or
    // when reading stopped, Result() then saying why. Valid until the next call.
    std::string_view Next();
    int Result() const;

  private:
    struct Slot {
        std::vector<char> bytes;
        std::size_t size = 0;
        bool filled = false;
    };
    void Read(void* file);

    const std::size_t blockSize_;
    std::vector<Slot> slots_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // The slot Next gives next, and whether the caller holds the one before.
    std::size_t next_ = 0;
    bool holding_ = false;
    bool ended_ = false;
    bool stop_ = false;
    int result_ = kOk;
    WorkerThread reader_;
};

}  // namespace sg
