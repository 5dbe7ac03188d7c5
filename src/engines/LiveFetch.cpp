#include "engines/LiveFetch.h"

#include <mutex>
#include <vector>

#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"
#include "net/TlsProblemLog.h"

namespace sg {
namespace {

std::mutex mutex;
LiveWaits waits;

}  // namespace

void SetLiveWaits(const LiveWaits& next) {
    std::lock_guard<std::mutex> lock(mutex);
    waits = next;
}

LiveWaits CurrentLiveWaits() {
    std::lock_guard<std::mutex> lock(mutex);
    return waits;
}

int FetchLiveJson(const std::string& address, std::string& body, std::string& detail) {
    body.clear();
    detail.clear();
    CWebClient client;
    ApplyProxySettings(client);
    client.SetAcceptsJson(true);
    client.AddRequestHeader("Accept: application/json");
    const LiveWaits bounds = CurrentLiveWaits();
    client.SetConnectTimeout(bounds.connect);
    client.SetPieceTimeout(bounds.piece);
    client.SetAttemptDeadline(bounds.attempt);
    const int result = client.FetchPage(address);
    const int status = client.StatusCode();
    if (status != 0 && status != 200) {
        detail = client.Result().headerLines.front();
        return status == 403 ? kLiveJsonRefused : kLiveHttpError;
    }
    // No status line: nothing answered within the waits, whatever the client made of it.
    if (status == 0) {
        detail = TlsProblemText(client.Result(), address);
        return kLiveUnreachable;
    }
    if (result == CWebClient::kFetchNotText) {
        detail = client.ContentTypeLine();
        return kLiveNotJson;
    }
    if (result != CWebClient::kFetchOk) {
        detail = TlsProblemText(client.Result(), address);
        return kLiveUnreachable;
    }
    body = client.BodyText();
    return kLiveOk;
}

std::string LiveProblemText(int code, std::string_view instance, std::string_view detail) {
    std::string line = "The metasearch instance " + std::string(instance);
    switch (code) {
        case kLiveUnreachable:
            line += " could not be reached";
            break;
        case kLiveJsonRefused:
            line +=
                " refuses JSON results (403): enable the json format in its settings.yml "
                "(search: formats: [html, json]) and restart it";
            break;
        case kLiveNotJson:
            line += " did not answer with JSON";
            break;
        default:
            line += " answered with an error";
            break;
    }
    if (!detail.empty() && code != kLiveJsonRefused) {
        line += " (" + std::string(detail) + ")";
    }
    return line;
}

std::string LiveFailureReason(int code, std::string_view detail) {
    switch (code) {
        case kLiveUnreachable:
            return "the instance could not be reached";
        case kLiveJsonRefused:
            return "the instance refuses JSON (403)";
        case kLiveNotJson:
            return "the instance did not answer with JSON";
        default:
            return detail.empty() ? std::string("the instance answered with an error")
                                  : "the instance answered " + std::string(detail);
    }
}

}  // namespace sg
