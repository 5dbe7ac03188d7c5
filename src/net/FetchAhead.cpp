#include "net/FetchAhead.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "net/ApplyProxySettings.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

thread_local FetchAhead* currentAhead = nullptr;

std::size_t AnswerBytes(const CWebClient& client) {
    std::size_t bytes = client.BodyText().size();
    for (const std::string& line : client.Result().headerLines) {
        bytes += line.size();
    }
    return bytes;
}

// "HTTP/1.1 429 Too Many Requests" and "... 503 Service Unavailable" ask a client to slow down.
bool AsksToSlowDown(const CWebClient& client) {
    const int code = client.StatusCode();
    return code == 429 || code == 503;
}

}  // namespace

FetchAhead::FetchAhead(int perHost, bool pageAfterMissingHead)
    : perHost_(std::clamp(perHost, 1, kTotalConnections)),
      pageAfterMissingHead_(pageAfterMissingHead),
      control_(RunControl::Current()) {}

FetchAhead::~FetchAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    control_.RequestCancel();
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

std::string FetchAhead::HostKey(const std::string& address) {
    std::string_view rest(address);
    if (EqualsNoCase(rest.substr(0, 7), "http://")) {
        rest.remove_prefix(7);
    } else if (EqualsNoCase(rest.substr(0, 8), "https://")) {
        rest.remove_prefix(8);
    }
    std::string host(rest.substr(0, rest.find_first_of("/\\?#")));
    for (char& c : host) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return host;
}

int FetchAhead::Fetch(Kind kind, const std::string& address, CWebClient& client) {
    ApplyProxySettings(client);
    // Sites answer as they do browsers, compressed where they can; the body is read decoded.
    client.SetOffersCompression(true);
    // The client rewrites the address in place.
    std::string copy = address;
    return kind == Kind::Page ? client.FetchPageRetrying(copy.data(), kAttempts)
                              : client.FetchHeadRetrying(copy.data(), kAttempts);
}

void FetchAhead::Prefetch(const std::vector<Request>& requests) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || !prefetching_ || perHost_ <= 1) {
        seen_.insert(requests.begin(), requests.end());
        return;
    }
    std::vector<EntryPtr> entries;
    entries.reserve(requests.size());
    for (const Request& request : requests) {
        auto entry = std::make_shared<Entry>();
        entry->request = request;
        entry->host = HostKey(request.second);
        pending_[request].push_back(entry);
        seen_.insert(request);
        entries.push_back(std::move(entry));
    }
    queue_.insert(queue_.begin(), entries.begin(), entries.end());
    // A thread for each fetch that can start, up to the total.
    const std::size_t wanted = std::min<std::size_t>(queue_.size(), kTotalConnections);
    while (threads_.size() < wanted && static_cast<std::size_t>(idle_) < queue_.size()) {
        threads_.emplace_back([this] { Work(); });
        ++idle_;
    }
    changed_.notify_all();
}

bool FetchAhead::Seen(Kind kind, const std::string& address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_.count(Request(kind, address)) != 0;
}

void FetchAhead::StopPrefetching() {
    std::lock_guard<std::mutex> lock(mutex_);
    prefetching_ = false;
    for (const EntryPtr& entry : queue_) {
        auto pending = pending_.find(entry->request);
        if (pending != pending_.end()) {
            std::erase(pending->second, entry);
            if (pending->second.empty()) {
                pending_.erase(pending);
            }
        }
    }
    queue_.clear();
}

int FetchAhead::HostLimit(const std::string& host) const {
    return slowHosts_.count(host) != 0 ? 1 : perHost_;
}

void FetchAhead::NoteAnswer(const std::string& host, const CWebClient& client) {
    if (AsksToSlowDown(client)) {
        slowHosts_.insert(host);
    }
}

FetchAhead::EntryPtr FetchAhead::NextRunnable() {
    if (held_ >= kHeldBytes || heldCount_ + running_ >= kMaxAhead) {
        return nullptr;
    }
    int total = 0;
    for (const auto& [host, count] : inFlight_) {
        total += count;
    }
    if (total >= kTotalConnections) {
        return nullptr;
    }
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (inFlight_[(*it)->host] < HostLimit((*it)->host)) {
            EntryPtr entry = *it;
            queue_.erase(it);
            return entry;
        }
    }
    return nullptr;
}

void FetchAhead::Work() {
    RunControl::Scope scope(control_);
    std::unique_lock<std::mutex> lock(mutex_);
    // Counted idle by Prefetch when it made this thread.
    for (;;) {
        EntryPtr entry;
        while (!stopping_ && (entry = NextRunnable()) == nullptr) {
            changed_.wait(lock);
        }
        if (stopping_) {
            --idle_;
            return;
        }
        --idle_;
        entry->started = true;
        ++inFlight_[entry->host];
        ++running_;
        lock.unlock();
        auto client = std::make_unique<CWebClient>();
        const int result = Fetch(entry->request.first, entry->request.second, *client);
        lock.lock();
        --inFlight_[entry->host];
        --running_;
        ++heldCount_;
        NoteAnswer(entry->host, *client);
        entry->result = result;
        entry->bytes = AnswerBytes(*client);
        entry->client = std::move(client);
        entry->done = true;
        held_ += entry->bytes;
        if (pageAfterMissingHead_ && entry->request.first == Kind::Head && prefetching_ &&
            entry->client->HeaderText().find("404") != std::string::npos) {
            auto page = std::make_shared<Entry>();
            page->request = Request(Kind::Page, entry->request.second);
            page->host = entry->host;
            pending_[page->request].push_back(page);
            seen_.insert(page->request);
            queue_.push_front(std::move(page));
        }
        ++idle_;
        changed_.notify_all();
    }
}

std::unique_ptr<CWebClient> FetchAhead::Take(Kind kind, const std::string& address, int& result) {
    const Request request(kind, address);
    std::unique_lock<std::mutex> lock(mutex_);
    seen_.insert(request);
    auto pending = pending_.find(request);
    if (pending != pending_.end()) {
        EntryPtr entry = pending->second.front();
        pending->second.pop_front();
        if (pending->second.empty()) {
            pending_.erase(pending);
        }
        if (entry->started) {
            changed_.wait(lock, [&] { return entry->done; });
            held_ -= entry->bytes;
            --heldCount_;
            result = entry->result;
            // Room for the next fetch ahead.
            changed_.notify_all();
            return std::move(entry->client);
        }
        std::erase(queue_, entry);
    }
    // Not started yet: fetched here, within the host's limit.
    const std::string host = HostKey(address);
    while (inFlight_[host] >= HostLimit(host) && !RunCancelled()) {
        changed_.wait_for(lock, std::chrono::milliseconds(RunControl::kWaitSliceMs));
    }
    ++inFlight_[host];
    lock.unlock();
    auto client = std::make_unique<CWebClient>();
    result = Fetch(kind, address, *client);
    lock.lock();
    --inFlight_[host];
    NoteAnswer(host, *client);
    changed_.notify_all();
    return client;
}

std::unique_ptr<CWebClient> FetchAhead::TakeOrFetch(Kind kind, const std::string& address,
                                                    int& result) {
    if (FetchAhead* ahead = Current()) {
        return ahead->Take(kind, address, result);
    }
    auto client = std::make_unique<CWebClient>();
    result = Fetch(kind, address, *client);
    return client;
}

FetchAhead* FetchAhead::Current() {
    return currentAhead;
}

FetchAhead::Scope::Scope(FetchAhead& ahead) : previous_(currentAhead) {
    currentAhead = &ahead;
}

FetchAhead::Scope::~Scope() {
    currentAhead = previous_;
}

}  // namespace sg
