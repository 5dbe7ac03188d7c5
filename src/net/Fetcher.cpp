#include "net/Fetcher.h"

#include <future>

#include "platform/RunControl.h"

namespace sg {

Answer Fetcher::Fetch(const FetchRequest& request) {
    RunControl& control = RunControl::Current();
    std::promise<Answer> promise;
    std::future<Answer> answer = promise.get_future();
    Start(request, control, [&promise](Answer done) { promise.set_value(std::move(done)); });
    // The fetch ends within a slice of a cancel; the wake makes it at once.
    while (answer.wait_for(std::chrono::milliseconds(RunControl::kWaitSliceMs)) !=
           std::future_status::ready) {
        if (control.CancelRequested()) {
            Wake();
        }
    }
    return answer.get();
}

}  // namespace sg
