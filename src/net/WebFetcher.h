#pragma once
// The fetcher of the web: each fetch a fresh CWebClient with the proxy settings, offering
// compressed answers as browsers do (read decoded), on the connections of one WebSession.

#include <memory>
#include <mutex>
#include <unordered_map>

#include "net/Fetcher.h"

namespace sg {

class CWebClient;
class WebSession;

class WebFetcher : public Fetcher {
  public:
    // On `session`; without one, on the session of the calling thread's run
    // (WebSession::Current()), else on one of its own.
    explicit WebFetcher(std::shared_ptr<WebSession> session = nullptr);
    // Ends what is still in flight (within a slice) before it goes.
    ~WebFetcher() override;
    WebFetcher(const WebFetcher&) = delete;
    WebFetcher& operator=(const WebFetcher&) = delete;

    void Start(const FetchRequest& request, RunControl& control, Done done) override;
    void Wake() override;

    WebSession& Session() { return *session_; }

  private:
    void Finished(CWebClient* client, int result);

    std::shared_ptr<WebSession> session_;
    std::mutex mutex_;
    // The clients in flight with whoever waits for each.
    std::unordered_map<CWebClient*, std::pair<std::unique_ptr<CWebClient>, Done>> flights_;
};

}  // namespace sg
