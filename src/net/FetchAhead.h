#pragma once
// Fetches started ahead of a walk that takes their answers one at a time, in its own order.
// The walk (the crawl, the readiness pages) runs on one thread as it always has; where it
// knows which fetches it will make next, it hands them to Prefetch, and they are made on the
// run's WebSession (one libcurl multi handle on one thread, not a thread per fetch) while the
// walk goes on. Take gives the walk the answer it would have got by fetching there and then:
// fetched ahead (waited for when in flight) or fetched on the spot. So the answers, and
// everything made of them, are the same as one request at a time; only the waiting overlaps.
//
// Bounds: at most the given number of requests in flight to one host (1 for a host that
// answered 429 or 503), and so of connections to it; a host that answered over HTTP/2 carries
// up to kRequestsPerMultiplexedHost at once over its connection. Requests to hosts of one
// connection each are at most kTotalConnections in all, the walk's own fetches included. At
// most kMaxAhead fetches are ahead of the walk at once (in flight, or answered and not yet
// taken), so a walk that stops early has wasted at most that many; and no further one starts
// while the answers not yet taken hold kHeldBytes of heads and bodies (each fetch in flight
// holds up to its body cap on top). Every fetch is a fresh client with the proxy settings and 3
// attempts, as the walk's own are. The fetches ahead are cancelled and paused with the run that
// made the FetchAhead (the calling thread's RunControl), and cancelled when it is destroyed.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "net/CWebClient.h"
#include "net/ConnectionSetting.h"
#include "net/WebSession.h"
#include "platform/RunControl.h"

namespace sg {

class FetchAhead {
  public:
    enum class Kind { Page, Head };
    using Request = std::pair<Kind, std::string>;

    static constexpr int kTotalConnections = kMaxConnectionsPerHost;
    static constexpr std::size_t kHeldBytes = 64u * 1024u * 1024u;
    // A walk that goes deep first leaves answers for later on every level (a page's second and
    // third links), so the count allows a whole crawl's worth; kHeldBytes bounds their memory.
    static constexpr int kMaxAhead = 1024;
    static constexpr int kAttempts = 3;
    // Requests at once to a host whose answers come over HTTP/2 (one connection carries them).
    static constexpr int kRequestsPerMultiplexedHost = 64;

    // `perHost` connections to one host; 1 starts nothing ahead. With `pageAfterMissingHead`,
    // a head fetched ahead that holds "404" has the page of its address fetched ahead too (the
    // crawl reads the page of such a link). The fetches go through the session of the calling
    // thread's run (WebSession::Current()), or through one of the FetchAhead's own.
    explicit FetchAhead(int perHost = ConnectionsPerHost(), bool pageAfterMissingHead = false);
    ~FetchAhead();
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    // One more answer of each request will be taken. They are started before any asked
    // earlier and not yet started, in the order given: a walk that goes deep first needs the
    // latest page's links next. Nothing is started once StopPrefetching was called.
    void Prefetch(const std::vector<Request>& requests);
    // Whether the request was handed to Prefetch or Take before.
    bool Seen(Kind kind, const std::string& address) const;
    // Drops what is not started yet and starts nothing more ahead; Take still fetches.
    void StopPrefetching();

    // The answer to the request, as a fresh client with the proxy settings fetching `address`
    // with kAttempts attempts gives it; `result` is that fetch's result.
    std::unique_ptr<CWebClient> Take(Kind kind, const std::string& address, int& result);

    // Take from the current FetchAhead, or without one the fetch itself, made here.
    static std::unique_ptr<CWebClient> TakeOrFetch(Kind kind, const std::string& address,
                                                   int& result);

    // The one FetchAhead of this thread's walk while the scope lives; null outside.
    static FetchAhead* Current();
    class Scope {
      public:
        explicit Scope(FetchAhead& ahead);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        FetchAhead* previous_;
    };

    // Host part of an address as the limits count it: no scheme, lower case, port kept.
    static std::string HostKey(const std::string& address);

  private:
    struct Entry {
        Request request;
        std::string host;
        bool started = false;
        bool done = false;
        int result = 0;
        std::size_t bytes = 0;
        std::unique_ptr<CWebClient> client;
    };
    using EntryPtr = std::shared_ptr<Entry>;

    // Starts every queued fetch that may start now. Called with the mutex held.
    void Pump();
    void Start(const EntryPtr& entry);
    // A fetch ahead has ended (on the session's thread).
    void Done(Entry& entry, int result);
    // The fetch of the walk itself, on the FetchAhead's session, waited for.
    std::unique_ptr<CWebClient> FetchHere(Kind kind, const std::string& address, int& result);
    // The first queued entry whose host has room; null when none.
    EntryPtr NextRunnable();
    int HostLimit(const std::string& host) const;
    // After any fetch: a host that asks to slow down gets one connection from now on; one that
    // answers over HTTP/2 may carry more requests at once.
    void NoteAnswer(const std::string& host, const CWebClient& client);

    const int perHost_;
    const bool pageAfterMissingHead_;
    RunControl control_;
    std::shared_ptr<WebSession> session_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool prefetching_ = true;
    std::size_t held_ = 0;
    // Fetched ahead and not yet taken.
    int heldCount_ = 0;
    // Fetches ahead in flight.
    int running_ = 0;
    std::deque<EntryPtr> queue_;
    std::map<Request, std::deque<EntryPtr>> pending_;
    std::set<Request> seen_;
    std::map<std::string, int> inFlight_;
    std::set<std::string> slowHosts_;
    std::set<std::string> multiplexedHosts_;
};

}  // namespace sg
