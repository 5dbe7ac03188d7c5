#pragma once
// A fetcher that shows pages as a browser renders them: it fetches with the run's own fetcher,
// and a page answer (Answer::HoldsLinks) of a GET to one of the run's sites' hosts is loaded in
// the renderer as well. The answer then keeps the fetch's status, head, redirects and timing;
// its body is the document after the page's scripts, and `rendered` holds what the server sent
// (sourceBody) and what the browser saw. Every other answer (HEAD, other types, other hosts, a
// failed fetch) passes unchanged; a page the renderer cannot load keeps its fetched body, with
// `rendered` saying why in its notes.
//
// Bounded as the inner fetch plus one render (PageRenderer); a cancel of the fetch's control
// ends the wait for a render within a slice, and the fetched answer is given.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/Fetcher.h"
#include "platform/WorkerThread.h"

namespace sg {

class PageRenderer;

class RenderFetcher : public Fetcher {
  public:
    // Fetches with `inner` and renders with `renderer` (both outlive this object) the pages of
    // `hosts` (compared in any letter case), up to `workers` pages at once.
    RenderFetcher(Fetcher& inner, PageRenderer& renderer, std::vector<std::string> hosts,
                  int workers);
    // Gives every page still waiting its fetched answer, then ends the workers.
    ~RenderFetcher() override;
    RenderFetcher(const RenderFetcher&) = delete;
    RenderFetcher& operator=(const RenderFetcher&) = delete;

    void Start(const FetchRequest& request, RunControl& control, Done done) override;
    void Wake() override;

  private:
    struct Job {
        Answer answer;
        RunControl* control;
        Done done;
    };

    bool Renders(const FetchRequest& request, const Answer& answer) const;
    void Work();
    void Finish(Job& job);

    Fetcher& inner_;
    PageRenderer& renderer_;
    std::vector<std::string> hosts_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::vector<std::unique_ptr<WorkerThread>> workers_;
};

// The lower-case hosts of `addresses` (a site's address as the project writes it: with or
// without its scheme), each once.
std::vector<std::string> HostsOf(const std::vector<std::string>& addresses);

}  // namespace sg
