#include "demo/OpenPageRankEmulator.h"

#include <nlohmann/json.hpp>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

std::string Response(int status, std::string_view reason, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Decoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

}  // namespace

void OpenPageRankEmulator::SetKey(std::string key) {
    std::lock_guard lock(mutex_);
    key_ = std::move(key);
}

void OpenPageRankEmulator::SetRefusedKey(std::string key) {
    std::lock_guard lock(mutex_);
    refusedKey_ = std::move(key);
}

void OpenPageRankEmulator::SetScore(const std::string& domain, double score, std::int64_t rank) {
    std::lock_guard lock(mutex_);
    scores_[domain] = {score, rank};
}

void OpenPageRankEmulator::SetQuota(int requests) {
    std::lock_guard lock(mutex_);
    quota_ = requests;
}

std::vector<std::string> OpenPageRankEmulator::Targets() const {
    std::lock_guard lock(mutex_);
    return targets_;
}

std::string OpenPageRankEmulator::Respond(std::string_view target,
                                          const std::vector<std::string>& headers) {
    std::lock_guard lock(mutex_);
    targets_.emplace_back(target);
    std::string key;
    for (const std::string& line : headers) {
        if (StartsWithNoCase(line, "API-OPR:")) {
            key = std::string(TrimBlanksView(std::string_view(line).substr(8)));
        }
    }
    if (!refusedKey_.empty() && key == refusedKey_) {
        return Response(403, "Forbidden", R"({"error":"Forbidden"})");
    }
    if (key.empty() || key != key_) {
        return Response(401, "Unauthorized", R"({"error":"Unauthorized"})");
    }
    if (quota_ == 0) {
        return Response(429, "Too Many Requests", R"({"error":"Too Many Requests"})");
    }
    if (quota_ > 0) {
        --quota_;
    }
    nlohmann::json response = nlohmann::json::array();
    const std::size_t query = target.find('?');
    std::string_view rest = query == std::string_view::npos ? "" : target.substr(query + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string pair = Decoded(rest.substr(0, amp));
        rest = amp == std::string_view::npos ? "" : rest.substr(amp + 1);
        if (!pair.starts_with("domains[]=")) {
            continue;
        }
        const std::string domain = pair.substr(10);
        const auto found = scores_.find(domain);
        if (found == scores_.end()) {
            response.push_back({{"status_code", 404},
                                {"error", "Domain not found"},
                                {"page_rank_integer", 0},
                                {"page_rank_decimal", 0},
                                {"rank", nullptr},
                                {"domain", domain}});
        } else {
            response.push_back({{"status_code", 200},
                                {"error", ""},
                                {"page_rank_integer", static_cast<int>(found->second.first)},
                                {"page_rank_decimal", found->second.first},
                                {"rank", std::to_string(found->second.second)},
                                {"domain", domain}});
        }
    }
    const nlohmann::json answer = {
        {"status_code", 200}, {"response", response}, {"last_updated", "10th Dec 2026"}};
    return Response(200, "OK", answer.dump());
}

}  // namespace sg
