#pragma once
// Everything the demo needs running: the two demo web sites, each on its own loopback port, and
// the engine emulator set up to rank them (DemoEngines), with every engine host pointed at it
// and the online check answered yes (all of it is on this machine). Stop, or the destructor,
// undoes all of that.

#include <array>
#include <memory>
#include <string>

#include "demo/DemoEngines.h"

namespace sg {

class DemoSiteServer;
class EngineEmulator;

// Results of Start.
inline constexpr int kDemoStarted = 0;
// A loopback port could not be opened.
inline constexpr int kDemoNoPort = 1;

class DemoSession {
  public:
    DemoSession();
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // Starts what is not running yet; kDemoStarted or kDemoNoPort (then nothing runs).
    int Start();
    void Stop();
    bool Running() const;

    // The project URL of demo site 0 (the own site) or 1 (the rival), as the project stores it:
    // "127.0.0.1:" + port + "/". Empty while not running.
    std::string SiteUrl(int site) const;
    // "127.0.0.1:" + port of the engine emulator; empty while not running.
    std::string EngineHost() const;

  private:
    std::array<std::unique_ptr<DemoSiteServer>, kDemoSiteCount> sites_;
    std::unique_ptr<EngineEmulator> engines_;
};

// The one session of the process, for a front end that keeps the demo up for as long as the
// program runs (the desktop program). It is stopped when the process exits.
DemoSession& SharedDemoSession();

}  // namespace sg
