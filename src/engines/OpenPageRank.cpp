#include "engines/OpenPageRank.h"

#include <nlohmann/json.hpp>

#include <charconv>

#include "html/UrlText.h"
#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"

namespace sg {
namespace {

constexpr int kAttempts = 3;

std::string RequestAddress(const std::string& address, std::span<const std::string> domains) {
    std::string url = address;
    char separator = url.find('?') == std::string::npos ? '?' : '&';
    for (const std::string& domain : domains) {
        url += separator;
        url += "domains%5B%5D=" + PercentEncode(domain);
        separator = '&';
    }
    return url;
}

OprScore Failure(int result, std::string why) {
    OprScore score;
    score.result = result;
    score.why = std::move(why);
    return score;
}

// The service writes rank as a string ("1234") or a number, or null.
std::optional<std::int64_t> RankOf(const nlohmann::json& value) {
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        std::int64_t rank = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rank);
        if (error == std::errc() && end == text.data() + text.size() && rank > 0) {
            return rank;
        }
    }
    return std::nullopt;
}

// Scores of one request's domains from the service's JSON; a domain it does not mention fails.
void ReadScores(const std::string& body, std::span<const std::string> domains,
                std::vector<OprScore>& out) {
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    const std::size_t first = out.size();
    out.resize(first + domains.size(), Failure(kOprFailed, "not in the answer"));
    if (!answer.is_object() || !answer.contains("response") || !answer["response"].is_array()) {
        for (std::size_t i = first; i < out.size(); ++i) {
            out[i] = Failure(kOprFailed, "request failed (unreadable answer)");
        }
        return;
    }
    for (const nlohmann::json& item : answer["response"]) {
        if (!item.is_object() || !item.contains("domain") || !item["domain"].is_string()) {
            continue;
        }
        const std::string domain = item["domain"].get<std::string>();
        for (std::size_t i = 0; i < domains.size(); ++i) {
            if (domains[i] != domain) {
                continue;
            }
            OprScore& score = out[first + i];
            const int status = item.value("status_code", 0);
            const std::string error = item.contains("error") && item["error"].is_string()
                                          ? item["error"].get<std::string>()
                                          : std::string();
            if (status == 200 && item.contains("page_rank_decimal") &&
                item["page_rank_decimal"].is_number()) {
                score.result = kOprOk;
                score.score = item["page_rank_decimal"].get<double>();
                score.rank = item.contains("rank") ? RankOf(item["rank"]) : std::nullopt;
                score.why.clear();
            } else if (status == 404) {
                score = Failure(kOprNotRanked, "not ranked");
            } else {
                score = Failure(
                    kOprFailed,
                    "failed: " + (error.empty() ? "status " + std::to_string(status) : error));
            }
        }
    }
}

void AskOnce(const std::string& address, const std::string& key,
             std::span<const std::string> domains, std::vector<OprScore>& out) {
    CWebClient client;
    ApplyProxySettings(client);
    client.SetKeepsAnyBody(true);
    const std::string header = "API-OPR: " + key;
    client.AddRequestHeader(header.c_str());
    const int result = client.FetchPageRetrying(RequestAddress(address, domains), kAttempts);
    const int status = client.StatusCode();
    OprScore failure;
    if (result != CWebClient::kFetchOk || status == 0) {
        failure = Failure(kOprFailed, "request failed (no answer)");
    } else if (status == 401 || status == 403) {
        failure = Failure(kOprKeyRefused, "key refused (HTTP " + std::to_string(status) + ")");
    } else if (status == 429) {
        failure = Failure(kOprQuota, "quota reached (HTTP 429)");
    } else if (status != 200) {
        failure = Failure(kOprFailed, "request failed (HTTP " + std::to_string(status) + ")");
    } else {
        ReadScores(client.BodyText(), domains, out);
        return;
    }
    out.insert(out.end(), domains.size(), failure);
}

}  // namespace

std::vector<OprScore> AskOpenPageRank(const std::string& address, const std::string& key,
                                      std::span<const std::string> domains) {
    std::vector<OprScore> scores;
    scores.reserve(domains.size());
    if (key.empty()) {
        scores.assign(domains.size(), Failure(kOprNoKey, "no key given"));
        return scores;
    }
    for (std::size_t first = 0; first < domains.size(); first += kOprDomainsPerRequest) {
        AskOnce(address, key,
                domains.subspan(first, std::min(kOprDomainsPerRequest, domains.size() - first)),
                scores);
    }
    return scores;
}

}  // namespace sg
