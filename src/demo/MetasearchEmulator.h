#pragma once
// What a self-hosted metasearch instance (SearXNG) answers, without a server of its own: the
// engine emulator serves it under a path of its port for the demo, and the tests' stand-in
// serves it alone. /config lists the engines it was told about; /search answers in the
// instance's JSON shape, or, without "format=json", as a plain HTML page (the page a report
// links to). It behaves as the real instance does where a client can go wrong:
// - each result carries "engines" and "positions", its ranks on the engine's page; results
//   whose addresses differ only in scheme are merged into one (https wins) with all their
//   ranks, and the list is ordered by score (occurrences / rank, summed), with results that
//   have a thumbnail after the others; there is no "number_of_results";
// - an engine told to fail is listed in "unresponsive_engines" with its reason, and is then
//   suspended for its ban time ("Suspended: " + reason) without being asked;
// - a word of the query "!shortcut" or "!name" (a blank written "_") chooses that engine over
//   "engines=", ":xx" (a language) and "<N" (a time-out) are taken off the query, and "query"
//   echoes what is left;
// - "engines=" names are percent-decoded; unknown ones are ignored, and with none known every
//   enabled engine of the general category is asked;
// - an ASCII ("xn--") host comes back in its Unicode form.
// Thread-safe.

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sg {

class MetasearchEmulator {
  public:
    // An entry of /config. SetResults adds an enabled general engine by itself; this adds any
    // other (disabled, another category) as well. The shortcut is the name's letters and
    // digits in lower case.
    void AddEngine(const std::string& name, const std::string& category, bool enabled);
    // The result addresses of `keyword` (as typed; "" for every keyword) on the engine, in rank
    // order.
    void SetResults(const std::string& engine, std::string_view keyword,
                    std::vector<std::string> urls);
    // The ranks (1-based, over all pages) of the engine's results that carry a thumbnail.
    void SetThumbnailRanks(const std::string& engine, std::set<int> ranks);
    // The next `times` requests that ask the engine (negative: all) fail with `reason` ("HTTP
    // error"); after each failure the engine is suspended for `ban`.
    void FailEngine(const std::string& engine, const std::string& reason, int times,
                    std::chrono::milliseconds ban);
    void SetPageSize(int size) { pageSize_ = size > 0 ? size : 1; }

    // The body and Content-Type value for a request target below the instance's address
    // ("/config", "/search?q=..."); false for any other target.
    bool Answer(std::string_view target, std::string& body, std::string& type);

    // The value of `name` in a target's query, as sent (not decoded); empty when absent.
    static std::string QueryValue(std::string_view target, std::string_view name);

  private:
    struct Engine {
        std::string name;
        std::string category;
        bool enabled = true;
        std::string shortcut;
        std::set<int> thumbnails{};
        std::string failReason{};
        int failTimes = 0;
        std::chrono::milliseconds ban{0};
        std::chrono::steady_clock::time_point suspendedUntil{};
        std::string suspendedReason{};
    };
    Engine& EngineNamed(const std::string& name);
    std::string ConfigBody() const;
    std::string SearchBody(std::string_view target, bool json);

    mutable std::mutex mutex_;
    std::vector<Engine> engines_;
    // [engine, encoded keyword] = addresses.
    std::map<std::pair<std::string, std::string>, std::vector<std::string>> results_;
    std::atomic<int> pageSize_{10};
};

}  // namespace sg
