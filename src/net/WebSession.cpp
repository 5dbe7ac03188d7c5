#include "net/WebSession.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

#include "platform/RunControl.h"

namespace sg {
namespace {

thread_local std::shared_ptr<WebSession> currentSession;

// libcurl closes a connection's socket through the session, which then forgets it.
int CloseSocket(void* session, curl_socket_t fd) {
    static_cast<WebSession*>(session)->RememberSocket(-1, fd);
    return ::close(fd);
}

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

struct WebSession::Handles {
    CURLM* multi = nullptr;
    // The TLS sessions (and names looked up) of the run. Only the session's thread uses it, so
    // it needs no lock.
    CURLSH* share = nullptr;
};

WebSession::WebSession(int perHost)
    : perHost_(std::clamp(perHost, 1, kMaxConnectionsPerHost)),
      handles_(std::make_unique<Handles>()) {
    InitialiseCurlOnce();
    handles_->multi = curl_multi_init();
    handles_->share = curl_share_init();
    curl_share_setopt(handles_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(handles_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    CURLM* multi = handles_->multi;
    curl_multi_setopt(multi, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(perHost_));
    curl_multi_setopt(multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(kTotalConnections));
    // Idle connections are kept for the next request, whatever few transfers run meanwhile
    // (libcurl's default cache follows the number of transfers added).
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, static_cast<long>(kTotalConnections));
    thread_.Start([this] { Loop(); });
}

WebSession::~WebSession() {
    {
        std::lock_guard<std::mutex> lock(postMutex_);
        stopping_ = true;
    }
    Wake();
    thread_.Wait();
    for (const auto& [easy, task] : transfers_) {
        curl_multi_remove_handle(handles_->multi, easy);
    }
    curl_multi_cleanup(handles_->multi);
    curl_share_cleanup(handles_->share);
}

void WebSession::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(postMutex_);
        posted_.push_back(std::move(job));
    }
    Wake();
}

void WebSession::Wake() {
    curl_multi_wakeup(handles_->multi);
}

void WebSession::AddTask(Task* task) {
    if (std::find(tasks_.begin(), tasks_.end(), task) == tasks_.end()) {
        tasks_.push_back(task);
    }
}

void WebSession::RemoveTask(Task* task) {
    std::erase(tasks_, task);
}

bool WebSession::AddTransfer(void* easy, Task* task) {
    curl_easy_setopt(easy, CURLOPT_SHARE, handles_->share);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &CloseSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    if (curl_multi_add_handle(handles_->multi, easy) != CURLM_OK) {
        return false;
    }
    transfers_.emplace_back(easy, task);
    return true;
}

void WebSession::RemoveTransfer(void* easy) {
    const auto found = std::find_if(transfers_.begin(), transfers_.end(),
                                    [easy](const auto& entry) { return entry.first == easy; });
    if (found != transfers_.end()) {
        transfers_.erase(found);
        curl_multi_remove_handle(handles_->multi, easy);
    }
}

void WebSession::RememberSocket(int localPort, int fd) {
    std::erase_if(sockets_, [fd](const auto& entry) { return entry.second == fd; });
    if (localPort > 0) {
        sockets_.emplace_back(localPort, fd);
    }
}

int WebSession::SocketOf(int localPort) const {
    for (const auto& [port, fd] : sockets_) {
        if (port == localPort) {
            return fd;
        }
    }
    return -1;
}

void WebSession::RunPosted() {
    std::vector<std::function<void()>> jobs;
    {
        std::lock_guard<std::mutex> lock(postMutex_);
        jobs.swap(posted_);
    }
    for (std::function<void()>& job : jobs) {
        job();
    }
}

void WebSession::FinishTransfers() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(handles_->multi, &left)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        void* const easy = message->easy_handle;
        const int code = message->data.result;
        const auto found = std::find_if(transfers_.begin(), transfers_.end(),
                                        [easy](const auto& entry) { return entry.first == easy; });
        if (found == transfers_.end()) {
            continue;
        }
        Task* const task = found->second;
        RemoveTransfer(easy);
        task->OnTransferDone(easy, code);
    }
}

WebSession::Clock::time_point WebSession::TickTasks() {
    Clock::time_point next = Clock::time_point::max();
    const Clock::time_point now = Clock::now();
    // A task may end (and leave the list) while it is ticked.
    const std::vector<Task*> ticking = tasks_;
    for (Task* task : ticking) {
        if (std::find(tasks_.begin(), tasks_.end(), task) != tasks_.end()) {
            next = std::min(next, task->OnTick(now));
        }
    }
    return next;
}

void WebSession::Loop() {
    for (;;) {
        RunPosted();
        {
            std::lock_guard<std::mutex> lock(postMutex_);
            if (stopping_ && tasks_.empty() && posted_.empty()) {
                return;
            }
        }
        int running = 0;
        curl_multi_perform(handles_->multi, &running);
        FinishTransfers();
        const Clock::time_point next = TickTasks();
        long wait = RunControl::kWaitSliceMs;
        long curlWait = -1;
        if (curl_multi_timeout(handles_->multi, &curlWait) == CURLM_OK && curlWait >= 0) {
            wait = std::min(wait, curlWait);
        }
        if (next != Clock::time_point::max()) {
            const auto until = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
            wait = std::clamp<long>(static_cast<long>(until.count()), 0, wait);
        }
        curl_multi_poll(handles_->multi, nullptr, 0, static_cast<int>(wait), nullptr);
    }
}

std::shared_ptr<WebSession> WebSession::Current() {
    return currentSession;
}

WebSession::Scope::Scope(std::shared_ptr<WebSession> session) : previous_(currentSession) {
    currentSession = std::move(session);
}

WebSession::Scope::~Scope() {
    currentSession = std::move(previous_);
}

}  // namespace sg
