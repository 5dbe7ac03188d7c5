#include "engines/EndRequests.h"

#include <string>

#include "platform/RunControl.h"

namespace sg {
namespace {

std::string SkipLine(std::string_view logName, std::int64_t position) {
    return "User skipped " + std::string(logName) + " on position " + std::to_string(position);
}

bool ConfirmStop(PositionRunStatus& status) {
    if (status.AskYesNo(kStopQuestion)) {
        status.LogSkip("User skip searching ");
        return true;
    }
    status.ClearStopRequest();
    return false;
}

}  // namespace

bool ConfirmEndRequest(PositionRunStatus& status, std::string_view logName, std::int64_t position) {
    if (status.SkipRequested()) {
        if (status.AskYesNo(kSkipEngineQuestion)) {
            // The run clears the request before the next engine.
            status.LogSkip(SkipLine(logName, position));
            return true;
        }
        status.SetSkipRequest(false);
    }
    return status.StopRequested() && ConfirmStop(status);
}

void SettleEndRequests(PositionRunStatus& status, std::string_view logName, std::int64_t position) {
    if (RunCancelled()) {
        return;
    }
    if (status.SkipRequested()) {
        status.LogSkip(SkipLine(logName, position));
        return;
    }
    if (status.StopRequested()) {
        ConfirmStop(status);
    }
}

}  // namespace sg
