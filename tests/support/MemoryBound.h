#pragma once
// One step of a hostile-input test, timed and with its memory measured (PeakMemory), and the
// check of the memory bound: the live-heap peak against the step's own bound, and without ASan
// the resident peak against the same bound plus some room for the allocator. Under ASan the
// resident peak holds the freed blocks of the quarantine (up to 256 MiB) and is only printed.
// The figures are printed ("[bound] name: ms, heap, resident") for the reliability record.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "support/PeakMemory.h"

namespace sg::test {

// Room for the allocator's own pages in the resident peak.
inline constexpr double kAllocatorSlackMiB = 16.0;

struct Measured {
    long long ms = 0;
    double heapMiB = 0;
    double rssMiB = 0;
};

// The live heap a step may grow by before its test is ended (see PeakMemory): far above every
// bound checked, far below what would starve the machine.
inline constexpr std::size_t kCeilingBytes = 1024u * 1024u * 1024u;

template <typename Step>
Measured Measure(const char* name, Step step, std::size_t ceilingBytes = kCeilingBytes) {
    PeakMemory memory(ceilingBytes);
    EXPECT_TRUE(memory.Available()) << "no /proc/self/clear_refs: the resident peak is not read";
    const auto start = std::chrono::steady_clock::now();
    step();
    const Measured m{std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count(),
                     memory.HeapGrowthMiB(), memory.RssGrowthMiB()};
    std::printf("[bound] %s: %lld ms, heap peak +%.1f MiB, resident peak +%.1f MiB\n", name, m.ms,
                m.heapMiB, m.rssMiB);
    return m;
}

inline void ExpectMemoryWithin(const Measured& m, double heapBoundMiB) {
    EXPECT_LT(m.heapMiB, heapBoundMiB) << "live heap peak";
    if (!PeakMemory::UnderAddressSanitizer()) {
        EXPECT_LT(m.rssMiB, heapBoundMiB + kAllocatorSlackMiB) << "resident peak";
    }
}

}  // namespace sg::test
