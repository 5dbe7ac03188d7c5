#include "analysis/crawl/HttpsDowngradeLog.h"

#include "model/ProgressSink.h"
#include "net/Answer.h"
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

std::string HttpsDowngradeText(const Answer& answer, std::string_view address) {
    const std::vector<std::string>& hops = answer.redirects;
    for (std::size_t hop = 0; hop < hops.size(); ++hop) {
        if (hop >= answer.leftHttps.size() || answer.leftHttps[hop] == 0) {
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

void LogHttpsDowngrade(const Answer& answer, std::string_view address) {
    if (!answer.LeftHttps() || (currentNotes != nullptr && currentNotes->said_)) {
        return;
    }
    if (currentNotes != nullptr) {
        currentNotes->said_ = true;
    }
    LogProgressLine(HttpsDowngradeText(answer, address));
}

}  // namespace sg
