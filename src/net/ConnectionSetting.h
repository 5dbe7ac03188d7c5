#pragma once
// How many connections the analyses keep open to one site at once: 8 unless set, 1 for one
// request at a time. Kept in its own file beside the proxy settings (one number), so that the
// proxy file keeps its form.

#include <string>

namespace sg {

inline constexpr int kDefaultConnectionsPerHost = 8;
inline constexpr int kMaxConnectionsPerHost = 32;

// The setting in force (any thread).
int ConnectionsPerHost();
// Kept within 1..kMaxConnectionsPerHost.
void SetConnectionsPerHost(int connections);

// The number in the file (1..kMaxConnectionsPerHost); 0 when the file is missing or holds
// anything else.
int LoadConnectionSetting(const std::string& path);
// Written atomically, its folder made when missing; true when written.
bool SaveConnectionSetting(const std::string& path, int connections);

// The stored setting (or the default) put in force, unless the command line chose one: that
// choice (OverrideConnectionsPerHost) stays for the life of the process.
void ApplyStoredConnectionSetting(const std::string& path);
void OverrideConnectionsPerHost(int connections);

}  // namespace sg
