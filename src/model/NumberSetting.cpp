#include "model/NumberSetting.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/FileSystem.h"

namespace sg {

void NumberSetting::Set(int value) {
    value_.store(std::clamp(value, 1, max_));
}

int NumberSetting::Load(const std::string& path) const {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return 0;
    }
    // The blanks of TrimBlanks (html/TextUtil.h), which this layer cannot reach.
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return 0;
    }
    const char* const begin = text.data() + first;
    const char* const end = text.data() + text.find_last_not_of(kBlanks) + 1;
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || value < 1 || value > max_) {
        return 0;
    }
    return value;
}

bool NumberSetting::Save(const std::string& path, int value) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteFileAtomically(path, std::to_string(value) + "\n");
}

void NumberSetting::ApplyStored(const std::string& path) {
    if (overridden_.load()) {
        return;
    }
    const int stored = Load(path);
    Set(stored > 0 ? stored : default_);
}

void NumberSetting::Override(int value) {
    overridden_.store(true);
    Set(value);
}

}  // namespace sg
