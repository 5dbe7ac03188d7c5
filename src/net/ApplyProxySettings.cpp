#include "net/ApplyProxySettings.h"

#include <climits>
#include <cstdlib>

#include "net/Base64.h"

namespace sg {
namespace {

// Leading blanks, an optional sign and the leading digits, as the C library converts a number;
// anything else gives 0. Out-of-range values are clamped instead of overflowing.
int DecimalPrefix(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

}  // namespace

void ApplyProxySettings(CWebClient& client, const ProxySettings& settings) {
    // Without an address the requests go to the sites themselves, which must never see the
    // proxy's password (the proxy dialog keeps it when the proxy is turned off).
    if (settings.address.empty()) {
        return;
    }
    client.SetProxyAddress(settings.address.c_str());
    client.SetServerPort(DecimalPrefix(settings.port));
    client.UseProxy(1);
    if (!settings.user.empty()) {
        const std::string line =
            "Proxy-Authorization: Basic " + Base64Encode(settings.user + ":" + settings.password);
        client.AddRequestHeader(line.c_str());
    }
}

void ApplyProxySettings(CWebClient& client) {
    ApplyProxySettings(client, CurrentProxySettings());
}

}  // namespace sg
