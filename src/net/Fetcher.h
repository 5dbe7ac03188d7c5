#pragma once
// Where the analyses get their answers: a fetcher takes an address (a Url) and gives an Answer.
// The crawl, the readiness and the Site Audit read answers only; which fetcher made them (the
// web client over libcurl, WebFetcher, or another one) is the run's choice.
//
// Every fetch is bounded (the fetcher's waits, the request's attempts and body cap) and ends
// within one RunControl::kWaitSliceMs of a cancel of the control it was started with.

#include <chrono>
#include <cstddef>
#include <functional>

#include "html/Url.h"
#include "net/Answer.h"

namespace sg {

class RunControl;

struct FetchRequest {
    explicit FetchRequest(Url address, bool headOnly = false)
        : url(std::move(address)), head(headOnly) {}

    Url url;
    // HEAD rather than GET: only the head is read.
    bool head = false;
    // Tries before the fetch gives up (a redirect within one is not another try).
    int attempts = 3;
    // A body is kept whatever its Content-Type (robots.txt, sitemaps); otherwise only pages'
    // bodies are (Answer::kNotText for others).
    bool anyBody = false;
    // Bytes kept of the body; 0: the fetcher's own cap.
    std::size_t bodyCap = 0;
    // Shorter bounds for a quick look (0: the fetcher's own): the connect, and each try whole.
    std::chrono::milliseconds connectTimeout{0};
    std::chrono::milliseconds attemptDeadline{0};
};

class Fetcher {
  public:
    using Done = std::function<void(Answer)>;

    virtual ~Fetcher() = default;

    // Starts the fetch without waiting; `done` gets the answer once, on a thread of the
    // fetcher's. Pauses and cancels follow `control`, which must outlive the fetch, as must the
    // fetcher.
    virtual void Start(const FetchRequest& request, RunControl& control, Done done) = 0;
    // Has the fetcher look at its fetches' controls now rather than at the end of a slice.
    virtual void Wake() = 0;

    // Start, waited for on the calling thread, with the calling thread's control.
    virtual Answer Fetch(const FetchRequest& request);
    // A GET of `url` with the usual attempts.
    Answer Fetch(const Url& url) { return Fetch(FetchRequest(url)); }
};

}  // namespace sg
