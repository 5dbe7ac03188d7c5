#include "ui/FtpWorker.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "net/CFtpAgent.h"
#include "platform/RunControl.h"
#include "platform/WorkerThread.h"

namespace sg {
namespace {

// How long Stop waits once more after cancelling the last call: a cancelled wait ends within
// one slice, and closing the sockets takes no time.
constexpr std::chrono::milliseconds kCancelledStopWait{1000};

}  // namespace

struct FtpWorker::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Call> calls;
    bool stopping = false;
    LastCall last;
    // The control of the call running now, so another thread can cancel it.
    RunControl* current = nullptr;
    // Null once the owner stopped listening.
    QObject* receiver = nullptr;
    FtpWaits waits;
};

FtpWorker::FtpWorker(QObject* receiver, const FtpWaits& waits)
    : receiver_(receiver), waits_(waits) {
    Start();
}

FtpWorker::~FtpWorker() {
    Stop({}, std::chrono::milliseconds(2000));
}

void FtpWorker::Start() {
    if (state_ != nullptr) {
        return;
    }
    state_ = std::make_shared<State>();
    state_->receiver = receiver_;
    state_->waits = waits_;
    worker_.Start([state = state_] { Loop(state); });
}

void FtpWorker::Post(Call call) {
    if (state_ == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->calls.push_back(std::move(call));
    }
    state_->changed.notify_one();
}

void FtpWorker::CancelCurrent() {
    if (state_ == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->current != nullptr) {
        state_->current->RequestCancel();
    }
}

bool FtpWorker::Stop(LastCall last, std::chrono::milliseconds wait) {
    if (state_ == nullptr) {
        return true;
    }
    std::shared_ptr<State> state = std::move(state_);
    std::unique_lock<std::mutex> lock(state->mutex);
    state->receiver = nullptr;
    state->stopping = true;
    state->calls.clear();
    state->last = std::move(last);
    if (state->current != nullptr) {
        state->current->RequestCancel();
    }
    state->changed.notify_one();
    lock.unlock();
    bool ended = worker_.WaitFor(wait);
    if (!ended) {
        lock.lock();
        if (state->current != nullptr) {
            state->current->RequestCancel();
        }
        lock.unlock();
        ended = worker_.WaitFor(kCancelledStopWait);
    }
    if (ended) {
        worker_.Wait();
    } else {
        worker_.Detach();
    }
    return ended;
}

void FtpWorker::Loop(std::shared_ptr<State> state) {
    auto agent = std::make_unique<CFtpAgent>(state->waits);
    for (;;) {
        Call call;
        {
            std::unique_lock<std::mutex> lock(state->mutex);
            state->changed.wait(lock, [&] { return state->stopping || !state->calls.empty(); });
            if (state->stopping) {
                break;
            }
            call = std::move(state->calls.front());
            state->calls.pop_front();
        }
        RunControl control;
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->stopping) {
                break;
            }
            state->current = &control;
        }
        std::function<void()> result;
        {
            RunControl::Scope scope(control);
            result = call(*agent);
        }
        std::lock_guard<std::mutex> lock(state->mutex);
        state->current = nullptr;
        // Posted under the lock, so the receiver cannot be forgotten and destroyed meanwhile.
        if (result && state->receiver != nullptr) {
            QMetaObject::invokeMethod(state->receiver, std::move(result), Qt::QueuedConnection);
        }
    }

    LastCall last;
    RunControl control;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        last = std::move(state->last);
        state->current = &control;
    }
    {
        RunControl::Scope scope(control);
        if (last) {
            last(*agent);
        }
        // The destructor logs off; under the same control, so a cancel reaches it too.
        agent.reset();
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->current = nullptr;
}

}  // namespace sg
