#pragma once
// How far this process's memory rose over a stretch of a test, for bounds on what a hostile
// peer can make the program hold. Two figures:
// - the peak of the live heap (bytes allocated and not yet freed) above its level at the start,
//   sampled every millisecond by a thread of its own; read from the sanitizer's allocator under
//   ASan (so the freed blocks ASan keeps in quarantine do not count) and from mallinfo2 without;
// - the growth of the resident high-water mark (VmHWM in /proc/self/status, reset by writing
//   "5" to /proc/self/clear_refs): what was really touched, sanitizer shadow and quarantine
//   included, so under ASan it runs up to the quarantine's size (256 MiB by default) on any
//   stretch that allocates and frees a lot.
// Each test case runs in its own process under ctest, so other cases do not add to either.
//
// A ceiling ends the process when the live heap grows past it (the sampler aborts it), and
// without ASan the address space is limited too (setrlimit, restored at the end): a regression
// that would hold gigabytes fails its test at once instead of starving the machine.

#include <atomic>
#include <cstddef>
#include <thread>

namespace sg::test {

class PeakMemory {
  public:
    // Resets the high-water mark and starts sampling; with a ceiling (bytes of growth), the
    // process aborts once the live heap grows past it.
    explicit PeakMemory(std::size_t ceilingBytes = 0);
    ~PeakMemory();
    PeakMemory(const PeakMemory&) = delete;
    PeakMemory& operator=(const PeakMemory&) = delete;

    // False when /proc does not offer the reset (then RssGrowthBytes is 0).
    bool Available() const { return rssAvailable_; }
    // Peak live heap above the level at construction, up to now.
    std::size_t HeapGrowthBytes() const;
    std::size_t RssGrowthBytes() const;
    double HeapGrowthMiB() const { return ToMiB(HeapGrowthBytes()); }
    double RssGrowthMiB() const { return ToMiB(RssGrowthBytes()); }

    // The live heap now.
    static std::size_t LiveHeapBytes();
    // True when ASan's allocator is in use (its quarantine then inflates the resident peak).
    static bool UnderAddressSanitizer();

  private:
    static double ToMiB(std::size_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

    bool rssAvailable_ = false;
    std::size_t startRss_ = 0;
    std::size_t startHeap_ = 0;
    std::atomic<std::size_t> peakHeap_{0};
    std::size_t ceiling_ = 0;
    // The address-space limit before ours, put back at the end (without ASan).
    bool limited_ = false;
    std::size_t oldLimit_ = 0;
    std::size_t oldHardLimit_ = 0;
    std::atomic<bool> stop_{false};
    std::thread sampler_;
};

}  // namespace sg::test
