#include "analysis/HttpsDowngradeLog.h"

#include "model/ProgressSink.h"
#include "net/CWebClient.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// The notes of this thread's walk; the outermost while several are nested.
thread_local HttpsDowngradeNotes* currentNotes = nullptr;

}  // namespace

HttpsDowngradeNotes::HttpsDowngradeNotes() : previous_(currentNotes) {
    if (currentNotes == nullptr) {
        currentNotes = this;
    }
}

HttpsDowngradeNotes::~HttpsDowngradeNotes() {
    if (currentNotes == this) {
        currentNotes = previous_;
    }
}

std::string HttpsDowngradeText(const CWebClient& client, std::string_view address) {
    const std::vector<std::string>& hops = client.Redirects();
    for (std::size_t hop = 0; hop < hops.size(); ++hop) {
        if (!client.HopLeavesHttps(hop)) {
            continue;
        }
        const std::string from(hop == 0 ? address : std::string_view(hops[hop - 1]));
        const std::string& to = hops[hop];
        const std::string shown = StartsWithNoCase(to, "http://") ? to : "http://" + to;
        return from + " was redirected to plain http (" + shown +
               "): the page was read unencrypted.";
    }
    return {};
}

void LogHttpsDowngrade(const CWebClient& client, std::string_view address) {
    if (!client.LeftHttps() || (currentNotes != nullptr && currentNotes->said_)) {
        return;
    }
    if (currentNotes != nullptr) {
        currentNotes->said_ = true;
    }
    LogProgressLine(HttpsDowngradeText(client, address));
}

}  // namespace sg
