#include "platform/TickCount.h"

#include <time.h>

namespace sg {

std::uint64_t TickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

}  // namespace sg
