#include "net/DevToolsPipe.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/RunControl.h"

namespace sg {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kSlice(RunControl::kWaitSliceMs);

}  // namespace

DevToolsPipe::DevToolsPipe(int readFd, int writeFd) : readFd_(readFd), writeFd_(writeFd) {
    reader_.Start([this] { ReadLoop(); });
}

DevToolsPipe::~DevToolsPipe() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        closed_ = true;
    }
    changed_.notify_all();
    reader_.Wait();
}

bool DevToolsPipe::Closed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

void DevToolsPipe::Wake() {
    changed_.notify_all();
}

void DevToolsPipe::ReadLoop() {
    std::string buffer;
    std::size_t scanned = 0;
    char chunk[65536];
    while (true) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                return;
            }
        }
        pollfd want{readFd_, POLLIN, 0};
        const int ready = ::poll(&want, 1, RunControl::kWaitSliceMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        bool ended = ready < 0;
        if (ready > 0) {
            const ssize_t got = ::read(readFd_, chunk, sizeof chunk);
            if (got > 0) {
                buffer.append(chunk, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                ended = true;
            }
        }
        // Whole messages end with a NUL; only the bytes not yet looked at are searched.
        std::size_t start = 0;
        for (std::size_t nul = buffer.find('\0', scanned); nul != std::string::npos;
             nul = buffer.find('\0', start)) {
            Dispatch(std::string_view(buffer).substr(start, nul - start));
            start = nul + 1;
        }
        buffer.erase(0, start);
        scanned = buffer.size();
        if (buffer.size() > kMaxMessageBytes) {
            ended = true;
        }
        if (ended) {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            changed_.notify_all();
            return;
        }
    }
}

void DevToolsPipe::Dispatch(std::string_view text) {
    nlohmann::json message = nlohmann::json::parse(text, nullptr, false);
    if (message.is_discarded() || !message.is_object()) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const auto id = message.find("id");
    if (id != message.end() && id->is_number_integer()) {
        const auto waiting = pending_.find(id->get<long long>());
        if (waiting == pending_.end()) {
            return;
        }
        waiting->second.done = true;
        if (const auto error = message.find("error"); error != message.end()) {
            waiting->second.error = true;
            waiting->second.result = std::move(*error);
        } else if (const auto result = message.find("result"); result != message.end()) {
            waiting->second.result = std::move(*result);
        }
        changed_.notify_all();
        return;
    }
    const auto method = message.find("method");
    if (method == message.end() || !method->is_string()) {
        return;
    }
    DevToolsEvent event{method->get<std::string>(), nlohmann::json::object()};
    if (const auto params = message.find("params"); params != message.end()) {
        event.params = std::move(*params);
    }
    std::string session;
    if (const auto named = message.find("sessionId");
        named != message.end() && named->is_string()) {
        session = named->get<std::string>();
    } else if (event.method == "Target.detachedFromTarget") {
        session = event.params.value("sessionId", std::string());
    } else if (event.method == "Target.targetCrashed") {
        // Named by target: it goes to the session attached to that target.
        const std::string target = event.params.value("targetId", std::string());
        for (const auto& [name, queue] : sessions_) {
            if (!target.empty() && queue.targetId == target) {
                session = name;
            }
        }
    }
    const auto queue = sessions_.find(session);
    if (queue == sessions_.end()) {
        return;
    }
    if (queue->second.events.size() >= kMaxQueuedEvents) {
        queue->second.events.pop_front();
    }
    queue->second.events.push_back(std::move(event));
    changed_.notify_all();
}

bool DevToolsPipe::Send(const std::string& text, Clock::time_point until) {
    std::lock_guard<std::mutex> lock(writeMutex_);
    std::size_t sent = 0;
    while (sent < text.size()) {
        if (Closed() || Clock::now() >= until) {
            return false;
        }
        const ssize_t wrote =
            ::send(writeFd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        pollfd want{writeFd_, POLLOUT, 0};
        ::poll(&want, 1, RunControl::kWaitSliceMs);
    }
    return true;
}

int DevToolsPipe::Call(const std::string& session, const std::string& method, nlohmann::json params,
                       std::chrono::milliseconds bound, RunControl& control,
                       nlohmann::json* result) {
    const Clock::time_point until = Clock::now() + bound;
    long long id = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) {
            return kClosed;
        }
        id = nextId_++;
        pending_.emplace(id, Pending{});
    }
    nlohmann::json message = {{"id", id}, {"method", method}, {"params", std::move(params)}};
    if (!session.empty()) {
        message["sessionId"] = session;
    }
    std::string text = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    text.push_back('\0');
    const bool sent = Send(text, until);
    std::unique_lock<std::mutex> lock(mutex_);
    int code = kTimedOut;
    if (!sent) {
        code = closed_ ? kClosed : kTimedOut;
    } else {
        while (true) {
            Pending& waiting = pending_[id];
            if (waiting.done) {
                code = waiting.error ? kRefused : kAnswered;
                if (result != nullptr) {
                    *result = std::move(waiting.result);
                }
                break;
            }
            if (closed_) {
                code = kClosed;
                break;
            }
            if (control.CancelRequested()) {
                code = kCancelled;
                break;
            }
            const Clock::time_point now = Clock::now();
            if (now >= until) {
                break;
            }
            changed_.wait_for(lock, std::min<Clock::duration>(kSlice, until - now));
        }
    }
    pending_.erase(id);
    return code;
}

void DevToolsPipe::Listen(const std::string& session, const std::string& targetId) {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_[session].targetId = targetId;
}

void DevToolsPipe::Forget(const std::string& session) {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_.erase(session);
}

int DevToolsPipe::NextEvent(const std::string& session, std::chrono::milliseconds bound,
                            RunControl& control, DevToolsEvent& event) {
    const Clock::time_point until = Clock::now() + bound;
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        const auto queue = sessions_.find(session);
        if (queue != sessions_.end() && !queue->second.events.empty()) {
            event = std::move(queue->second.events.front());
            queue->second.events.pop_front();
            return kAnswered;
        }
        if (closed_) {
            return kClosed;
        }
        if (control.CancelRequested()) {
            return kCancelled;
        }
        const Clock::time_point now = Clock::now();
        if (now >= until) {
            return kTimedOut;
        }
        changed_.wait_for(lock, std::min<Clock::duration>(kSlice, until - now));
    }
}

}  // namespace sg
