#include "net/AnswerRules.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <string_view>
#include <thread>

#include "html/TextUtil.h"
#include "platform/Ansi.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

using std::chrono::milliseconds;

// "Sun, 06 Nov 1994 08:49:37 GMT" (the form HTTP servers send), as seconds since the epoch;
// false otherwise. Seconds, since a time point of the system clock holds only some centuries.
bool ParseHttpDate(std::string_view text, std::time_t& time) {
    std::tm parts{};
    const std::string copy(text);
    const char* end = strptime(copy.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &parts);
    if (end == nullptr) {
        return false;
    }
    time = timegm(&parts);
    return true;
}

}  // namespace

bool HeadNeedsGet(int statusCode) {
    return statusCode == 405 || statusCode == 501;
}

bool AsksToSlowDown(int statusCode) {
    return statusCode == 429 || statusCode == 503;
}

milliseconds RetryAfterWait(const std::vector<std::string>& headerLines, milliseconds cap,
                            std::chrono::system_clock::time_point now) {
    constexpr std::string_view kName = "Retry-After:";
    for (const std::string& line : headerLines) {
        if (!StartsWithNoCase(line, kName)) {
            continue;
        }
        const std::string_view value = TrimBlanksView(std::string_view(line).substr(kName.size()));
        long long seconds = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error == std::errc::result_out_of_range && end == value.data() + value.size()) {
            return cap;
        }
        if (error == std::errc() && end == value.data() + value.size() && seconds >= 0) {
            // Beyond the cap the number need not be exact.
            const long long capSeconds = cap.count() / 1000 + 1;
            return std::min(cap, milliseconds(std::min(seconds, capSeconds) * 1000));
        }
        std::time_t date = 0;
        if (ParseHttpDate(value, date)) {
            // Dates past the cap (or long gone) need not be exact, nor fit a time point.
            if (date > std::chrono::system_clock::to_time_t(now + cap) + 1) {
                return cap;
            }
            const auto when = std::chrono::system_clock::from_time_t(
                std::max(date, std::chrono::system_clock::to_time_t(now) - 1));
            if (when <= now) {
                return milliseconds(0);
            }
            return std::min(cap, std::chrono::ceil<milliseconds>(when - now));
        }
        break;
    }
    return std::min(cap, kRetryAfterDefault);
}

bool WaitUnlessCancelled(milliseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (RunCancelled()) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) {
            return true;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            until - now, milliseconds(RunControl::kWaitSliceMs)));
    }
}

}  // namespace sg
