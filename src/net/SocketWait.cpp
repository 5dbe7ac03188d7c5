#include "net/SocketWait.h"

#include <cerrno>

#include "net/FtpSocket.h"
#include "platform/RunControl.h"

namespace sg {

WaitResult WaitFor(int fd, short events, const Deadline& deadline) {
    if (fd == FtpSocket::kInvalidSocket) {
        return WaitResult::Failed;
    }
    for (;;) {
        if (RunCancelled()) {
            return WaitResult::TimedOut;
        }
        int slice = RunControl::kWaitSliceMs;
        if (deadline.limited) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline.at - Deadline::Clock::now())
                    .count();
            slice = static_cast<int>(std::clamp<long long>(left, 0, slice));
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, slice);
        if (ready > 0) {
            return (entry.revents & POLLNVAL) != 0 ? WaitResult::Failed : WaitResult::Ready;
        }
        if (ready < 0 && errno != EINTR) {
            return WaitResult::Failed;
        }
        if (deadline.limited && Deadline::Clock::now() >= deadline.at) {
            return WaitResult::TimedOut;
        }
    }
}

}  // namespace sg
