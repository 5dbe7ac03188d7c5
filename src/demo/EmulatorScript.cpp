#include "demo/EmulatorScript.h"

#include <charconv>
#include <vector>

namespace sg {
namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string_view::npos ? tab : tab - from));
        if (tab == std::string_view::npos) {
            return fields;
        }
        from = tab + 1;
    }
}

// The engines a field names: one, or all eleven; empty when it names none.
std::vector<EngineId> Engines(std::string_view field) {
    if (field == "all") {
        return {kAllEngines.begin(), kAllEngines.end()};
    }
    int index = -1;
    const auto [end, failure] = std::from_chars(field.data(), field.data() + field.size(), index);
    if (failure != std::errc() || end != field.data() + field.size() || !IsEngineIndex(index)) {
        return {};
    }
    return {static_cast<EngineId>(index)};
}

// Applies one line; empty text, or why it could not.
std::string Apply(EngineEmulator& emulator, const std::vector<std::string_view>& f) {
    const std::string_view verb = f[0];
    if (f.size() < 2) {
        return "no engine";
    }
    const std::vector<EngineId> engines = Engines(f[1]);
    if (engines.empty()) {
        return "not an engine: " + std::string(f[1]);
    }
    if (verb == "fail") {
        for (EngineId id : engines) {
            emulator.SetFailing(id, true);
        }
        return {};
    }
    if (f.size() < 4) {
        return "too few fields";
    }
    const std::string_view key = f[2];
    if (verb == "results") {
        const std::vector<std::string> addresses(f.begin() + 3, f.end());
        for (EngineId id : engines) {
            emulator.SetResults(id, key, addresses);
        }
    } else if (verb == "total") {
        std::int64_t total = 0;
        const auto [end, failure] = std::from_chars(f[3].data(), f[3].data() + f[3].size(), total);
        if (failure != std::errc() || end != f[3].data() + f[3].size() || total < 0) {
            return "not a number: " + std::string(f[3]);
        }
        for (EngineId id : engines) {
            emulator.SetTotal(id, key, total);
        }
    } else if (verb == "next") {
        NextMark mark = NextMark::WhenMoreResults;
        if (f[3] == "always") {
            mark = NextMark::Always;
        } else if (f[3] == "never") {
            mark = NextMark::Never;
        } else if (f[3] != "auto") {
            return "not auto, always or never: " + std::string(f[3]);
        }
        for (EngineId id : engines) {
            emulator.SetNextMark(id, key, mark);
        }
    } else if (verb == "link") {
        for (EngineId id : engines) {
            emulator.SetLinkCount(id, key, std::string(f[3]));
        }
    } else {
        return "unknown instruction: " + std::string(verb);
    }
    return {};
}

}  // namespace

int LoadEmulatorScript(EngineEmulator& emulator, std::string_view text, std::string& error) {
    int number = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(from, end - from);
        from = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        error = Apply(emulator, SplitTabs(line));
        if (!error.empty()) {
            return number;
        }
    }
    error.clear();
    return 0;
}

}  // namespace sg
