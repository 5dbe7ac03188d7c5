#pragma once
// Open PageRank's scores of domains: GET {address}?domains[]=a.com&domains[]=b.org with the
// header "API-OPR: KEY", answered as JSON with, per domain, "page_rank_decimal" (0-10), "rank"
// and "status_code"/"error". Asked through the program's web client (the proxy settings, its
// bounded waits, up to three attempts), at most kOprDomainsPerRequest domains a request. The
// key travels in the header only, never in an address, and is never logged.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sg {

inline constexpr std::size_t kOprDomainsPerRequest = 100;

// Results of AskOpenPageRank, per request and so per domain.
inline constexpr int kOprOk = 0;
// The service does not rank the domain (its status_code 404): not a failure.
inline constexpr int kOprNotRanked = 1;
// The key was refused (401 or 403).
inline constexpr int kOprKeyRefused = 2;
// The quota was reached (429).
inline constexpr int kOprQuota = 3;
// No answer, another status, an answer that is not the service's JSON, or a domain's own error.
inline constexpr int kOprFailed = 4;
// No key given: nothing asked.
inline constexpr int kOprNoKey = 5;

struct OprScore {
    int result = kOprFailed;
    // Set with kOprOk.
    double score = 0.0;
    std::optional<std::int64_t> rank;
    // What the cell and the data say when there is no score ("key refused (HTTP 401)").
    std::string why;
};

// One OprScore per domain, in order. Asks nothing without a key.
std::vector<OprScore> AskOpenPageRank(const std::string& address, const std::string& key,
                                      std::span<const std::string> domains);

}  // namespace sg
