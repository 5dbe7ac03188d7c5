#include "engines/LiveEngineList.h"

#include <nlohmann/json.hpp>

#include "engines/LiveFetch.h"

namespace sg {
namespace {

bool InGeneralCategory(const nlohmann::json& engine) {
    const auto categories = engine.find("categories");
    if (categories == engine.end() || !categories->is_array()) {
        return false;
    }
    for (const nlohmann::json& category : *categories) {
        if (category.is_string() && category.get_ref<const std::string&>() == "general") {
            return true;
        }
    }
    return false;
}

}  // namespace

int ParseLiveEngineList(std::string_view configJson, std::vector<std::string>& names) {
    names.clear();
    // No exception leaves the parse: a malformed text is simply not JSON.
    const nlohmann::json config = nlohmann::json::parse(configJson, nullptr, false);
    if (!config.is_object()) {
        return kLiveNotJson;
    }
    const auto engines = config.find("engines");
    if (engines == config.end() || !engines->is_array()) {
        return kLiveNotJson;
    }
    for (const nlohmann::json& engine : *engines) {
        if (!engine.is_object()) {
            continue;
        }
        const auto name = engine.find("name");
        const auto enabled = engine.find("enabled");
        if (name == engine.end() || !name->is_string() ||
            name->get_ref<const std::string&>().empty() || enabled == engine.end() ||
            !enabled->is_boolean() || !enabled->get<bool>() || !InGeneralCategory(engine)) {
            continue;
        }
        names.push_back(name->get<std::string>());
    }
    return kLiveOk;
}

int FetchLiveEngineList(const std::string& instance, std::vector<std::string>& names,
                        std::string& problem) {
    names.clear();
    problem.clear();
    std::string body;
    std::string detail;
    int result = FetchLiveJson(instance + "/config", body, detail);
    if (result == kLiveOk) {
        result = ParseLiveEngineList(body, names);
    }
    if (result != kLiveOk) {
        problem = LiveProblemText(result, instance, detail);
    }
    return result;
}

}  // namespace sg
