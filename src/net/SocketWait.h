#pragma once
// The bounded waits of every socket: a deadline on the monotonic clock (or none), and a wait for
// a socket to become ready in slices of at most RunControl::kWaitSliceMs, so that a cancelled
// run is noticed within one slice.

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace sg {

// A point on the monotonic clock, or none at all.
struct Deadline {
    using Clock = std::chrono::steady_clock;

    bool limited = false;
    Clock::time_point at{};

    static Deadline None() { return {}; }
    static Deadline After(long long ms) {
        return {true, Clock::now() + std::chrono::milliseconds(std::max(0LL, ms))};
    }
    // Read-style time-outs: zero or less means no limit.
    static Deadline ForTimeout(long long ms) { return ms > 0 ? After(ms) : None(); }
};

enum class WaitResult { Ready, TimedOut, Failed };

// Every blocking wait on a socket: poll in slices so that a cancelled run is noticed within
// one slice. A cancel counts as a time-out.
WaitResult WaitFor(int fd, short events, const Deadline& deadline);

}  // namespace sg
