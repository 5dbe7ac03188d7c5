#include "net/WebFetcher.h"

#include <chrono>
#include <thread>

#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"
#include "net/WebSession.h"
#include "platform/RunControl.h"

namespace sg {

WebFetcher::WebFetcher(std::shared_ptr<WebSession> session) : session_(std::move(session)) {
    if (session_ == nullptr) {
        session_ = WebSession::Current();
    }
    if (session_ == nullptr) {
        session_ = std::make_shared<WebSession>();
    }
}

WebFetcher::~WebFetcher() {
    // Each fetch ends within its bounds; its owner has usually cancelled it already.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (flights_.empty()) {
                break;
            }
        }
        session_->Wake();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void WebFetcher::Start(const FetchRequest& request, RunControl& control, Done done) {
    auto client = std::make_unique<CWebClient>();
    ApplyProxySettings(*client);
    // Answers compressed where the site can, as browsers are sent them; read decoded.
    client->SetOffersCompression(true);
    client->SetKeepsAnyBody(request.anyBody);
    if (request.bodyCap > 0) {
        client->SetBodyCap(request.bodyCap);
    }
    if (request.connectTimeout.count() > 0) {
        client->SetConnectTimeout(request.connectTimeout);
    }
    if (request.attemptDeadline.count() > 0) {
        client->SetAttemptDeadline(request.attemptDeadline);
    }
    CWebClient* started = client.get();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        flights_.emplace(started, std::make_pair(std::move(client), std::move(done)));
    }
    started->StartFetch(*session_, request.head, request.url, request.attempts, control,
                        [this, started](int result) { Finished(started, result); });
}

void WebFetcher::Finished(CWebClient* client, int result) {
    Done done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done = std::move(flights_.at(client).second);
    }
    Answer answer = client->TakeAnswer();
    answer.result = result;
    done(std::move(answer));
    std::lock_guard<std::mutex> lock(mutex_);
    auto flight = flights_.find(client);
    // The client is inside its own last call: it goes once that call has returned. The flight
    // leaves the list last, so a fetcher that waits for it to go outlives this call.
    std::shared_ptr<CWebClient> leaving(std::move(flight->second.first));
    session_->Post([leaving] {});
    flights_.erase(flight);
}

void WebFetcher::Wake() {
    session_->Wake();
}

}  // namespace sg
