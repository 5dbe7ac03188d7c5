#include "net/ConnectionSetting.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <filesystem>

#include "html/TextUtil.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

std::atomic<int> connectionsPerHost{kDefaultConnectionsPerHost};
std::atomic<bool> overridden{false};

}  // namespace

int ConnectionsPerHost() {
    return connectionsPerHost.load();
}

void SetConnectionsPerHost(int connections) {
    connectionsPerHost.store(std::clamp(connections, 1, kMaxConnectionsPerHost));
}

int LoadConnectionSetting(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return 0;
    }
    const std::string_view number = TrimBlanksView(text);
    int value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || value < 1 ||
        value > kMaxConnectionsPerHost) {
        return 0;
    }
    return value;
}

void ApplyStoredConnectionSetting(const std::string& path) {
    if (overridden.load()) {
        return;
    }
    const int stored = LoadConnectionSetting(path);
    SetConnectionsPerHost(stored > 0 ? stored : kDefaultConnectionsPerHost);
}

void OverrideConnectionsPerHost(int connections) {
    overridden.store(true);
    SetConnectionsPerHost(connections);
}

bool SaveConnectionSetting(const std::string& path, int connections) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteFileAtomically(path, std::to_string(connections) + "\n");
}

}  // namespace sg
