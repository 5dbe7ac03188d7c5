#pragma once
// How every web request takes the proxy settings into account before it fetches.

#include "net/CWebClient.h"
#include "net/ProxySettings.h"

namespace sg {

// With an address: the proxy address, the port (the port text as a decimal number; text that
// is not a number gives 0) and the proxy switched on, and with a user name the line
// "Proxy-Authorization: Basic " + Base64 of "user:password", which the client sends to the proxy
// only. Without an address nothing is set: no request carries the credentials.
void ApplyProxySettings(CWebClient& client, const ProxySettings& settings);

// The same with the process-wide settings.
void ApplyProxySettings(CWebClient& client);

}  // namespace sg
