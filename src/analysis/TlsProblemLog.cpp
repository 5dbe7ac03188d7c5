#include "analysis/TlsProblemLog.h"

#include "model/ProgressSink.h"
#include "net/CWebClient.h"

namespace sg {

std::string TlsProblemText(const CWebClient& client, std::string_view address) {
    if (client.ProxyUnreachable()) {
        return "Could not connect to the proxy " + client.ProxyAddress() + ":" +
               std::to_string(client.ServerPort()) + ", so " + std::string(address) +
               " was not asked.";
    }
    if (client.TlsError().empty()) {
        return {};
    }
    return "Could not connect securely to " + std::string(address) + ": " + client.TlsError();
}

void LogTlsProblem(const CWebClient& client, std::string_view address) {
    const std::string text = TlsProblemText(client, address);
    if (!text.empty()) {
        LogProgressLine(text);
    }
}

}  // namespace sg
