#pragma once
// One JSON request to the metasearch instance: a fresh client with the proxy settings, one
// attempt, bounded waits and the body cap, and the answer sorted into a few results that the
// callers turn into one clear message.

#include <chrono>
#include <string>
#include <string_view>

namespace sg {

// The results of FetchLiveJson.
inline constexpr int kLiveOk = 0;
// Not reached: bad address, refused or failed connection, no answer within the waits.
inline constexpr int kLiveUnreachable = 1;
// It answered 403: its settings do not allow the json format.
inline constexpr int kLiveJsonRefused = 2;
// It answered 200 with something else than JSON (or JSON of another shape, for the parsers).
inline constexpr int kLiveNotJson = 3;
// It answered another status than 200 or 403.
inline constexpr int kLiveHttpError = 4;

// The waits of every request to the instance; the defaults are CWebClient's. Tests set them
// shorter. Any thread.
struct LiveWaits {
    std::chrono::milliseconds connect{10000};
    std::chrono::milliseconds piece{5000};
    std::chrono::milliseconds attempt{60000};
};
void SetLiveWaits(const LiveWaits& waits);
LiveWaits CurrentLiveWaits();

// 0 and the body (at most CWebClient's body cap) in `body`, or one of the codes above with
// `body` empty; `detail` gets the status line or the client's reason when there is one.
int FetchLiveJson(const std::string& address, std::string& body, std::string& detail);

// The line a user reads for a result other than 0 from the instance at `instance`.
std::string LiveProblemText(int code, std::string_view instance, std::string_view detail);
// The same in a few words, for a failed cell of the report and the data ("the instance refuses
// JSON (403)").
std::string LiveFailureReason(int code, std::string_view detail);

}  // namespace sg
