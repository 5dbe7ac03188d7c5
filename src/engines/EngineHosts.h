#pragma once
// Which host stands for each engine. Every engine has a search host, and AllTheWeb and Euroseek
// a second one for their "link:" queries. The defaults are compiled in; the environment
// variable SITEGAUGE_ENGINE_HOSTS ("0=host[:port],1=...,2b=...") and the program's own
// overrides (sitegauge-cli --engine-host, tests, the demo) replace any of them. A host written
// "https://host[:port]" is asked over TLS; every other one over plain HTTP. Tests point them at
// loopback servers, so that no test ever reaches a real engine.

#include <array>
#include <string>
#include <string_view>

#include "engines/EngineId.h"

namespace sg {

inline constexpr const char* kEngineHostsEnv = "SITEGAUGE_ENGINE_HOSTS";

// Results of the assignment operations.
inline constexpr int kHostsOk = 0;
inline constexpr int kHostsNoEquals = 1;  // an assignment without "="
inline constexpr int kHostsBadKey = 2;    // not 0..10, "2b" or "5b"
inline constexpr int kHostsBadHost = 3;   // empty, a character outside a host name, a bad port

class EngineHosts {
  public:
    // Slots 0..10 are the search hosts in EngineId order; then the second hosts.
    static constexpr int kSlotCount = 13;
    static constexpr int kAllTheWebSecond = 11;
    static constexpr int kEuroseekSecond = 12;

    // The compiled-in defaults.
    EngineHosts();

    const std::string& SearchHost(EngineId id) const;
    // The host of the engine's "link:" query: the second host of AllTheWeb and Euroseek, the
    // search host of the others.
    const std::string& LinkHost(EngineId id) const;
    const std::string& SlotHost(int slot) const { return hosts_[slot]; }

    // The slot a key names ("0".."10", "2b", "5b"), or -1.
    static int SlotForKey(std::string_view key);
    // A host name or dotted address, optionally ":" and a port 1..65535, optionally after
    // "https://" (any case).
    static bool IsValidHost(std::string_view host);
    // The address prefix of requests to `host`: "http://" + host, or the host itself when it
    // carries "https://".
    static std::string Address(std::string_view host);

    // One slot by its key; kHostsOk or the reason nothing changed.
    int Set(std::string_view key, std::string_view host);
    // "KEY=HOST[:PORT]".
    int Assign(std::string_view assignment);
    // Comma-separated assignments (blank entries are skipped). Every valid one is applied;
    // kHostsOk when all were valid, else the result of the first one that was not.
    int AssignList(std::string_view list);
    // Every slot, the second hosts included; kHostsOk or kHostsBadHost (nothing changed).
    int SetAll(std::string_view host);
    // One slot, unchecked (for hosts checked before).
    void SetSlot(int slot, std::string_view host) { hosts_[slot] = host; }

  private:
    std::array<std::string, kSlotCount> hosts_;
};

// The hosts in force now: the defaults, then SITEGAUGE_ENGINE_HOSTS (its invalid entries are
// ignored), then the overrides below in the order they were made.
EngineHosts CurrentEngineHosts();

// Process-wide overrides, taking precedence over the environment. Results as for Assign.
int OverrideEngineHost(std::string_view assignment);
int OverrideAllEngineHosts(std::string_view host);
void ClearEngineHostOverrides();

}  // namespace sg
