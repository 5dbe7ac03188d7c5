#include "net/FetchAhead.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "net/AnswerRules.h"
#include "net/CWebClient.h"
#include "net/HttpTransfer.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

std::size_t AnswerBytes(const Answer& answer) {
    std::size_t bytes = answer.BodyBytes();
    for (const std::string& line : answer.headerLines) {
        bytes += line.size();
    }
    return bytes;
}

// "HTTP/1.1 429 Too Many Requests" and "... 503 Service Unavailable" ask a client to slow down.
bool AsksToSlowDown(const Answer& answer) {
    const int code = answer.StatusCode();
    return code == 429 || code == 503;
}

// The request of an address; nullopt when it is no address at all.
std::optional<FetchRequest> RequestOf(FetchAhead::Kind kind, const std::string& address) {
    std::optional<Url> url = Url::Parse(address);
    if (!url) {
        return std::nullopt;
    }
    FetchRequest request(std::move(*url), kind == FetchAhead::Kind::Head);
    request.anyBody = kind == FetchAhead::Kind::Body;
    request.attempts = FetchAhead::kAttempts;
    return request;
}

// The most a fetch of `kind` (RequestOf's request) can hold before its answer arrives: its
// head, and its body unless it is a HEAD.
std::size_t MostHeld(FetchAhead::Kind kind) {
    return HttpTransfer::kMaxHeadBytes +
           (kind == FetchAhead::Kind::Head ? 0 : CWebClient::kDefaultBodyCap);
}

Answer NoAddress(const std::string& address) {
    Answer answer;
    answer.result = Answer::kBadAddress;
    answer.url = address;
    answer.finalUrl = address;
    return answer;
}

}  // namespace

FetchAhead::FetchAhead(Fetcher& fetcher, int perHost, bool pageAfterMissingHead)
    : perHost_(std::clamp(perHost, 1, kTotalConnections)),
      pageAfterMissingHead_(pageAfterMissingHead),
      fetcher_(fetcher),
      control_(RunControl::Current()) {}

FetchAhead::~FetchAhead() {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
    control_.RequestCancel();
    fetcher_.Wake();
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
        std::string host = HostKey(request.second);
        // A spaced host's requests are the walk's own, made at their time.
        if (SpacingOf(host).count() > 0) {
            seen_.insert(request);
            continue;
        }
        auto entry = std::make_shared<Entry>();
        entry->request = request;
        entry->host = std::move(host);
        pending_[request].push_back(entry);
        seen_.insert(request);
        ++queuedOf_[entry->host];
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
    queuedOf_.clear();
    droppedInQueue_ = 0;
}

void FetchAhead::SetSpacing(std::chrono::milliseconds spacing) {
    std::lock_guard<std::mutex> lock(mutex_);
    spacing_ = spacing;
    DropSpacedEntries();
}

void FetchAhead::SetHostSpacing(const std::string& host, std::chrono::milliseconds spacing) {
    std::lock_guard<std::mutex> lock(mutex_);
    hostSpacing_[host] = spacing;
    DropSpacedEntries();
}

std::chrono::milliseconds FetchAhead::SpacingOf(const std::string& host) const {
    const auto found = hostSpacing_.find(host);
    return found != hostSpacing_.end() ? std::max(spacing_, found->second) : spacing_;
}

void FetchAhead::DropQueued(const Request& request) {
    auto pending = pending_.find(request);
    if (pending == pending_.end()) {
        return;
    }
    std::erase_if(pending->second, [this](const EntryPtr& entry) {
        if (entry->started) {
            return false;
        }
        DropEntry(entry);
        return true;
    });
    if (pending->second.empty()) {
        pending_.erase(pending);
    }
}

void FetchAhead::DropEntry(const EntryPtr& entry) {
    if (entry->dropped) {
        return;
    }
    entry->dropped = true;
    --queuedOf_[entry->host];
    ++droppedInQueue_;
    if (droppedInQueue_ * 2 > queue_.size()) {
        std::erase_if(queue_, [](const EntryPtr& queued) { return queued->dropped; });
        droppedInQueue_ = 0;
    }
}

void FetchAhead::DropSpacedEntries() {
    std::deque<EntryPtr> kept;
    for (EntryPtr& entry : queue_) {
        if (entry->dropped) {
            continue;
        }
        if (SpacingOf(entry->host).count() == 0) {
            kept.push_back(std::move(entry));
            continue;
        }
        --queuedOf_[entry->host];
        auto pending = pending_.find(entry->request);
        if (pending != pending_.end()) {
            std::erase(pending->second, entry);
            if (pending->second.empty()) {
                pending_.erase(pending);
            }
        }
    }
    queue_.swap(kept);
    droppedInQueue_ = 0;
}

bool FetchAhead::HostHasRoom(const std::string& host, int total) const {
    const auto flying = inFlight_.find(host);
    const int inFlight = flying != inFlight_.end() ? flying->second : 0;
    return inFlight < HostLimit(host) &&
           (multiplexedHosts_.count(host) != 0 || total < kTotalConnections);
}

bool FetchAhead::AnyHostHasRoom(int total) const {
    for (const auto& [host, queued] : queuedOf_) {
        if (queued > 0 && HostHasRoom(host, total)) {
            return true;
        }
    }
    return false;
}

int FetchAhead::HostLimit(const std::string& host) const {
    if (slowHosts_.count(host) != 0 || SpacingOf(host).count() > 0) {
        return 1;
    }
    return multiplexedHosts_.count(host) != 0 ? std::max(perHost_, kRequestsPerMultiplexedHost)
                                              : perHost_;
}

void FetchAhead::NoteAnswer(const std::string& host, const Answer& answer) {
    if (AsksToSlowDown(answer)) {
        slowHosts_.insert(host);
    }
    if (answer.multiplexed) {
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
    // Dropped entries at the front go at once; when no host of a queued entry has room, the
    // queue is not walked at all (a long queue for one busy host costs nothing per answer).
    while (!queue_.empty() && queue_.front()->dropped) {
        queue_.pop_front();
        --droppedInQueue_;
    }
    if (!AnyHostHasRoom(total)) {
        return nullptr;
    }
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if ((*it)->dropped) {
            continue;
        }
        const std::string& host = (*it)->host;
        // Every fetch in flight may fill its cap at once (64 streams on one HTTP/2 connection):
        // what they may hold together is bounded, heads being small enough to go on.
        const bool fits =
            running_ == 0 || reserved_ + MostHeld((*it)->request.first) <= kInFlightBytes;
        if (fits && HostHasRoom(host, total)) {
            EntryPtr entry = *it;
            queue_.erase(it);
            --queuedOf_[host];
            return entry;
        }
    }
    return nullptr;
}

void FetchAhead::Pump() {
    while (EntryPtr entry = NextRunnable()) {
        StartEntry(entry);
    }
}

void FetchAhead::StartEntry(const EntryPtr& entry) {
    entry->started = true;
    std::optional<FetchRequest> request = RequestOf(entry->request.first, entry->request.second);
    if (!request) {
        // No address: answered at once, held as any answer ahead until it is taken.
        entry->answer = NoAddress(entry->request.second);
        entry->done = true;
        ++heldCount_;
        return;
    }
    ++inFlight_[entry->host];
    ++running_;
    reserved_ += MostHeld(entry->request.first);
    lastStart_[entry->host] = std::chrono::steady_clock::now();
    Entry& started = *entry;
    // The entry outlives its fetch: it stays in pending_ until it is taken, and whoever takes
    // it waits for it to be done.
    fetcher_.Start(*request, control_,
                   [this, &started](Answer answer) { Arrived(started, std::move(answer)); });
}

void FetchAhead::Arrived(Entry& entry, Answer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    --inFlight_[entry.host];
    --running_;
    reserved_ -= MostHeld(entry.request.first);
    ++heldCount_;
    // A spaced host's next request waits from this answer on, so that the host sees the whole
    // gap between its requests whatever the round trip.
    lastStart_[entry.host] = std::chrono::steady_clock::now();
    NoteAnswer(entry.host, answer);
    entry.bytes = AnswerBytes(answer);
    // The walk reads the page of a head that cannot judge it: one that holds "404" without a
    // status that says broken, or a server that does not do HEAD.
    const int status = answer.StatusCode();
    const bool missing =
        HeadNeedsGet(status) ||
        ((status < 400 || status > 599) && answer.HeaderText().find("404") != std::string::npos);
    const bool styleSheet = status >= 200 && status <= 299 && answer.IsStyleSheet();
    entry.answer = std::move(answer);
    entry.done = true;
    held_ += entry.bytes;
    if (pageAfterMissingHead_ && entry.request.first == Kind::Head && prefetching_ && !stopping_ &&
        (missing || styleSheet) && SpacingOf(entry.host).count() == 0) {
        auto page = std::make_shared<Entry>();
        page->request = Request(styleSheet ? Kind::Body : Kind::Page, entry.request.second);
        page->host = entry.host;
        pending_[page->request].push_back(page);
        seen_.insert(page->request);
        ++queuedOf_[page->host];
        queue_.push_front(std::move(page));
    }
    Pump();
    changed_.notify_all();
}

Answer FetchAhead::Take(Kind kind, const std::string& address) {
    std::optional<FetchRequest> request = RequestOf(kind, address);
    if (!request) {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.insert(Request(kind, address));
        return NoAddress(address);
    }
    return TakeRequest(Request(kind, address), *request);
}

Answer FetchAhead::Fetch(const FetchRequest& request) {
    return TakeRequest(
        Request(request.head ? Kind::Head : (request.anyBody ? Kind::Body : Kind::Page),
                std::string(request.url.FetchKey())),
        request);
}

Answer FetchAhead::TakeRequest(const Request& request, const FetchRequest& asked) {
    std::unique_lock<std::mutex> lock(mutex_);
    seen_.insert(request);
    if (request.first != Kind::Head) {
        // A GET's answer judges the address: a head of it queued ahead is not asked any more.
        DropQueued(Request(Kind::Head, request.second));
    }
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
            // Room for the next fetch ahead.
            Pump();
            return std::move(entry->answer);
        }
        DropEntry(entry);
    }
    // Not started yet: fetched here, within the host's limit and at its time.
    const std::string host = HostKey(request.second);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const auto last = lastStart_.find(host);
        const auto due = last != lastStart_.end() ? last->second + SpacingOf(host) : now;
        if (RunCancelled() || (inFlight_[host] < HostLimit(host) && due <= now)) {
            break;
        }
        const auto slice = std::chrono::milliseconds(RunControl::kWaitSliceMs);
        changed_.wait_for(
            lock,
            due > now ? std::min<std::chrono::steady_clock::duration>(due - now, slice) : slice);
    }
    ++inFlight_[host];
    lastStart_[host] = std::chrono::steady_clock::now();
    lock.unlock();
    Answer answer = fetcher_.Fetch(asked);
    lock.lock();
    --inFlight_[host];
    lastStart_[host] = std::chrono::steady_clock::now();
    NoteAnswer(host, answer);
    Pump();
    changed_.notify_all();
    return answer;
}

void FetchAhead::Start(const FetchRequest& request, RunControl& control, Done done) {
    fetcher_.Start(request, control, std::move(done));
}

void FetchAhead::Wake() {
    fetcher_.Wake();
}

}  // namespace sg
