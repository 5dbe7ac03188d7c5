#pragma once
// Fetches started ahead of a walk that takes their answers one at a time, in its own order.
// The walk (the crawl, the readiness pages) runs on one thread as it always has; where it
// knows which fetches it will make next, it hands them to Prefetch, and its fetcher makes them
// (on the run's WebSession: one libcurl multi handle on one thread, not a thread per fetch)
// while the walk goes on. Take gives the walk the answer it would have got by fetching there
// and then: fetched ahead (waited for when in flight) or fetched on the spot. So the answers,
// and everything made of them, are the same as one request at a time; only the waiting
// overlaps. A FetchAhead is itself a fetcher (Fetch is Take), so a walk reads the same
// whether it is handed one or the plain fetcher.
//
// A walk that reads its pages (the crawl) may also read a page fetched ahead before it comes to
// it (SetReader): it reads it on its own thread while it waits for an answer, and may hand the
// page's links to Prefetch as later work, so that every free connection has work while the walk
// waits; what it read comes back with the answer (Take's note).
//
// Bounds: at most the given number of requests in flight to one host (1 for a host that
// answered 429 or 503), and so of connections to it; a host that answered over HTTP/2 carries
// kStreamsPerConnection times as many at once over its connection. Requests to hosts of one
// connection each are at most kTotalConnections in all, the walk's own fetches included. At
// most kMaxAhead fetches of the walk's next needs and kMaxLaterAhead of later work are ahead
// of the walk at once (in flight, or answered and not yet taken), so a walk that stops early
// has wasted at most that many; no further one starts while the answers not yet taken hold
// kHeldBytes (later work: kLaterHeldBytes) of heads, bodies and what the reader made of them,
// nor while the fetches in flight could hold kInFlightBytes between them were each to fill its
// cap: a hostile server cannot make the fetches ahead hold more than the two together, over
// HTTP/2 as over HTTP/1.1.
// Every fetch has kAttempts attempts, as the walk's own have. The fetches ahead are cancelled and
// paused with the run that made the FetchAhead (the calling thread's RunControl), and cancelled
// when it is destroyed. Bookkeeping costs O(1) per request on average: addresses are numbered
// once (AddressTable), the queue is not searched for a request.

#include <any>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/AddressTable.h"
#include "net/ConnectionSetting.h"
#include "net/Fetcher.h"
#include "platform/RunControl.h"

namespace sg {

class FetchAhead : public Fetcher {
  public:
    // Page: a GET whose body is kept for the types a page is read in; Head; Body: a GET whose
    // body is kept whatever its type (a style sheet is read).
    enum class Kind { Page, Head, Body };
    using Request = std::pair<Kind, std::string>;
    // Where Prefetch puts requests among those not started: first (the walk's next needs), or
    // last (work further off, such as the links of a page fetched ahead).
    enum class Order { Next, Later };
    // What a reader made of a page fetched ahead, and about how many bytes it holds.
    struct Note {
        std::any value;
        std::size_t bytes = 0;
    };
    // Reads a page fetched ahead (its address as requested, and its answer); what it returns is
    // Take's note for that answer.
    using Reader = std::function<Note(const std::string& address, const Answer& answer)>;

    static constexpr int kTotalConnections = kMaxConnectionsPerHost;
    static constexpr std::size_t kHeldBytes = 64u * 1024u * 1024u;
    // What the fetches ahead in flight may hold at once, each counted at its most (its head
    // bound, and its body cap unless it is a head): 15 pages with room for heads beside them.
    static constexpr std::size_t kInFlightBytes = 128u * 1024u * 1024u;
    // A walk that goes deep first leaves answers for later on every level (a page's second and
    // third links, its resources after the pages below it), so the counts allow a whole
    // crawl's worth, even of pages of hundreds of links each (1,024 held a rendered crawl of
    // such pages to one page at a time); the bytes bound their memory.
    static constexpr int kMaxAhead = 16384;
    static constexpr int kMaxLaterAhead = 16384;
    static constexpr std::size_t kLaterHeldBytes = 16u * 1024u * 1024u;
    static constexpr int kAttempts = 3;
    // Requests at once to a host whose answers come over HTTP/2, for each connection the
    // setting allows: a stream costs the server far less than a connection.
    static constexpr int kStreamsPerConnection = 4;

    // Fetches through `fetcher`, which must outlive it; `perHost` connections to one host; 1
    // starts nothing ahead. With `pageAfterMissingHead`, a head fetched ahead that cannot judge
    // its address (a "404" without a broken status, 405, 501) has the page of its address
    // fetched ahead too, and one of a style sheet its body (the crawl reads both).
    explicit FetchAhead(Fetcher& fetcher, int perHost = ConnectionsPerHost(),
                        bool pageAfterMissingHead = false);
    ~FetchAhead() override;
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    // One more answer of each request will be taken. With Order::Next they start before any
    // asked earlier and not yet started, in the order given (a walk that goes deep first needs
    // the latest page's links next); with Order::Later after all of them. Nothing is started
    // once StopPrefetching was called.
    void Prefetch(const std::vector<Request>& requests, Order order = Order::Next);
    // Requests handed to Prefetch as later work and not started yet become the walk's next
    // needs, the first first: the walk has come to them sooner than the frontier did.
    void Hurry(const std::vector<Request>& requests);
    // Whether the request was handed to Prefetch or Take before.
    bool Seen(Kind kind, std::string_view address) const;
    // How many distinct addresses were asked for as pages (Kind::Page) so far.
    int PagesSeen() const;
    // From now on each page answer fetched ahead is read by `reader` once, on the thread that
    // calls Take, while Take waits or before it returns, unless the walk took it first.
    void SetReader(Reader reader);
    // Drops what is not started yet and starts nothing more ahead; Take still fetches.
    void StopPrefetching();
    // Requests to one host start at least `spacing` after the previous one's answer, one at a time,
    // none ahead of the walk: to every host (SetSpacing), or to `host` (a HostKey) besides
    // (SetHostSpacing); the longer of the two holds. What was queued ahead for such a host is
    // dropped.
    void SetSpacing(std::chrono::milliseconds spacing);
    void SetHostSpacing(const std::string& host, std::chrono::milliseconds spacing);

    // The answer to the request (the address without its fragment), as the fetcher gives it
    // with kAttempts attempts. `note`, when given, gets what the reader made of this answer
    // (empty when it was not read ahead).
    Answer Take(Kind kind, const std::string& address, std::any* note = nullptr);

    // Take of the request's address (a HEAD when it asks for one); the request's other
    // settings apply to a fetch made on the spot.
    Answer Fetch(const FetchRequest& request) override;
    using Fetcher::Fetch;
    // Straight to the fetcher: nothing of it was fetched ahead.
    void Start(const FetchRequest& request, RunControl& control, Done done) override;
    void Wake() override;

    // Host part of an address as the limits count it: no scheme, lower case, port kept.
    static std::string HostKey(std::string_view address);

  private:
    using Id = AddressTable::Id;
    // One host (a HostKey) as the limits see it.
    struct Host {
        int inFlight = 0;
        // The walk waits to fetch on the spot (TakeRequest).
        int walkWaiting = 0;
        // Live entries of the queue.
        int queued = 0;
        // Asked to slow down (429, 503); answered over HTTP/2.
        bool slow = false;
        bool multiplexed = false;
        // Its own spacing (SetHostSpacing).
        std::chrono::milliseconds spacing{0};
        // When the last request to it started, or its answer came if that was later.
        bool asked = false;
        std::chrono::steady_clock::time_point lastStart;
    };
    struct Entry {
        Kind kind = Kind::Page;
        Id address = 0;
        int host = 0;
        bool later = false;
        bool started = false;
        bool done = false;
        // Taken off the queue before it started (the walk fetched it itself, or no longer needs
        // it): left in the queue and skipped, so that dropping one costs O(1).
        bool dropped = false;
        // The walk has taken it (or waits for it): not read ahead.
        bool taken = false;
        std::size_t bytes = 0;
        Answer answer;
        std::any note;

        // No longer waiting in its queue.
        bool Gone() const { return dropped || started; }
    };
    using EntryPtr = std::shared_ptr<Entry>;
    // Entries waiting to start, first to last; those dropped or started from the middle stay
    // in place until most of the queue is such (`gone`), so that each costs O(1).
    struct WorkQueue {
        std::deque<EntryPtr> entries;
        std::size_t gone = 0;
    };

    static std::uint64_t KeyOf(Kind kind, Id address) {
        return (static_cast<std::uint64_t>(address) << 2) | static_cast<std::uint64_t>(kind);
    }
    // The number of a request's address, marked seen for its kind. Called with the mutex held.
    Id NoteSeen(Kind kind, std::string_view address);
    int HostOf(std::string_view address);
    // Starts every queued fetch that may start now. Called with the mutex held.
    void Pump();
    void StartEntry(const EntryPtr& entry);
    // A fetch ahead has ended (on the fetcher's thread).
    void Arrived(const EntryPtr& entry, Answer answer);
    // Queues a new entry, first or last, and counts it pending. Called with the mutex held.
    void Queue(Kind kind, Id address, int host, bool later);
    // The new entry put in its queue (later work last, next needs first), not yet pending.
    EntryPtr Enqueue(Kind kind, Id address, int host, bool later);
    // The answer of the request fetched ahead, or fetched here as `asked`.
    Answer TakeRequest(Kind kind, std::string_view address, const FetchRequest& asked,
                       std::any* note);
    // Hands the pages arrived ahead and not yet read to the reader, unlocking `lock` meanwhile.
    void ReadArrived(std::unique_lock<std::mutex>& lock);
    // The first queued entry whose host has room; null when none.
    EntryPtr NextRunnable();
    int HostLimit(const Host& host) const;
    std::chrono::milliseconds SpacingOf(const Host& host) const;
    // Drops the entries of the request not started yet. Called with the mutex held.
    void DropQueued(Kind kind, Id address);
    // Drops the queued entries of hosts that now have a spacing. Called with the mutex held.
    void DropSpacedEntries();
    // Marks a queued entry dropped; the queue is compacted when most of it is.
    void DropEntry(const EntryPtr& entry);
    // One more entry of `queue` gone in place.
    void LeftInPlace(WorkQueue& queue);
    // Removes a queued entry from the pending requests. Called with the mutex held.
    void Unpend(const EntryPtr& entry);
    // Whether `host` has room for one more request now, with `total` requests in flight on
    // hosts of one connection each; and whether some host with queued entries has.
    bool HostHasRoom(const Host& host, int total) const;
    bool AnyHostHasRoom(int total) const;
    // After any fetch: a host that asks to slow down gets one connection from now on; one that
    // answers over HTTP/2 may carry more requests at once.
    void NoteAnswer(Host& host, const Answer& answer);

    const int perHost_;
    const bool pageAfterMissingHead_;
    Fetcher& fetcher_;
    RunControl control_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool prefetching_ = true;
    std::size_t held_ = 0;
    // Fetched ahead and not yet taken.
    int heldCount_ = 0;
    // Fetches ahead in flight, and the most they may hold (MostHeld) together.
    int running_ = 0;
    // Fetches ahead in flight or held, of the walk's next needs [0] and of later work [1].
    int aheadOf_[2] = {0, 0};
    std::size_t reserved_ = 0;
    // The walk's next needs [0], and later work [1].
    WorkQueue queues_[2];
    // Every address asked for, numbered; the kinds asked of each (a bit per Kind).
    AddressTable addresses_;
    std::vector<std::uint8_t> seenKinds_;
    int pagesSeen_ = 0;
    std::unordered_map<std::uint64_t, std::deque<EntryPtr>> pending_;
    std::vector<Host> hosts_;
    std::unordered_map<std::string, int> hostIndex_;
    std::chrono::milliseconds spacing_{0};
    Reader reader_;
    std::deque<EntryPtr> unread_;
};

}  // namespace sg
