#include "demo/MetasearchEmulator.h"

#include <algorithm>
#include <charconv>

#include <nlohmann/json.hpp>

#include "html/IdnHost.h"
#include "html/UrlText.h"
#include "platform/Ansi.h"
#include "reports/ReportEscape.h"

namespace sg {
namespace {

// A query value as a form sends it: "+" is a blank, "%XX" a byte.
std::string FormDecode(std::string_view value) {
    std::string decoded;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '+') {
            decoded += ' ';
        } else if (value[i] == '%' && i + 2 < value.size() && HexDigitValue(value[i + 1]) >= 0 &&
                   HexDigitValue(value[i + 2]) >= 0) {
            decoded +=
                static_cast<char>(HexDigitValue(value[i + 1]) * 16 + HexDigitValue(value[i + 2]));
            i += 2;
        } else {
            decoded += value[i];
        }
    }
    return decoded;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
            ++i;
        }
        if (i > start) {
            words.emplace_back(text.substr(start, i - start));
        }
    }
    return words;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string DefaultShortcut(const std::string& name) {
    std::string shortcut;
    for (char c : Lower(name)) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            shortcut += c;
        }
    }
    return shortcut.empty() ? std::string("e") : shortcut;
}

// The address without its scheme: what makes two results the same one.
std::string_view WithoutScheme(std::string_view url) {
    const std::size_t scheme = url.find("://");
    return scheme == std::string_view::npos ? url : url.substr(scheme + 3);
}

struct Merged {
    std::string url;
    std::vector<std::string> engines;
    std::vector<int> positions;
    bool thumbnail = false;
    double score = 0;
};

}  // namespace

MetasearchEmulator::Engine& MetasearchEmulator::EngineNamed(const std::string& name) {
    for (Engine& engine : engines_) {
        if (engine.name == name) {
            return engine;
        }
    }
    engines_.push_back({name, "general", true, DefaultShortcut(name)});
    return engines_.back();
}

void MetasearchEmulator::AddEngine(const std::string& name, const std::string& category,
                                   bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    engines_.push_back({name, category, enabled, DefaultShortcut(name)});
}

void MetasearchEmulator::SetResults(const std::string& engine, std::string_view keyword,
                                    std::vector<std::string> urls) {
    std::lock_guard<std::mutex> lock(mutex_);
    EngineNamed(engine);
    results_[{engine, PercentEncode(keyword)}] = std::move(urls);
}

void MetasearchEmulator::SetThumbnailRanks(const std::string& engine, std::set<int> ranks) {
    std::lock_guard<std::mutex> lock(mutex_);
    EngineNamed(engine).thumbnails = std::move(ranks);
}

void MetasearchEmulator::FailEngine(const std::string& engine, const std::string& reason, int times,
                                    std::chrono::milliseconds ban) {
    std::lock_guard<std::mutex> lock(mutex_);
    Engine& failing = EngineNamed(engine);
    failing.failReason = reason;
    failing.failTimes = times;
    failing.ban = ban;
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

bool MetasearchEmulator::Answer(std::string_view target, std::string& body, std::string& type) {
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
                               {"shortcut", engine.shortcut},
                               {"paging", true}});
        }
    }
    return nlohmann::json{
        {"instance_name", "stand-in"}, {"version", "stand-in"}, {"engines", std::move(engines)}}
        .dump();
}

std::string MetasearchEmulator::SearchBody(std::string_view target, bool json) {
    std::lock_guard<std::mutex> lock(mutex_);
    // The query's own syntax: bangs choose engines, languages and time-outs are taken off.
    std::vector<std::string> banged;
    std::string query;
    for (const std::string& word : Words(FormDecode(QueryValue(target, "q")))) {
        bool syntax = false;
        if (word.size() > 1 && word[0] == '!' && word[1] != '!') {
            std::string wanted = Lower(word.substr(1));
            std::replace(wanted.begin(), wanted.end(), '_', ' ');
            std::replace(wanted.begin(), wanted.end(), '-', ' ');
            for (const Engine& engine : engines_) {
                if (engine.shortcut == wanted || Lower(engine.name) == wanted) {
                    banged.push_back(engine.name);
                    syntax = true;
                }
            }
        } else if (word.size() == 3 && word[0] == ':') {
            syntax = true;
        } else if (word.size() > 1 && word[0] == '<' &&
                   std::all_of(word.begin() + 1, word.end(),
                               [](char c) { return c >= '0' && c <= '9'; })) {
            syntax = true;
        }
        if (!syntax) {
            query += (query.empty() ? "" : " ") + word;
        }
    }
    std::vector<std::string> asked = banged;
    if (asked.empty()) {
        const std::string names = QueryValue(target, "engines");
        std::string_view rest = names;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string name = FormDecode(rest.substr(0, comma));
            if (std::any_of(engines_.begin(), engines_.end(),
                            [&](const Engine& e) { return e.name == name; })) {
                asked.push_back(name);
            }
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    if (asked.empty()) {
        for (const Engine& engine : engines_) {
            if (engine.enabled && engine.category == "general") {
                asked.push_back(engine.name);
            }
        }
    }
    const std::string pageText = QueryValue(target, "pageno");
    int page = 1;
    std::from_chars(pageText.data(), pageText.data() + pageText.size(), page);
    page = std::max(page, 1);
    const std::size_t size = static_cast<std::size_t>(pageSize_.load());
    const std::string key = PercentEncode(query);
    const auto now = std::chrono::steady_clock::now();

    std::vector<Merged> merged;
    std::vector<std::pair<std::string, std::string>> unresponsive;
    std::vector<std::string> plain;
    for (const std::string& name : asked) {
        Engine& engine = EngineNamed(name);
        if (now < engine.suspendedUntil) {
            unresponsive.emplace_back(name, "Suspended: " + engine.suspendedReason);
            continue;
        }
        if (!engine.failReason.empty() && engine.failTimes != 0) {
            unresponsive.emplace_back(name, engine.failReason);
            engine.suspendedReason = engine.failReason;
            engine.suspendedUntil = now + engine.ban;
            if (engine.failTimes > 0) {
                --engine.failTimes;
            }
            continue;
        }
        auto found = results_.find({name, key});
        if (found == results_.end()) {
            found = results_.find({name, ""});
        }
        if (found == results_.end()) {
            continue;
        }
        const std::vector<std::string>& urls = found->second;
        const std::size_t first = std::min(static_cast<std::size_t>(page - 1) * size, urls.size());
        const std::size_t last = std::min(first + size, urls.size());
        for (std::size_t i = first; i < last; ++i) {
            const int rank = static_cast<int>(i - first + 1);
            const std::string url = UnicodeHostForm(urls[i]);
            plain.push_back(url);
            auto same = std::find_if(merged.begin(), merged.end(), [&](const Merged& m) {
                return WithoutScheme(m.url) == WithoutScheme(url);
            });
            if (same == merged.end()) {
                merged.push_back({url, {}, {}, false, 0});
                same = merged.end() - 1;
            } else if (url.starts_with("https://")) {
                same->url = url;
            }
            if (std::find(same->engines.begin(), same->engines.end(), name) ==
                same->engines.end()) {
                same->engines.push_back(name);
            }
            same->positions.push_back(rank);
            same->thumbnail =
                same->thumbnail || engine.thumbnails.count(static_cast<int>(i) + 1) != 0;
        }
    }
    if (!json) {
        std::string html =
            "<html><head><title>" + ReportText(query) + "</title></head><body><ol>\n";
        for (const std::string& url : plain) {
            html += "<li><a href=\"" + ReportAttr(url) + "\">" + ReportText(url) + "</a></li>\n";
        }
        return html + "</ol></body></html>\n";
    }
    for (Merged& result : merged) {
        for (int position : result.positions) {
            result.score += static_cast<double>(result.positions.size()) / position;
        }
    }
    std::stable_sort(merged.begin(), merged.end(), [](const Merged& a, const Merged& b) {
        if (a.thumbnail != b.thumbnail) {
            return !a.thumbnail;
        }
        return a.score > b.score;
    });
    std::sort(unresponsive.begin(), unresponsive.end());
    nlohmann::json body = {{"query", query},
                           {"results", nlohmann::json::array()},
                           {"answers", nlohmann::json::array()},
                           {"corrections", nlohmann::json::array()},
                           {"infoboxes", nlohmann::json::array()},
                           {"suggestions", nlohmann::json::array()},
                           {"unresponsive_engines", nlohmann::json::array()}};
    for (const auto& [name, reason] : unresponsive) {
        body["unresponsive_engines"].push_back({name, reason});
    }
    for (const Merged& result : merged) {
        body["results"].push_back(
            {{"url", result.url},
             {"title", "Result"},
             {"content", "text"},
             {"engine", result.engines.front()},
             {"engines", result.engines},
             {"positions", result.positions},
             {"score", result.score},
             {"category", "general"},
             {"template", "default.html"},
             {"thumbnail", result.thumbnail ? "https://img.example/t.png" : ""}});
    }
    return body.dump();
}

}  // namespace sg
