#include "cli/CliInterrupt.h"

#include <signal.h>
#include <atomic>

namespace sg {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set in a signal handler");
struct sigaction previous {};

void OnInterrupt(int) {
    interrupted.store(true);
}

}  // namespace

CliInterrupt::CliInterrupt() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl-C asks the run to stop; the handler then falls back to the default, so a
    // second one ends a run that does not stop.
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, &previous);
}

CliInterrupt::~CliInterrupt() {
    ::sigaction(SIGINT, &previous, nullptr);
}

bool CliInterrupt::Requested() {
    return interrupted.load();
}

}  // namespace sg
