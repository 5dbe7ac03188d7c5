#pragma once
// A loopback stand-in for a self-hosted metasearch instance: /config lists a few engines (two
// enabled general ones, "google" and "bing", one disabled, one of another category) and /search
// serves each engine's scripted result addresses in the instance's JSON shape, `pageSize` per
// page by "pageno". It records every request target, and can refuse JSON (403), answer HTML,
// or stay silent.

#include <mutex>
#include <string>
#include <vector>

#include "demo/MetasearchEmulator.h"
#include "support/LoopbackServer.h"

namespace sg::test {

class MetasearchStandIn {
  public:
    enum class Mode { kNormal, kRefuseJson, kNotJson, kSilent };

    MetasearchStandIn();

    // The engine's results for every keyword.
    void SetResults(const std::string& engine, std::vector<std::string> urls) {
        instance_.SetResults(engine, "", std::move(urls));
    }
    void SetPageSize(int size) { instance_.SetPageSize(size); }
    // Thumbnails, failing engines, more engines: as the emulated instance offers them.
    MetasearchEmulator& Instance() { return instance_; }
    void SetMode(Mode mode) { mode_ = mode; }

    // "http://127.0.0.1:PORT".
    std::string Address() const;
    // The request targets in arrival order ("/search?q=...").
    std::vector<std::string> Targets() const;
    // The value of `name` in a target's query, as sent (not decoded).
    static std::string QueryValue(const std::string& target, const std::string& name) {
        return MetasearchEmulator::QueryValue(target, name);
    }

  private:
    void Serve(LoopbackConnection& conn);

    MetasearchEmulator instance_;
    mutable std::mutex mutex_;
    std::vector<std::string> targets_;
    std::atomic<Mode> mode_{Mode::kNormal};
    // Last, so that it stops before the members its handler uses go.
    LoopbackServer server_;
};

}  // namespace sg::test
