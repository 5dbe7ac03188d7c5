#include "demo/DemoSession.h"

#include <cstdlib>

#include "demo/DemoSiteServer.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineHosts.h"
#include "platform/Connectivity.h"

namespace sg {
namespace {

constexpr const char* kSiteFolders[kDemoSiteCount] = {"site-a", "site-b"};

DemoSession* sharedSession = nullptr;

void StopSharedSession() {
    delete sharedSession;
    sharedSession = nullptr;
}

}  // namespace

DemoSession::DemoSession() = default;

DemoSession::~DemoSession() {
    Stop();
}

int DemoSession::Start() {
    if (Running()) {
        return kDemoStarted;
    }
    for (int site = 0; site < kDemoSiteCount; ++site) {
        sites_[site] = std::make_unique<DemoSiteServer>(kSiteFolders[site]);
    }
    engines_ = std::make_unique<EngineEmulator>();
    bool started = engines_->Start();
    for (auto& site : sites_) {
        started = started && site->Start();
    }
    if (!started) {
        Stop();
        return kDemoNoPort;
    }
    std::array<std::string, kDemoSiteCount> urls;
    for (int site = 0; site < kDemoSiteCount; ++site) {
        urls[site] = SiteUrl(site);
    }
    ConfigureDemoEngines(*engines_, urls);
    engines_->PointEngineHostsHere();
    SetOnlineCheck([] { return true; });
    return kDemoStarted;
}

void DemoSession::Stop() {
    const bool wasRunning = Running();
    // The emulator's destructor takes the engine host overrides back.
    engines_.reset();
    for (auto& site : sites_) {
        site.reset();
    }
    if (wasRunning) {
        SetOnlineCheck(nullptr);
    }
}

bool DemoSession::Running() const {
    return engines_ != nullptr && engines_->Port() != 0;
}

std::string DemoSession::SiteUrl(int site) const {
    if (!Running() || site < 0 || site >= kDemoSiteCount) {
        return {};
    }
    return sites_[site]->Host() + "/";
}

std::string DemoSession::EngineHost() const {
    return Running() ? engines_->Host() : std::string();
}

DemoSession& SharedDemoSession() {
    if (sharedSession == nullptr) {
        sharedSession = new DemoSession;
        // The engine host overrides come into being at their first use; using them before
        // registering makes the exit handler run while they still exist.
        CurrentEngineHosts();
        std::atexit(StopSharedSession);
    }
    return *sharedSession;
}

}  // namespace sg
