#include "demo/MetasearchEmulator.h"

#include <algorithm>
#include <charconv>

#include <nlohmann/json.hpp>

#include "html/UrlText.h"
#include "reports/ReportEscape.h"

namespace sg {

void MetasearchEmulator::AddEngine(const std::string& name, const std::string& category,
                                   bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    engines_.push_back({name, category, enabled});
}

void MetasearchEmulator::SetResults(const std::string& engine, std::string_view keyword,
                                    std::vector<std::string> urls) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::none_of(engines_.begin(), engines_.end(),
                     [&](const Engine& known) { return known.name == engine; })) {
        engines_.push_back({engine, "general", true});
    }
    results_[{engine, PercentEncode(keyword)}] = std::move(urls);
}

std::string MetasearchEmulator::QueryValue(std::string_view target, std::string_view name) {
    const std::size_t query = target.find('?');
    if (query == std::string_view::npos) {
        return {};
    }
    std::string_view rest = target.substr(query + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('&');
        const std::string_view pair = rest.substr(0, end);
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
            return std::string(pair.substr(name.size() + 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    return {};
}

bool MetasearchEmulator::Answer(std::string_view target, std::string& body,
                                std::string& type) const {
    if (target == "/config" || target.starts_with("/config?")) {
        body = ConfigBody();
        type = "application/json";
        return true;
    }
    if (target.starts_with("/search?")) {
        const bool json = QueryValue(target, "format") == "json";
        body = SearchBody(target, json);
        type = json ? "application/json" : "text/html; charset=utf-8";
        return true;
    }
    return false;
}

std::string MetasearchEmulator::ConfigBody() const {
    nlohmann::json engines = nlohmann::json::array();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Engine& engine : engines_) {
            engines.push_back({{"name", engine.name},
                               {"categories", {engine.category}},
                               {"enabled", engine.enabled},
                               {"shortcut", engine.name.substr(0, 2)}});
        }
    }
    return nlohmann::json{{"instance_name", "stand-in"}, {"engines", std::move(engines)}}.dump();
}

std::string MetasearchEmulator::SearchBody(std::string_view target, bool json) const {
    const std::string engine = QueryValue(target, "engines");
    const std::string keyword = QueryValue(target, "q");
    const std::string pageText = QueryValue(target, "pageno");
    int page = 1;
    std::from_chars(pageText.data(), pageText.data() + pageText.size(), page);
    page = std::max(page, 1);
    std::vector<std::string> urls;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = results_.find({engine, keyword});
        if (found == results_.end()) {
            found = results_.find({engine, ""});
        }
        if (found != results_.end()) {
            urls = found->second;
        }
    }
    const std::size_t size = static_cast<std::size_t>(pageSize_.load());
    const std::size_t first = std::min(static_cast<std::size_t>(page - 1) * size, urls.size());
    const std::size_t last = std::min(first + size, urls.size());
    if (!json) {
        std::string html = "<html><head><title>" + ReportText(keyword) +
                           "</title></head><body><ol start=\"" + std::to_string(first + 1) +
                           "\">\n";
        for (std::size_t i = first; i < last; ++i) {
            html += "<li><a href=\"" + ReportAttr(urls[i]) + "\">" + ReportText(urls[i]) +
                    "</a></li>\n";
        }
        return html + "</ol></body></html>\n";
    }
    nlohmann::json body = {{"query", keyword},
                           {"number_of_results", urls.size()},
                           {"results", nlohmann::json::array()},
                           {"answers", nlohmann::json::array()},
                           {"suggestions", nlohmann::json::array()},
                           {"unresponsive_engines", nlohmann::json::array()}};
    for (std::size_t i = first; i < last; ++i) {
        body["results"].push_back({{"url", urls[i]},
                                   {"title", "Result " + std::to_string(i + 1)},
                                   {"content", "text"},
                                   {"engine", engine},
                                   {"engines", {engine}},
                                   {"positions", {i - first + 1}},
                                   {"score", 1.0}});
    }
    return body.dump();
}

}  // namespace sg
