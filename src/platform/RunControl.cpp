#include "platform/RunControl.h"

#include <chrono>

namespace sg {
namespace {
thread_local RunControl* currentControl = nullptr;
RunControl& IdleControl() {
    static RunControl idle;
    return idle;
}
}  // namespace

void RunControl::RequestCancel() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_.store(true);
    }
    changed_.notify_all();
}

void RunControl::Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = true;
}

void RunControl::Resume() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        paused_ = false;
    }
    changed_.notify_all();
}

bool RunControl::Paused() const {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (paused_) {
            return true;
        }
    }
    return parent_ != nullptr && parent_->Paused();
}

bool RunControl::WaitWhilePaused() {
    if (parent_ != nullptr) {
        // The parent's pause is waited out in slices, so that this control's own cancel ends
        // the wait too.
        while (parent_->Paused() && !CancelRequested()) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(kWaitSliceMs));
        }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !paused_ || CancelRequested(); });
    return !CancelRequested();
}

RunControl& RunControl::Current() {
    return currentControl != nullptr ? *currentControl : IdleControl();
}

RunControl::Scope::Scope(RunControl& control) : previous_(currentControl) {
    currentControl = &control;
}

RunControl::Scope::~Scope() {
    currentControl = previous_;
}

}  // namespace sg
