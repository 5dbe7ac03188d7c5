#include "net/FetchAhead.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "net/AnswerRules.h"
#include "net/CWebClient.h"
#include "net/HttpTransfer.h"
#include "net/RenderFacts.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

std::size_t AnswerBytes(const Answer& answer) {
    std::size_t bytes = answer.BodyBytes();
    for (const std::string& line : answer.headerLines) {
        bytes += line.size();
    }
    // A rendered page also holds what the server sent and the browser's requests.
    if (answer.rendered != nullptr) {
        bytes += answer.rendered->sourceBody.size();
        for (const RenderedRequest& request : answer.rendered->requests) {
            bytes += sizeof(RenderedRequest) + request.url.size();
        }
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
    for (WorkQueue& queue : queues_) {
        queue.entries.clear();
    }
    unread_.clear();
    control_.RequestCancel();
    fetcher_.Wake();
    // Each fetch in flight ends within a slice of the cancel.
    changed_.wait(lock, [this] { return running_ == 0; });
}

std::string FetchAhead::HostKey(std::string_view address) {
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

FetchAhead::Id FetchAhead::NoteSeen(Kind kind, std::string_view address) {
    const Id id = addresses_.Intern(address);
    if (id >= seenKinds_.size()) {
        seenKinds_.resize(id + 1, 0);
    }
    const auto bit = static_cast<std::uint8_t>(1u << static_cast<unsigned>(kind));
    if (kind == Kind::Page && (seenKinds_[id] & bit) == 0) {
        ++pagesSeen_;
    }
    seenKinds_[id] |= bit;
    return id;
}

int FetchAhead::HostOf(std::string_view address) {
    auto [found, added] = hostIndex_.try_emplace(HostKey(address), static_cast<int>(hosts_.size()));
    if (added) {
        hosts_.emplace_back();
    }
    return found->second;
}

FetchAhead::EntryPtr FetchAhead::Enqueue(Kind kind, Id address, int host, bool later) {
    auto entry = std::make_shared<Entry>();
    entry->kind = kind;
    entry->address = address;
    entry->host = host;
    entry->later = later;
    ++hosts_[host].queued;
    if (later) {
        queues_[1].entries.push_back(entry);
    } else {
        queues_[0].entries.push_front(entry);
    }
    return entry;
}

void FetchAhead::Queue(Kind kind, Id address, int host, bool later) {
    pending_[KeyOf(kind, address)].push_back(Enqueue(kind, address, host, later));
}

void FetchAhead::Prefetch(const std::vector<Request>& requests, Order order) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool ahead = !stopping_ && prefetching_ && perHost_ > 1;
    const bool later = order == Order::Later;
    // Next: the first request ends up first in the queue.
    const auto each = [&](const Request& request) {
        const Id id = NoteSeen(request.first, request.second);
        if (!ahead) {
            return;
        }
        const int host = HostOf(request.second);
        // A spaced host's requests are the walk's own, made at their time.
        if (SpacingOf(hosts_[host]).count() == 0) {
            Queue(request.first, id, host, later);
        }
    };
    if (later) {
        std::for_each(requests.begin(), requests.end(), each);
    } else {
        std::for_each(requests.rbegin(), requests.rend(), each);
    }
    if (ahead) {
        Pump();
    }
}

void FetchAhead::Hurry(const std::vector<Request>& requests) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || !prefetching_) {
        return;
    }
    bool moved = false;
    // Each goes to the front: the first request ends up first.
    for (auto request = requests.rbegin(); request != requests.rend(); ++request) {
        const Id id = addresses_.Find(request->second);
        const auto pending =
            id == AddressTable::kNone ? pending_.end() : pending_.find(KeyOf(request->first, id));
        if (pending == pending_.end()) {
            continue;
        }
        for (EntryPtr& entry : pending->second) {
            if (!entry->later || entry->Gone()) {
                continue;
            }
            // The later entry is left in its queue, dropped; a new one takes its place in the
            // pending takes and at the front of the next needs.
            DropEntry(entry);
            entry = Enqueue(request->first, id, entry->host, false);
            moved = true;
            break;
        }
    }
    if (moved) {
        Pump();
    }
}

bool FetchAhead::Seen(Kind kind, std::string_view address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Id id = addresses_.Find(address);
    return id != AddressTable::kNone && id < seenKinds_.size() &&
           (seenKinds_[id] & (1u << static_cast<unsigned>(kind))) != 0;
}

int FetchAhead::PagesSeen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pagesSeen_;
}

void FetchAhead::SetReader(Reader reader) {
    std::lock_guard<std::mutex> lock(mutex_);
    reader_ = std::move(reader);
}

void FetchAhead::Unpend(const EntryPtr& entry) {
    auto pending = pending_.find(KeyOf(entry->kind, entry->address));
    if (pending != pending_.end()) {
        std::erase(pending->second, entry);
        if (pending->second.empty()) {
            pending_.erase(pending);
        }
    }
}

void FetchAhead::StopPrefetching() {
    std::lock_guard<std::mutex> lock(mutex_);
    prefetching_ = false;
    for (WorkQueue& queue : queues_) {
        for (const EntryPtr& entry : queue.entries) {
            if (!entry->dropped && !entry->started) {
                Unpend(entry);
            }
        }
        queue = WorkQueue();
    }
    for (Host& host : hosts_) {
        host.queued = 0;
    }
    unread_.clear();
}

void FetchAhead::SetSpacing(std::chrono::milliseconds spacing) {
    std::lock_guard<std::mutex> lock(mutex_);
    spacing_ = spacing;
    DropSpacedEntries();
}

void FetchAhead::SetHostSpacing(const std::string& host, std::chrono::milliseconds spacing) {
    std::lock_guard<std::mutex> lock(mutex_);
    hosts_[HostOf(host)].spacing = spacing;
    DropSpacedEntries();
}

std::chrono::milliseconds FetchAhead::SpacingOf(const Host& host) const {
    return std::max(spacing_, host.spacing);
}

void FetchAhead::DropQueued(Kind kind, Id address) {
    auto pending = pending_.find(KeyOf(kind, address));
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
    --hosts_[entry->host].queued;
    LeftInPlace(queues_[entry->later ? 1 : 0]);
}

void FetchAhead::LeftInPlace(WorkQueue& queue) {
    if (++queue.gone * 2 > queue.entries.size()) {
        std::erase_if(queue.entries, [](const EntryPtr& entry) { return entry->Gone(); });
        queue.gone = 0;
    }
}

void FetchAhead::DropSpacedEntries() {
    for (WorkQueue& queue : queues_) {
        std::deque<EntryPtr> kept;
        for (EntryPtr& entry : queue.entries) {
            if (entry->Gone()) {
                continue;
            }
            if (SpacingOf(hosts_[entry->host]).count() == 0) {
                kept.push_back(std::move(entry));
                continue;
            }
            --hosts_[entry->host].queued;
            Unpend(entry);
        }
        queue.entries.swap(kept);
        queue.gone = 0;
    }
}

bool FetchAhead::HostHasRoom(const Host& host, int total) const {
    // The walk waiting to fetch on the spot has the next free connection.
    return host.inFlight + host.walkWaiting < HostLimit(host) &&
           (host.multiplexed || total < kTotalConnections);
}

bool FetchAhead::AnyHostHasRoom(int total) const {
    return std::any_of(hosts_.begin(), hosts_.end(), [&](const Host& host) {
        return host.queued > 0 && HostHasRoom(host, total);
    });
}

int FetchAhead::HostLimit(const Host& host) const {
    if (host.slow || SpacingOf(host).count() > 0) {
        return 1;
    }
    return host.multiplexed ? perHost_ * kStreamsPerConnection : perHost_;
}

void FetchAhead::NoteAnswer(Host& host, const Answer& answer) {
    host.slow = host.slow || AsksToSlowDown(answer);
    host.multiplexed = host.multiplexed || answer.multiplexed;
}

FetchAhead::EntryPtr FetchAhead::NextRunnable() {
    const bool nextFits = held_ < kHeldBytes && aheadOf_[0] < kMaxAhead;
    const bool laterFits = held_ < kLaterHeldBytes && aheadOf_[1] < kMaxLaterAhead;
    if (stopping_ || (!nextFits && !laterFits)) {
        return nullptr;
    }
    // Hosts of one connection per request in flight count against the total.
    int total = 0;
    for (const Host& host : hosts_) {
        total += host.multiplexed ? 0 : host.inFlight;
    }
    // When no host of a queued entry has room, no queue is walked at all (a long queue for
    // one busy host costs nothing per answer).
    if (!AnyHostHasRoom(total)) {
        return nullptr;
    }
    // The walk's next needs first, then later work.
    for (int n = 0; n < 2; ++n) {
        WorkQueue& queue = queues_[n];
        if (!(n == 0 ? nextFits : laterFits)) {
            continue;
        }
        // Entries gone at the front go at once.
        while (!queue.entries.empty() && queue.entries.front()->Gone()) {
            queue.entries.pop_front();
            --queue.gone;
        }
        for (auto it = queue.entries.begin(); it != queue.entries.end(); ++it) {
            Entry& entry = **it;
            // Every fetch in flight may fill its cap at once (streams on one HTTP/2
            // connection): what they may hold together is bounded, heads being small enough to
            // go on.
            const bool fits = running_ == 0 || reserved_ + MostHeld(entry.kind) <= kInFlightBytes;
            if (entry.Gone() || !fits || !HostHasRoom(hosts_[entry.host], total)) {
                continue;
            }
            EntryPtr next = *it;
            --hosts_[entry.host].queued;
            // Started, it is left in place like a dropped one (StartEntry marks it).
            if (it == queue.entries.begin()) {
                queue.entries.pop_front();
            } else {
                next->started = true;
                LeftInPlace(queue);
            }
            return next;
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
    ++aheadOf_[entry->later ? 1 : 0];
    const std::string address(addresses_.At(entry->address));
    std::optional<FetchRequest> request = RequestOf(entry->kind, address);
    if (!request) {
        // No address: answered at once, held as any answer ahead until it is taken.
        entry->answer = NoAddress(address);
        entry->done = true;
        ++heldCount_;
        return;
    }
    Host& host = hosts_[entry->host];
    ++host.inFlight;
    ++running_;
    reserved_ += MostHeld(entry->kind);
    host.asked = true;
    host.lastStart = std::chrono::steady_clock::now();
    // Whoever takes the entry waits for it to be done.
    fetcher_.Start(*request, control_,
                   [this, entry](Answer answer) { Arrived(entry, std::move(answer)); });
}

void FetchAhead::Arrived(const EntryPtr& arrived, Answer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& entry = *arrived;
    Host& host = hosts_[entry.host];
    --host.inFlight;
    --running_;
    reserved_ -= MostHeld(entry.kind);
    ++heldCount_;
    // A spaced host's next request waits from this answer on, so that the host sees the whole
    // gap between its requests whatever the round trip.
    host.lastStart = std::chrono::steady_clock::now();
    NoteAnswer(host, answer);
    entry.bytes = AnswerBytes(answer) + sizeof(Entry);
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
    if (pageAfterMissingHead_ && entry.kind == Kind::Head && prefetching_ && !stopping_ &&
        (missing || styleSheet) && SpacingOf(host).count() == 0) {
        const Kind kind = styleSheet ? Kind::Body : Kind::Page;
        NoteSeen(kind, addresses_.At(entry.address));
        Queue(kind, entry.address, entry.host, entry.later);
    }
    if (reader_ && entry.kind == Kind::Page && !entry.taken && prefetching_ && !stopping_) {
        unread_.push_back(arrived);
    }
    Pump();
    changed_.notify_all();
}

void FetchAhead::ReadArrived(std::unique_lock<std::mutex>& lock) {
    while (reader_ && !unread_.empty()) {
        EntryPtr entry = std::move(unread_.front());
        unread_.pop_front();
        if (entry->taken) {
            continue;
        }
        const std::string address(addresses_.At(entry->address));
        Reader reader = reader_;
        // Only the walk's thread takes an answer, and it is here: the answer stays as it is.
        lock.unlock();
        Note note = reader(address, entry->answer);
        lock.lock();
        entry->note = std::move(note.value);
        // Held with the answer until the walk takes both.
        entry->bytes += note.bytes;
        held_ += note.bytes;
    }
}

Answer FetchAhead::Take(Kind kind, const std::string& address, std::any* note) {
    std::optional<FetchRequest> request = RequestOf(kind, address);
    if (!request) {
        std::lock_guard<std::mutex> lock(mutex_);
        NoteSeen(kind, address);
        return NoAddress(address);
    }
    return TakeRequest(kind, address, *request, note);
}

Answer FetchAhead::Fetch(const FetchRequest& request) {
    return TakeRequest(request.head ? Kind::Head : (request.anyBody ? Kind::Body : Kind::Page),
                       request.url.FetchKey(), request, nullptr);
}

Answer FetchAhead::TakeRequest(Kind kind, std::string_view address, const FetchRequest& asked,
                               std::any* note) {
    std::unique_lock<std::mutex> lock(mutex_);
    const Id id = NoteSeen(kind, address);
    if (kind != Kind::Head) {
        // A GET's answer judges the address: a head of it queued ahead is not asked any more.
        DropQueued(Kind::Head, id);
    }
    auto pending = pending_.find(KeyOf(kind, id));
    if (pending != pending_.end()) {
        EntryPtr entry = pending->second.front();
        pending->second.pop_front();
        if (pending->second.empty()) {
            pending_.erase(pending);
        }
        if (entry->started) {
            entry->taken = true;
            // While this answer is on its way, the pages already here are read ahead.
            for (;;) {
                ReadArrived(lock);
                if (entry->done) {
                    break;
                }
                changed_.wait(lock, [&] { return entry->done || !unread_.empty(); });
            }
            held_ -= entry->bytes;
            --heldCount_;
            --aheadOf_[entry->later ? 1 : 0];
            if (note != nullptr) {
                *note = std::move(entry->note);
            }
            // Room for the next fetch ahead.
            Pump();
            return std::move(entry->answer);
        }
        DropEntry(entry);
    }
    // Not started yet: fetched here, within the host's limit and at its time. The pages that
    // arrive ahead meanwhile are read.
    const int hostNumber = HostOf(address);
    const auto slice = std::chrono::milliseconds(RunControl::kWaitSliceMs);
    ++hosts_[hostNumber].walkWaiting;
    for (;;) {
        ReadArrived(lock);
        const Host& host = hosts_[hostNumber];
        const auto now = std::chrono::steady_clock::now();
        const auto due = host.asked ? host.lastStart + SpacingOf(host) : now;
        if (RunCancelled() || (host.inFlight < HostLimit(host) && due <= now)) {
            break;
        }
        changed_.wait_for(
            lock,
            due > now ? std::min<std::chrono::steady_clock::duration>(due - now, slice) : slice);
    }
    --hosts_[hostNumber].walkWaiting;
    ++hosts_[hostNumber].inFlight;
    hosts_[hostNumber].asked = true;
    hosts_[hostNumber].lastStart = std::chrono::steady_clock::now();
    auto own = std::make_shared<Entry>();
    RunControl& control = RunControl::Current();
    lock.unlock();
    fetcher_.Start(asked, control, [this, own](Answer answer) {
        std::lock_guard<std::mutex> done(mutex_);
        own->answer = std::move(answer);
        own->done = true;
        changed_.notify_all();
    });
    lock.lock();
    for (;;) {
        ReadArrived(lock);
        if (own->done) {
            break;
        }
        changed_.wait_for(lock, slice, [&] { return own->done || !unread_.empty(); });
        // The fetch ends within a slice of a cancel; the wake makes it at once.
        if (!own->done && control.CancelRequested()) {
            lock.unlock();
            fetcher_.Wake();
            lock.lock();
        }
    }
    Host& host = hosts_[hostNumber];
    --host.inFlight;
    host.lastStart = std::chrono::steady_clock::now();
    NoteAnswer(host, own->answer);
    Pump();
    changed_.notify_all();
    return std::move(own->answer);
}

void FetchAhead::Start(const FetchRequest& request, RunControl& control, Done done) {
    fetcher_.Start(request, control, std::move(done));
}

void FetchAhead::Wake() {
    fetcher_.Wake();
}

}  // namespace sg
