#pragma once

#include <cstdint>

namespace sg {

// Milliseconds of the monotonic clock; only differences mean anything.
std::uint64_t TickCount();

}  // namespace sg
