#include "engines/EngineHosts.h"

#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::array<std::string_view, EngineHosts::kSlotCount> kDefaultHosts = {
    "www.altavista.com", "www.google.com",   "www.alltheweb.com", "search.msn.com",
    "www.hotbot.com",    "www.euroseek.com", "search.yahoo.com",  "www.overture.com",
    "msxml.excite.com",  "web.ask.com",      "search.aol.com",
    "alltheweb.com",  // AllTheWeb's "link:" host
    "euroseek.com",   // Euroseek's "link:" host
};

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool IsHttpsHost(std::string_view host) {
    return EqualsNoCase(host.substr(0, 8), "https://");
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

struct Overrides {
    std::mutex mutex;
    std::array<std::optional<std::string>, EngineHosts::kSlotCount> hosts;
};

Overrides& TheOverrides() {
    static Overrides overrides;
    return overrides;
}

}  // namespace

EngineHosts::EngineHosts() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        hosts_[slot] = kDefaultHosts[slot];
    }
}

const std::string& EngineHosts::SearchHost(EngineId id) const {
    return hosts_[EngineIndex(id)];
}

const std::string& EngineHosts::LinkHost(EngineId id) const {
    if (id == EngineId::AllTheWeb) {
        return hosts_[kAllTheWebSecond];
    }
    if (id == EngineId::Euroseek) {
        return hosts_[kEuroseekSecond];
    }
    return hosts_[EngineIndex(id)];
}

int EngineHosts::SlotForKey(std::string_view key) {
    if (key == "2b") {
        return kAllTheWebSecond;
    }
    if (key == "5b") {
        return kEuroseekSecond;
    }
    if (key.empty() || key.size() > 2 || (key.size() == 2 && key[0] == '0')) {
        return -1;
    }
    int index = 0;
    for (char c : key) {
        if (c < '0' || c > '9') {
            return -1;
        }
        index = index * 10 + (c - '0');
    }
    return IsEngineIndex(index) ? index : -1;
}

bool EngineHosts::IsValidHost(std::string_view host) {
    if (IsHttpsHost(host)) {
        host.remove_prefix(8);
    }
    const std::size_t colon = host.find(':');
    const std::string_view name = host.substr(0, colon);
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (!IsHostChar(c)) {
            return false;
        }
    }
    if (colon == std::string_view::npos) {
        return true;
    }
    const std::string_view port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5) {
        return false;
    }
    long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

std::string EngineHosts::Address(std::string_view host) {
    return IsHttpsHost(host) ? std::string(host) : "http://" + std::string(host);
}

int EngineHosts::Set(std::string_view key, std::string_view host) {
    const int slot = SlotForKey(key);
    if (slot < 0) {
        return kHostsBadKey;
    }
    if (!IsValidHost(host)) {
        return kHostsBadHost;
    }
    hosts_[slot] = host;
    return kHostsOk;
}

int EngineHosts::Assign(std::string_view assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return kHostsNoEquals;
    }
    return Set(TrimSpaces(assignment.substr(0, equals)), TrimSpaces(assignment.substr(equals + 1)));
}

int EngineHosts::AssignList(std::string_view list) {
    int first = kHostsOk;
    std::size_t from = 0;
    while (from <= list.size()) {
        std::size_t comma = list.find(',', from);
        if (comma == std::string_view::npos) {
            comma = list.size();
        }
        const std::string_view entry = TrimSpaces(list.substr(from, comma - from));
        if (!entry.empty()) {
            const int result = Assign(entry);
            if (result != kHostsOk && first == kHostsOk) {
                first = result;
            }
        }
        from = comma + 1;
    }
    return first;
}

int EngineHosts::SetAll(std::string_view host) {
    if (!IsValidHost(host)) {
        return kHostsBadHost;
    }
    for (std::string& slot : hosts_) {
        slot = host;
    }
    return kHostsOk;
}

EngineHosts CurrentEngineHosts() {
    EngineHosts hosts;
    if (const char* fromEnv = std::getenv(kEngineHostsEnv)) {
        hosts.AssignList(fromEnv);
    }
    Overrides& overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    for (int slot = 0; slot < EngineHosts::kSlotCount; ++slot) {
        if (overrides.hosts[slot]) {
            // The overrides were checked when they were made.
            hosts.SetSlot(slot, *overrides.hosts[slot]);
        }
    }
    return hosts;
}

int OverrideEngineHost(std::string_view assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return kHostsNoEquals;
    }
    const int slot = EngineHosts::SlotForKey(TrimSpaces(assignment.substr(0, equals)));
    const std::string_view host = TrimSpaces(assignment.substr(equals + 1));
    if (slot < 0) {
        return kHostsBadKey;
    }
    if (!EngineHosts::IsValidHost(host)) {
        return kHostsBadHost;
    }
    Overrides& overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    overrides.hosts[slot] = std::string(host);
    return kHostsOk;
}

int OverrideAllEngineHosts(std::string_view host) {
    if (!EngineHosts::IsValidHost(host)) {
        return kHostsBadHost;
    }
    Overrides& overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    for (std::optional<std::string>& slot : overrides.hosts) {
        slot = std::string(host);
    }
    return kHostsOk;
}

void ClearEngineHostOverrides() {
    Overrides& overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    for (std::optional<std::string>& slot : overrides.hosts) {
        slot.reset();
    }
}

}  // namespace sg
