#include "net/TlsProblemLog.h"

#include "model/ProgressSink.h"
#include "net/Answer.h"

namespace sg {

std::string TlsProblemText(const Answer& answer, std::string_view address) {
    if (answer.proxyUnreachable) {
        return "Could not connect to the proxy " + answer.proxy + ", so " + std::string(address) +
               " was not asked.";
    }
    if (answer.tlsError.empty()) {
        return {};
    }
    return "Could not connect securely to " + std::string(address) + ": " + answer.tlsError;
}

void LogTlsProblem(const Answer& answer, std::string_view address) {
    const std::string text = TlsProblemText(answer, address);
    if (!text.empty()) {
        LogProgressLine(text);
    }
}

}  // namespace sg
