#pragma once
// Cooperative control of a worker run: a pause gate and a cancel flag. The worker checks them
// before every report line, before every fetch attempt and inside every socket wait, so a
// cancelled run stops within one wait slice (at most 100 ms).

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace sg {

class RunControl {
  public:
    // Longest slice of any blocking wait before the flags are looked at again.
    static constexpr int kWaitSliceMs = 100;

    RunControl() = default;
    // A control for helpers of a run (fetches started ahead): cancelled and paused with the
    // parent, and also cancelled on its own. The parent must outlive it.
    explicit RunControl(RunControl& parent) : parent_(&parent) {}

    void RequestCancel();
    bool CancelRequested() const {
        return cancelled_.load() || (parent_ != nullptr && parent_->CancelRequested());
    }

    void Pause();
    void Resume();
    bool Paused() const;
    // Blocks while paused; returns false when the run was cancelled (before or while paused).
    bool WaitWhilePaused();

    // The control that governs the calling thread; a thread that has none gets a control that
    // is never cancelled or paused.
    static RunControl& Current();
    // Makes `control` the current one of this thread while the scope lives.
    class Scope {
      public:
        explicit Scope(RunControl& control);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        RunControl* previous_;
    };

  private:
    RunControl* parent_ = nullptr;
    std::atomic<bool> cancelled_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool paused_ = false;
};

// Shorthand for the checks the workers make.
inline bool RunCancelled() {
    return RunControl::Current().CancelRequested();
}

}  // namespace sg
