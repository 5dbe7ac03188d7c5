#include "net/RenderFetcher.h"

#include <algorithm>

#include "net/PageRenderer.h"
#include "net/RenderFacts.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The address with its scheme, as the browser needs it ("site/x" is "http://site/x").
std::string BrowserAddress(const std::string& address) {
    const std::optional<Url> url = Url::Parse(address);
    const std::optional<UrlTarget> target = url ? url->Target() : std::nullopt;
    if (!target) {
        return address;
    }
    return (target->secure ? "https://" : "http://") + target->hostAndPort + target->target;
}

std::string HostOf(const std::string& address) {
    const std::optional<Url> url = Url::Parse(address);
    if (!url) {
        return {};
    }
    const std::optional<UrlTarget> target = url->Target();
    return target ? Lower(target->host) : std::string();
}

}  // namespace

std::vector<std::string> HostsOf(const std::vector<std::string>& addresses) {
    std::vector<std::string> hosts;
    for (const std::string& address : addresses) {
        std::string host = HostOf(address);
        if (!host.empty() && std::find(hosts.begin(), hosts.end(), host) == hosts.end()) {
            hosts.push_back(std::move(host));
        }
    }
    return hosts;
}

RenderFetcher::RenderFetcher(Fetcher& inner, PageRenderer& renderer, std::vector<std::string> hosts,
                             int workers)
    : inner_(inner), renderer_(renderer), hosts_(std::move(hosts)) {
    for (int i = 0; i < std::max(1, workers); ++i) {
        workers_.push_back(std::make_unique<WorkerThread>());
        workers_.back()->Start([this] { Work(); });
    }
}

RenderFetcher::~RenderFetcher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    renderer_.Wake();
    for (auto& worker : workers_) {
        worker->Wait();
    }
}

bool RenderFetcher::Renders(const FetchRequest& request, const Answer& answer) const {
    // A page that answered: not a HEAD, not a file read whatever its type (robots.txt), not an
    // error page.
    const int status = answer.StatusCode();
    if (request.head || request.anyBody || answer.result != Answer::kOk || !answer.HoldsLinks() ||
        status < 200 || status > 299) {
        return false;
    }
    const std::string host = HostOf(answer.finalUrl.empty() ? answer.url : answer.finalUrl);
    return !host.empty() && std::find(hosts_.begin(), hosts_.end(), host) != hosts_.end();
}

void RenderFetcher::Start(const FetchRequest& request, RunControl& control, Done done) {
    FetchRequest copy = request;
    inner_.Start(request, control,
                 [this, copy = std::move(copy), &control, done = std::move(done)](Answer answer) {
                     if (!Renders(copy, answer) || control.CancelRequested()) {
                         done(std::move(answer));
                         return;
                     }
                     {
                         std::unique_lock<std::mutex> lock(mutex_);
                         if (!stopping_) {
                             jobs_.push_back(Job{std::move(answer), &control, done});
                             lock.unlock();
                             changed_.notify_one();
                             return;
                         }
                     }
                     // Past the workers' end: the page keeps its fetched body.
                     done(std::move(answer));
                 });
}

void RenderFetcher::Wake() {
    inner_.Wake();
    renderer_.Wake();
    changed_.notify_all();
}

void RenderFetcher::Work() {
    while (true) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
            if (stopping_) {
                // No more renders: the page keeps its fetched body.
                lock.unlock();
                job.done(std::move(job.answer));
                continue;
            }
        }
        Finish(job);
    }
}

void RenderFetcher::Finish(Job& job) {
    auto facts = std::make_shared<RenderFacts>();
    std::string html;
    const std::string& address = job.answer.finalUrl.empty() ? job.answer.url : job.answer.finalUrl;
    const int code = renderer_.Render(BrowserAddress(address), *job.control, html, *facts);
    facts->sourceBody = job.answer.BodyText();
    if (code == PageRenderer::kRendered) {
        // The fetch's head stays; only the body is the browser's.
        std::vector<std::string> head = std::move(job.answer.headerLines);
        job.answer.ClearResponse();
        job.answer.headerLines = std::move(head);
        job.answer.AppendBody(html.data(), html.size());
    } else if (code != PageRenderer::kCancelled) {
        facts->notes.push_back("the page was not rendered; it is read as fetched");
    }
    if (code != PageRenderer::kCancelled) {
        job.answer.rendered = std::move(facts);
    }
    job.done(std::move(job.answer));
}

}  // namespace sg
