#pragma once
// A loopback stand-in for a self-hosted metasearch instance: /config lists a few engines (two
// enabled general ones, "google" and "bing", one disabled, one of another category) and /search
// serves each engine's scripted result addresses in the instance's JSON shape, `pageSize` per
// page by "pageno". It records every request target, and can refuse JSON (403), answer HTML,
// or stay silent.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace sg::test {

class MetasearchStandIn {
  public:
    enum class Mode { kNormal, kRefuseJson, kNotJson, kSilent };

    MetasearchStandIn();

    void SetResults(const std::string& engine, std::vector<std::string> urls);
    void SetPageSize(int size) { pageSize_ = size; }
    void SetMode(Mode mode) { mode_ = mode; }

    // "http://127.0.0.1:PORT".
    std::string Address() const;
    // The request targets in arrival order ("/search?q=...").
    std::vector<std::string> Targets() const;
    // The value of `name` in a target's query, as sent (not decoded).
    static std::string QueryValue(const std::string& target, const std::string& name);

  private:
    void Serve(LoopbackConnection& conn);
    std::string SearchBody(const std::string& target);

    mutable std::mutex mutex_;
    std::map<std::string, std::vector<std::string>> results_;
    std::vector<std::string> targets_;
    std::atomic<int> pageSize_{10};
    std::atomic<Mode> mode_{Mode::kNormal};
    // Last, so that it stops before the members its handler uses go.
    LoopbackServer server_;
};

}  // namespace sg::test
