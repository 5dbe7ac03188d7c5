// The pool of fetches ahead on its own: the connections it keeps to one host, a host that asks
// it to slow down, and answers that are the walk's whatever came back first.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/FetchAhead.h"
#include "net/WebFetcher.h"
#include "support/LoopbackServer.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using Serving = test::LoopbackServer::Serving;

// Answers every request with its own path after a pause, and counts how many it serves at
// once; the first `busyFirst` answers are "503 Service Unavailable".
class CountingSite {
  public:
    explicit CountingSite(int busyFirst = 0)
        : busyFirst_(busyFirst),
          server_([this](test::LoopbackConnection& conn) { Serve(conn); }, Serving::Concurrently) {}

    std::string Url(const std::string& path) const {
        return "127.0.0.1:" + std::to_string(server_.Port()) + path;
    }
    int MostAtOnce() const { return most_.load(); }
    int Served() const { return served_.load(); }
    // The most served at once among the answers after the first `after`.
    int MostAtOnceAfter() const { return mostLater_.load(); }

  private:
    void Serve(test::LoopbackConnection& conn) {
        const std::string head = conn.ReadUntilBlankLine();
        const std::string path = head.substr(4, head.find(' ', 4) - 4);
        const int now = ++current_;
        most_.store(std::max(most_.load(), now));
        const int number = served_++;
        if (number >= busyFirst_ + 1) {
            mostLater_.store(std::max(mostLater_.load(), now));
        }
        std::this_thread::sleep_for(30ms);
        --current_;
        conn.Send(
            number < busyFirst_
                ? std::string(
                      "HTTP/1.0 503 Service Unavailable\r\nContent-Type: text/html\r\n\r\nbusy")
                : "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + path);
    }

    const int busyFirst_;
    std::atomic<int> current_{0};
    std::atomic<int> most_{0};
    std::atomic<int> mostLater_{0};
    std::atomic<int> served_{0};
    test::LoopbackServer server_;
};

std::vector<FetchAhead::Request> Pages(const CountingSite& site, int count) {
    std::vector<FetchAhead::Request> requests;
    for (int n = 0; n < count; ++n) {
        requests.emplace_back(FetchAhead::Kind::Page, site.Url("/p" + std::to_string(n)));
    }
    return requests;
}

TEST(FetchAhead, KeepsToTheHostLimitAndGivesEachAnswerToItsRequest) {
    CountingSite site;
    WebFetcher fetcher;
    FetchAhead ahead(fetcher, 4);
    const std::vector<FetchAhead::Request> requests = Pages(site, 24);
    ahead.Prefetch(requests);
    // Taken in another order than started: each answer is still its own request's.
    for (int n = 23; n >= 0; --n) {
        const sg::Answer answer = ahead.Take(FetchAhead::Kind::Page, requests[n].second);
        EXPECT_EQ(answer.result, sg::Answer::kOk);
        EXPECT_EQ(answer.BodyText(), "/p" + std::to_string(n));
    }
    EXPECT_LE(site.MostAtOnce(), 4);
    EXPECT_GE(site.MostAtOnce(), 2);
    // Taken once: a second Take fetches again, on the spot.
    EXPECT_EQ(ahead.Take(FetchAhead::Kind::Page, requests[0].second).BodyText(), "/p0");
    // Those the walk took before they started were fetched by the walk alone, never again ahead.
    EXPECT_EQ(site.Served(), 25);
    EXPECT_TRUE(ahead.Seen(FetchAhead::Kind::Page, requests[0].second));
    EXPECT_FALSE(ahead.Seen(FetchAhead::Kind::Head, requests[0].second));
}

TEST(FetchAhead, AHostThatAnswers503GetsOneConnectionFromThenOn) {
    CountingSite site(1);
    WebFetcher fetcher;
    FetchAhead ahead(fetcher, 8);
    // The walk's own first fetch meets the 503.
    EXPECT_NE(ahead.Take(FetchAhead::Kind::Page, site.Url("/first")).HeaderText().find("503"),
              std::string::npos);
    const std::vector<FetchAhead::Request> requests = Pages(site, 12);
    ahead.Prefetch(requests);
    for (const FetchAhead::Request& request : requests) {
        EXPECT_EQ(ahead.Take(request.first, request.second).result, sg::Answer::kOk);
    }
    EXPECT_EQ(site.MostAtOnceAfter(), 1);
}

// Answers nothing until told to, and counts what is in flight.
class HeldFetcher : public Fetcher {
  public:
    void Start(const FetchRequest& request, RunControl&, Done done) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++(request.head ? heads_ : pages_);
        started_.push_back(request.url.Text());
        held_.emplace_back(request, std::move(done));
    }
    void Wake() override {}
    std::pair<int, int> PagesAndHeads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return {pages_, heads_};
    }
    std::vector<std::string> Started() {
        std::lock_guard<std::mutex> lock(mutex_);
        return started_;
    }
    // Answers everything held so far (outside the lock: an answer starts the next fetches).
    void AnswerHeld() {
        std::vector<std::pair<FetchRequest, Done>> held;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            held.swap(held_);
            pages_ = heads_ = 0;
        }
        for (auto& [request, done] : held) {
            Answer answer;
            answer.result = Answer::kOk;
            answer.multiplexed = multiplexed;
            answer.url = answer.finalUrl = request.url.Text();
            done(std::move(answer));
        }
    }

    // Whether the answers come over HTTP/2.
    bool multiplexed = false;

  private:
    std::mutex mutex_;
    std::vector<std::pair<FetchRequest, Done>> held_;
    std::vector<std::string> started_;
    int pages_ = 0;
    int heads_ = 0;
};

// While it lives, answers everything the fetcher holds, every millisecond, on a thread of its
// own: the walk's takes wait for their answers.
class AnsweringAll {
  public:
    explicit AnsweringAll(HeldFetcher& fetcher)
        : thread_([this, &fetcher] {
              while (!done_.load()) {
                  fetcher.AnswerHeld();
                  std::this_thread::sleep_for(1ms);
              }
          }) {}
    ~AnsweringAll() {
        done_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Each page in flight may fill its body cap at once: no more start than kInFlightBytes allows,
// heads beside them go on up to the connection limit, and every answer still reaches its
// request.
TEST(FetchAhead, PagesInFlightAreBoundedByWhatTheyMayHoldTogether) {
    HeldFetcher fetcher;
    FetchAhead ahead(fetcher, FetchAhead::kTotalConnections);
    std::vector<FetchAhead::Request> requests;
    for (int n = 0; n < 40; ++n) {
        requests.emplace_back(FetchAhead::Kind::Page,
                              "127.0.0." + std::to_string(n + 1) + ":80/page");
    }
    ahead.Prefetch(requests);
    EXPECT_EQ(fetcher.PagesAndHeads(), std::make_pair(15, 0));
    std::vector<FetchAhead::Request> heads;
    for (int n = 0; n < 40; ++n) {
        heads.emplace_back(FetchAhead::Kind::Head, "127.0.1." + std::to_string(n + 1) + ":80/x");
    }
    ahead.Prefetch(heads);
    EXPECT_EQ(fetcher.PagesAndHeads(), std::make_pair(15, FetchAhead::kTotalConnections - 15));
    requests.insert(requests.end(), heads.begin(), heads.end());
    const AnsweringAll answering(fetcher);
    for (const FetchAhead::Request& request : requests) {
        EXPECT_EQ(ahead.Take(request.first, request.second).url,
                  Url::Parse(request.second)->Text());
    }
}

// A page queued as later work that the walk comes to first starts before the rest of the
// frontier, and is still fetched once; what was never queued, or already started, stays.
TEST(FetchAhead, LaterWorkTheWalkNeedsNowStartsFirst) {
    HeldFetcher fetcher;
    FetchAhead ahead(fetcher, 2);
    const auto page = [](int n) { return "127.0.0.1:80/p" + std::to_string(n); };
    std::vector<FetchAhead::Request> frontier;
    for (int n = 0; n < 6; ++n) {
        frontier.emplace_back(FetchAhead::Kind::Page, page(n));
    }
    ahead.Prefetch(frontier, FetchAhead::Order::Later);
    ahead.Hurry({{FetchAhead::Kind::Page, page(0)},
                 {FetchAhead::Kind::Page, page(4)},
                 {FetchAhead::Kind::Head, page(3)},
                 {FetchAhead::Kind::Page, "127.0.0.1:80/never"}});
    fetcher.AnswerHeld();
    const std::vector<std::string> started = fetcher.Started();
    ASSERT_EQ(started.size(), 4u);
    EXPECT_EQ(started[2], Url::Parse(page(4))->Text());
    EXPECT_EQ(started[3], Url::Parse(page(2))->Text());
    {
        const AnsweringAll answering(fetcher);
        for (int n = 0; n < 6; ++n) {
            EXPECT_EQ(ahead.Take(FetchAhead::Kind::Page, page(n)).url, Url::Parse(page(n))->Text());
        }
    }
    EXPECT_EQ(fetcher.Started().size(), 6u);
}

// One HTTP/2 connection carries four requests at once for each connection of the setting,
// and a host that then asks to slow down gets one at a time like any other.
TEST(FetchAhead, AMultiplexedHostCarriesFourStreamsPerConnectionOfTheSetting) {
    HeldFetcher fetcher;
    fetcher.multiplexed = true;
    FetchAhead ahead(fetcher, 2);
    const auto heads = [](int from, int count) {
        std::vector<FetchAhead::Request> requests;
        for (int n = from; n < from + count; ++n) {
            requests.emplace_back(FetchAhead::Kind::Head, "127.0.0.1:80/h" + std::to_string(n));
        }
        return requests;
    };
    ahead.Prefetch(heads(0, 1));
    EXPECT_EQ(fetcher.PagesAndHeads().second, 1);
    fetcher.AnswerHeld();
    ahead.Prefetch(heads(1, 20));
    EXPECT_EQ(fetcher.PagesAndHeads().second, 8);
    const AnsweringAll answering(fetcher);
    for (int n = 0; n < 21; ++n) {
        ahead.Take(FetchAhead::Kind::Head, "127.0.0.1:80/h" + std::to_string(n));
    }
}

}  // namespace
}  // namespace sg
