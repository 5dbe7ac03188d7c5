#pragma once
// Everything the demo needs running: the two demo web sites, each on its own loopback port, and
// the engine emulator set up to rank them (DemoEngines), with every engine host pointed at it
// and the online check answered yes (all of it is on this machine). Stop, or the destructor,
// undoes all of that.
//
// The own site (site 0) has moved to https: its plain address answers "301 Moved Permanently"
// to the same path on a second loopback port, which serves it over TLS with a certificate made
// at this start (DemoCertificate). The process trusts that certificate while the session runs
// and no longer (TrustedCertificates.h); the rival stays plain HTTP. The engines list both
// sites by their project addresses, the plain ones, as the Position Analyzer and Link
// Popularity match them. The demo's link authority sources (DemoAuthority) are in force while
// it runs. The emulator is the metasearch instance in force too, offering two
// live engines, until Stop puts the one before it back.

#include <array>
#include <memory>
#include <string>

#include "demo/DemoEngines.h"
#include "model/LinkAuthoritySettings.h"

namespace sg {

class DemoSiteServer;
class EngineEmulator;
class TlsServerContext;

// Results of Start.
inline constexpr int kDemoStarted = 0;
// A loopback port could not be opened.
inline constexpr int kDemoNoPort = 1;
// The own site's certificate could not be made or used (3: DemoProject has 2).
inline constexpr int kDemoNoCertificate = 3;

// The site that moved to https.
inline constexpr int kDemoMovedSite = 0;

class DemoSession {
  public:
    DemoSession();
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // Starts what is not running yet; kDemoStarted, kDemoNoPort or kDemoNoCertificate (then
    // nothing runs and nothing is trusted).
    int Start();
    void Stop();
    bool Running() const;

    // The project URL of demo site 0 (the own site) or 1 (the rival), as the project stores it:
    // "127.0.0.1:" + port + "/". Empty while not running.
    std::string SiteUrl(int site) const;
    // Where demo site `site` answers after its redirect: "https://127.0.0.1:" + port + "/" for
    // kDemoMovedSite; empty for the other site and while not running.
    std::string MovedSiteUrl(int site) const;
    // "127.0.0.1:" + port of the engine emulator; empty while not running.
    std::string EngineHost() const;
    // The emulator's metasearch instance address; empty while not running.
    std::string MetasearchAddress() const;
    // The certificate of the https site as PEM, trusted while the session runs; empty while
    // not running.
    const std::string& CertificatePem() const { return certificatePem_; }

  private:
    std::array<std::unique_ptr<DemoSiteServer>, kDemoSiteCount> sites_;
    std::unique_ptr<EngineEmulator> engines_;
    // What the https site presents; it outlives the site servers.
    std::unique_ptr<TlsServerContext> tls_;
    // Set while the process trusts it.
    std::string certificatePem_;
    // The metasearch instance in force before Start.
    std::string previousMetasearch_;
    // The link authority sources in force before Start.
    LinkAuthoritySettings previousAuthority_;
};

// The one session of the process, for a front end that keeps the demo up for as long as the
// program runs (the desktop program). It is stopped when the process exits.
DemoSession& SharedDemoSession();

}  // namespace sg
