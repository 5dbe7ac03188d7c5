#include "platform/WorkerThread.h"

#include <condition_variable>
#include <mutex>

#include "platform/RunControl.h"

namespace sg {

struct WorkerThread::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false;
};

WorkerThread::WorkerThread() : state_(std::make_shared<State>()) {}

WorkerThread::~WorkerThread() {
    Wait();
}

bool WorkerThread::Start(std::function<void()> body) {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->running) {
            return false;
        }
        state_->running = true;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    thread_ = std::thread([state = state_, body = std::move(body)] {
        body();
        std::lock_guard<std::mutex> lock(state->mutex);
        state->running = false;
        state->changed.notify_all();
    });
    return true;
}

bool WorkerThread::Start(RunControl& control, std::function<void()> body) {
    return Start([&control, body = std::move(body)] {
        RunControl::Scope scope(control);
        body();
    });
}

bool WorkerThread::Running() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->running;
}

void WorkerThread::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool WorkerThread::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout, [this] { return !state_->running; });
}

void WorkerThread::Detach() {
    if (thread_.joinable()) {
        thread_.detach();
        // The detached thread keeps the old state; this object may start another one.
        state_ = std::make_shared<State>();
    }
}

}  // namespace sg
