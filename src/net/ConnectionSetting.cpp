#include "net/ConnectionSetting.h"

#include "model/NumberSetting.h"

namespace sg {
namespace {

NumberSetting setting(kDefaultConnectionsPerHost, kMaxConnectionsPerHost);

}  // namespace

int ConnectionsPerHost() {
    return setting.Value();
}

void SetConnectionsPerHost(int connections) {
    setting.Set(connections);
}

int LoadConnectionSetting(const std::string& path) {
    return setting.Load(path);
}

bool SaveConnectionSetting(const std::string& path, int connections) {
    return NumberSetting::Save(path, connections);
}

void ApplyStoredConnectionSetting(const std::string& path) {
    setting.ApplyStored(path);
}

void OverrideConnectionsPerHost(int connections) {
    setting.Override(connections);
}

}  // namespace sg
