#pragma once
// What Open PageRank's getPageRank answers, without a server of its own: the engine emulator
// serves it under kOprPath of its port, for the demo and the tests. It checks the "API-OPR"
// header (any letter case) against its key (401 when it differs or is missing, 403 when the key
// is marked refused), answers 429 once its quota of requests is spent, and otherwise gives per
// domain its score and rank, or status_code 404 "Domain not found" for a domain it was not
// told about. Thread-safe.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

inline constexpr std::string_view kOprPath = "/opr/api/v1.0/getPageRank";

class OpenPageRankEmulator {
  public:
    void SetKey(std::string key);
    // 403 for this key instead of scores (a key the service has blocked).
    void SetRefusedKey(std::string key);
    void SetScore(const std::string& domain, double score, std::int64_t rank);
    // Requests answered before every further one gets 429; negative: no quota.
    void SetQuota(int requests);

    // The whole HTTP response for a request of `target` (path and query) with these header
    // lines (without CR LF).
    std::string Respond(std::string_view target, const std::vector<std::string>& headers);
    // The targets asked, in order.
    std::vector<std::string> Targets() const;

  private:
    mutable std::mutex mutex_;
    std::string key_;
    std::string refusedKey_;
    std::map<std::string, std::pair<double, std::int64_t>, std::less<>> scores_;
    int quota_ = -1;
    std::vector<std::string> targets_;
};

}  // namespace sg
