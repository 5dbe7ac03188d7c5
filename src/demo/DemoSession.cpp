#include "demo/DemoSession.h"

#include <openssl/ssl.h>

#include <cstdlib>

#include "demo/DemoAuthority.h"
#include "demo/DemoCertificate.h"
#include "demo/DemoSiteServer.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineHosts.h"
#include "model/AppState.h"
#include "net/MetasearchSetting.h"
#include "net/TlsServerContext.h"
#include "net/TrustedCertificates.h"
#include "platform/Connectivity.h"

namespace sg {
namespace {

constexpr const char* kSiteFolders[kDemoSiteCount] = {"site-a", "site-b"};
// Ports in the dynamic range that few programs take; [plain, tls] for each site.
constexpr int kPreferredPorts[kDemoSiteCount][2] = {{49631, 49632}, {49633, 0}};

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
    // A new key and certificate at every start, in memory only.
    DemoCertificate certificate;
    tls_ = std::make_unique<TlsServerContext>();
    if (MakeDemoCertificate(certificate) != kDemoCertificateMade ||
        tls_->Load(certificate.certificatePem, certificate.keyPem) != TlsServerContext::kOk ||
        AddTrustedCertificate(certificate.certificatePem) != kTrustOk) {
        Stop();
        return kDemoNoCertificate;
    }
    certificatePem_ = certificate.certificatePem;
    for (int site = 0; site < kDemoSiteCount; ++site) {
        sites_[site] = std::make_unique<DemoSiteServer>(kSiteFolders[site]);
        // The same addresses from one demo to the next where the ports are free, so that the
        // position history sees the same sites run after run.
        sites_[site]->PreferPorts(kPreferredPorts[site][0], kPreferredPorts[site][1]);
    }
    engines_ = std::make_unique<EngineEmulator>();
    bool started = engines_->Start();
    for (int site = 0; site < kDemoSiteCount; ++site) {
        started = started && (site == kDemoMovedSite ? sites_[site]->StartMoved(*tls_)
                                                     : sites_[site]->Start());
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
    previousMetasearch_ = MetasearchInstance();
    SetMetasearchInstance(engines_->MetasearchAddress());
    previousAuthority_ = App().authority;
    // The ranks file goes to the working folder, where a user finds it; none without one.
    const std::string& workDir = App().paths.workDir;
    ConfigureDemoAuthority(*engines_, urls,
                           workDir.empty() ? std::string() : workDir + "/demo-cc-ranks.txt.gz",
                           App().authority);
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
    tls_.reset();
    if (!certificatePem_.empty()) {
        RemoveTrustedCertificate(certificatePem_);
        certificatePem_.clear();
    }
    if (wasRunning) {
        SetOnlineCheck(nullptr);
        SetMetasearchInstance(previousMetasearch_);
        App().authority = previousAuthority_;
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

std::string DemoSession::MovedSiteUrl(int site) const {
    if (!Running() || site != kDemoMovedSite) {
        return {};
    }
    return sites_[site]->MovedUrl();
}

std::string DemoSession::MetasearchAddress() const {
    return Running() ? engines_->MetasearchAddress() : std::string();
}

std::string DemoSession::EngineHost() const {
    return Running() ? engines_->Host() : std::string();
}

DemoSession& SharedDemoSession() {
    if (sharedSession == nullptr) {
        sharedSession = new DemoSession;
        // The engine host overrides and OpenSSL (whose own exit handler ends it) come into
        // being at their first use; using them before registering makes the exit handler run
        // while they still exist.
        CurrentEngineHosts();
        OPENSSL_init_ssl(0, nullptr);
        std::atexit(StopSharedSession);
    }
    return *sharedSession;
}

}  // namespace sg
