#pragma once
// The proxy every web request goes through, with optional credentials. One record per process,
// read from the proxy file at start-up and written by the proxy dialog.

#include <string>

namespace sg {

struct ProxySettings {
    // The proxy's dotted IPv4 address; empty means no proxy.
    std::string address;
    // The port as typed; converted as a decimal number at each request.
    std::string port;
    // Empty means no credentials are sent.
    std::string user;
    std::string password;
};

// The process-wide record.
ProxySettings& CurrentProxySettings();

// Reads the file's four lines (port, address, user name, password; a missing line gives an
// empty value) into `settings`: 0. When the file cannot be read: 1, and `settings` is unchanged.
int LoadProxySettings(const std::string& path, ProxySettings& settings);
// Writes the four values, the password without a line end, creating the file's folder when
// needed. The file is replaced atomically and readable by its owner only: 0; 1 on failure,
// and then an old file is left whole.
int SaveProxySettings(const std::string& path, const ProxySettings& settings);

}  // namespace sg
