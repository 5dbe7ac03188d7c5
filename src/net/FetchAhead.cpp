#include "net/FetchAhead.h"

#include <algorithm>
#include <chrono>
#include <future>

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

// Every fetch of the crawl: the proxy settings, and answers compressed where the site can, as
// browsers are sent them (the body is read decoded).
void PrepareClient(CWebClient& client) {
    ApplyProxySettings(client);
    client.SetOffersCompression(true);
}

}  // namespace

FetchAhead::FetchAhead(int perHost, bool pageAfterMissingHead)
    : perHost_(std::clamp(perHost, 1, kTotalConnections)),
      pageAfterMissingHead_(pageAfterMissingHead),
      control_(RunControl::Current()),
      session_(WebSession::Current()) {
    if (session_ == nullptr) {
        session_ = std::make_shared<WebSession>(perHost_);
    }
}

FetchAhead::~FetchAhead() {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
    control_.RequestCancel();
    session_->Wake();
    // Each fetch in flight ends within a slice of the cancel.
    changed_.wait(lock, [this] { return running_ == 0; });
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
    Pump();
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
    if (slowHosts_.count(host) != 0) {
        return 1;
    }
    return multiplexedHosts_.count(host) != 0 ? std::max(perHost_, kRequestsPerMultiplexedHost)
                                              : perHost_;
}

void FetchAhead::NoteAnswer(const std::string& host, const CWebClient& client) {
    if (AsksToSlowDown(client)) {
        slowHosts_.insert(host);
    }
    if (client.Multiplexed()) {
        multiplexedHosts_.insert(host);
    }
}

FetchAhead::EntryPtr FetchAhead::NextRunnable() {
    if (stopping_ || held_ >= kHeldBytes || heldCount_ + running_ >= kMaxAhead) {
        return nullptr;
    }
    // Hosts of one connection per request in flight count against the total.
    int total = 0;
    for (const auto& [host, count] : inFlight_) {
        if (multiplexedHosts_.count(host) == 0) {
            total += count;
        }
    }
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        const std::string& host = (*it)->host;
        const bool multiplexed = multiplexedHosts_.count(host) != 0;
        if (inFlight_[host] < HostLimit(host) && (multiplexed || total < kTotalConnections)) {
            EntryPtr entry = *it;
            queue_.erase(it);
            return entry;
        }
    }
    return nullptr;
}

void FetchAhead::Pump() {
    while (EntryPtr entry = NextRunnable()) {
        Start(entry);
    }
}

void FetchAhead::Start(const EntryPtr& entry) {
    entry->started = true;
    ++inFlight_[entry->host];
    ++running_;
    entry->client = std::make_unique<CWebClient>();
    PrepareClient(*entry->client);
    Entry& started = *entry;
    // The entry outlives its fetch: it stays in pending_ until it is taken, and whoever takes
    // it waits for it to be done.
    entry->client->StartFetch(*session_, entry->request.first == Kind::Head, entry->request.second,
                              kAttempts, control_,
                              [this, &started](int result) { Done(started, result); });
}

void FetchAhead::Done(Entry& entry, int result) {
    std::lock_guard<std::mutex> lock(mutex_);
    --inFlight_[entry.host];
    --running_;
    ++heldCount_;
    NoteAnswer(entry.host, *entry.client);
    entry.result = result;
    entry.bytes = AnswerBytes(*entry.client);
    entry.done = true;
    held_ += entry.bytes;
    if (pageAfterMissingHead_ && entry.request.first == Kind::Head && prefetching_ && !stopping_ &&
        entry.client->HeaderText().find("404") != std::string::npos) {
        auto page = std::make_shared<Entry>();
        page->request = Request(Kind::Page, entry.request.second);
        page->host = entry.host;
        pending_[page->request].push_back(page);
        seen_.insert(page->request);
        queue_.push_front(std::move(page));
    }
    Pump();
    changed_.notify_all();
}

std::unique_ptr<CWebClient> FetchAhead::FetchHere(Kind kind, const std::string& address,
                                                  int& result) {
    auto client = std::make_unique<CWebClient>();
    PrepareClient(*client);
    RunControl& control = RunControl::Current();
    std::promise<int> answer;
    std::future<int> answered = answer.get_future();
    client->StartFetch(*session_, kind == Kind::Head, address, kAttempts, control,
                       [&answer](int value) { answer.set_value(value); });
    while (answered.wait_for(std::chrono::milliseconds(RunControl::kWaitSliceMs)) !=
           std::future_status::ready) {
        if (control.CancelRequested()) {
            session_->Wake();
        }
    }
    result = answered.get();
    return client;
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
            Pump();
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
    std::unique_ptr<CWebClient> client = FetchHere(kind, address, result);
    lock.lock();
    --inFlight_[host];
    NoteAnswer(host, *client);
    Pump();
    changed_.notify_all();
    return client;
}

std::unique_ptr<CWebClient> FetchAhead::TakeOrFetch(Kind kind, const std::string& address,
                                                    int& result) {
    if (FetchAhead* ahead = Current()) {
        return ahead->Take(kind, address, result);
    }
    auto client = std::make_unique<CWebClient>();
    PrepareClient(*client);
    // The client rewrites the address in place.
    std::string copy = address;
    result = kind == Kind::Page ? client->FetchPageRetrying(copy.data(), kAttempts)
                                : client->FetchHeadRetrying(copy.data(), kAttempts);
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
