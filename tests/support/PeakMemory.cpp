#include "support/PeakMemory.h"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define SG_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SG_TEST_ASAN 1
#endif
#endif

#if defined(SG_TEST_ASAN)
// The sanitizer's allocator replaces malloc's and keeps its own count (its header is not always
// installed).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace sg::test {
namespace {

// A "Name:   1234 kB" field of /proc/self/status in bytes; 0 when missing.
std::size_t StatusField(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, name.size(), name) == 0 && line.size() > name.size() &&
            line[name.size()] == ':') {
            return std::stoull(line.substr(name.size() + 1)) * 1024;
        }
    }
    return 0;
}

}  // namespace

std::size_t PeakMemory::LiveHeapBytes() {
#if defined(SG_TEST_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

bool PeakMemory::UnderAddressSanitizer() {
#if defined(SG_TEST_ASAN)
    return true;
#else
    return false;
#endif
}

PeakMemory::PeakMemory(std::size_t ceilingBytes) : ceiling_(ceilingBytes) {
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";
        reset.flush();
        rssAvailable_ = static_cast<bool>(reset);
    }
    startRss_ = StatusField("VmRSS");
    rssAvailable_ = rssAvailable_ && startRss_ > 0 && StatusField("VmHWM") > 0;
    startHeap_ = LiveHeapBytes();
    peakHeap_ = startHeap_;
    if (ceiling_ > 0 && !UnderAddressSanitizer()) {
        // ASan reserves terabytes of address space for its shadow: a limit is only set without.
        struct rlimit limit {};
        if (getrlimit(RLIMIT_AS, &limit) == 0) {
            oldLimit_ = limit.rlim_cur;
            oldHardLimit_ = limit.rlim_max;
            const rlim_t wanted = StatusField("VmSize") + 2 * ceiling_;
            if (limit.rlim_cur == RLIM_INFINITY || wanted < limit.rlim_cur) {
                limit.rlim_cur = std::min<rlim_t>(wanted, limit.rlim_max);
                limited_ = setrlimit(RLIMIT_AS, &limit) == 0;
            }
        }
    }
    sampler_ = std::thread([this] {
        while (!stop_.load()) {
            const std::size_t now = LiveHeapBytes();
            if (ceiling_ > 0 && now > startHeap_ + ceiling_) {
                std::fprintf(stderr, "live heap grew past the test's ceiling of %zu MiB\n",
                             ceiling_ >> 20);
                std::abort();
            }
            std::size_t peak = peakHeap_.load();
            while (now > peak && !peakHeap_.compare_exchange_weak(peak, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

PeakMemory::~PeakMemory() {
    stop_ = true;
    sampler_.join();
    if (limited_) {
        const struct rlimit old {
            static_cast<rlim_t>(oldLimit_), static_cast<rlim_t>(oldHardLimit_)
        };
        setrlimit(RLIMIT_AS, &old);
    }
}

std::size_t PeakMemory::HeapGrowthBytes() const {
    const std::size_t now = LiveHeapBytes();
    const std::size_t peak = std::max(peakHeap_.load(), now);
    return peak > startHeap_ ? peak - startHeap_ : 0;
}

std::size_t PeakMemory::RssGrowthBytes() const {
    if (!rssAvailable_) {
        return 0;
    }
    const std::size_t peak = StatusField("VmHWM");
    return peak > startRss_ ? peak - startRss_ : 0;
}

}  // namespace sg::test
