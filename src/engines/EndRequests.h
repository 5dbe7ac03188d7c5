#pragma once
// The user's skip and stop requests as an engine's search meets them. A request is made on the
// window thread at any time; the search takes it up at its next result item, where a question
// confirms it, or, when the engine ends before another item comes (its last page had no more
// items, a page failed), right at that end, so that no request goes by unanswered.

#include <cstdint>
#include <string_view>

#include "engines/PositionRunStatus.h"

namespace sg {

// The questions that confirm a skip or stop request.
inline constexpr const char* kSkipEngineQuestion = "Are you sure you want to skip current engine ?";
inline constexpr const char* kStopQuestion = "Are you sure you want to skip searching  ?";

// At a result item of the engine `logName`, `position` results read: a pending request is asked
// about. True when the user confirmed it: the skip or stop line is logged and the engine ends (a
// stop request stays set, for the run to end at its next between-engines check). A request
// answered No is withdrawn.
bool ConfirmEndRequest(PositionRunStatus& status, std::string_view logName, std::int64_t position);

// The engine has ended by itself with a request still pending. A skip has nothing left to skip
// and is logged as done without a question; a stop is asked about as at an item. Nothing while
// the run is cancelled.
void SettleEndRequests(PositionRunStatus& status, std::string_view logName, std::int64_t position);

}  // namespace sg
