#pragma once
// A relay on 127.0.0.1 in front of the engine emulator for one engine: the engine's host is
// pointed at the relay, which passes the first requests straight through and holds every later
// one until the test releases it. While a request is held the run waits for that result page,
// so a test can press a button at a known point of an engine's search.

#include <atomic>
#include <string>

#include "demo/EngineEmulator.h"
#include "engines/EngineId.h"
#include "support/LoopbackServer.h"

namespace sg::test {

class HeldEngine {
  public:
    // The emulator must be started and pointed at already; the relay overrides one engine's
    // host after that (the emulator's destructor clears every override).
    HeldEngine(const EngineEmulator& emulator, EngineId id, int passedRequests);

    // Requests that reached the relay so far, held ones included.
    int Arrived() const { return arrived_.load(); }
    // Lets the held requests and all later ones through.
    void Release() { held_ = false; }

  private:
    std::atomic<bool> held_{true};
    std::atomic<int> arrived_{0};
    int passed_;
    int emulatorPort_;
    LoopbackServer server_;
};

}  // namespace sg::test
