#pragma once
// How the crawl reads an answer before it judges a link, kept apart from the transport so that
// any client can apply the same rules: a HEAD that the server does not do is asked again with
// GET, and an answer that asks to slow down is asked again after the wait it names.

#include <chrono>
#include <string>
#include <vector>

namespace sg {

// The longest wait a Retry-After line is granted, and all the waits of one host together.
inline constexpr std::chrono::milliseconds kRetryAfterCap{30000};
inline constexpr std::chrono::milliseconds kRetryBudget{60000};
// The wait when a slow-down answer names none (or none that can be read).
inline constexpr std::chrono::milliseconds kRetryAfterDefault{1000};

// 405 Method Not Allowed and 501 Not Implemented: the server does not answer HEAD.
bool HeadNeedsGet(int statusCode);

// 429 Too Many Requests and 503 Service Unavailable.
bool AsksToSlowDown(int statusCode);

// The wait a "Retry-After:" header line asks for (a number of seconds, or an HTTP date, taken
// from `now`), at most `cap`; kRetryAfterDefault (at most `cap`) when no line can be read. A
// date in the past is no wait.
std::chrono::milliseconds RetryAfterWait(
    const std::vector<std::string>& headerLines, std::chrono::milliseconds cap,
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// Waits `wait` in slices of RunControl::kWaitSliceMs; false when the run was cancelled first.
bool WaitUnlessCancelled(std::chrono::milliseconds wait);

}  // namespace sg
