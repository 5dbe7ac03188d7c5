#pragma once
// What a self-hosted metasearch instance answers, without a server of its own: the engine
// emulator serves it under a path of its port for the demo, and the tests' stand-in serves it
// alone. /config lists the engines it was told about; /search answers an engine's scripted
// result addresses for a keyword in the instance's JSON shape, `pageSize` per page by
// "pageno", or, without "format=json", as a plain HTML page (the page a report links to).
// Thread-safe.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sg {

class MetasearchEmulator {
  public:
    // An entry of /config. SetResults adds an enabled general engine by itself; this adds any
    // other (disabled, another category) as well.
    void AddEngine(const std::string& name, const std::string& category, bool enabled);
    // The result addresses of `keyword` (as typed; "" for every keyword) on the engine, in rank
    // order.
    void SetResults(const std::string& engine, std::string_view keyword,
                    std::vector<std::string> urls);
    void SetPageSize(int size) { pageSize_ = size > 0 ? size : 1; }

    // The body and Content-Type value for a request target below the instance's address
    // ("/config", "/search?q=..."); false for any other target.
    bool Answer(std::string_view target, std::string& body, std::string& type) const;

    // The value of `name` in a target's query, as sent (not decoded); empty when absent.
    static std::string QueryValue(std::string_view target, std::string_view name);

  private:
    struct Engine {
        std::string name;
        std::string category;
        bool enabled = true;
    };
    std::string ConfigBody() const;
    std::string SearchBody(std::string_view target, bool json) const;

    mutable std::mutex mutex_;
    std::vector<Engine> engines_;
    // [engine, encoded keyword] = addresses.
    std::map<std::pair<std::string, std::string>, std::vector<std::string>> results_;
    std::atomic<int> pageSize_{10};
};

}  // namespace sg
