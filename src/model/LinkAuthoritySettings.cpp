#include "model/LinkAuthoritySettings.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"

namespace sg {
namespace {

constexpr std::string_view kRanksKey = "cc-ranks=";
constexpr std::string_view kKeyKey = "opr-key=";

bool OneLine(std::string_view value) {
    return value.find_first_of("\r\n") == std::string_view::npos;
}

}  // namespace

int LoadLinkAuthoritySettings(const std::string& path, LinkAuthoritySettings& settings) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return kAuthoritySettingsNoFile;
    }
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with(kRanksKey)) {
            settings.ranksFile = line.substr(kRanksKey.size());
        } else if (line.starts_with(kKeyKey)) {
            settings.oprKey = line.substr(kKeyKey.size());
        }
    }
    return kAuthoritySettingsOk;
}

bool SaveLinkAuthoritySettings(const std::string& path, const LinkAuthoritySettings& settings) {
    if (!OneLine(settings.ranksFile) || !OneLine(settings.oprKey)) {
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const std::string text = std::string(kRanksKey) + settings.ranksFile + "\n" +
                             std::string(kKeyKey) + settings.oprKey + "\n";
    return WriteFileAtomically(path, text, 0600);
}

void ApplyStoredLinkAuthoritySettings(const std::string& path, LinkAuthoritySettings& settings) {
    LoadLinkAuthoritySettings(path, settings);
    if (const char* key = std::getenv(kOprKeyEnv); key != nullptr && *key != '\0') {
        settings.oprKey = key;
    }
    if (const char* url = std::getenv(kOprUrlEnv); url != nullptr && *url != '\0') {
        settings.oprUrl = url;
    }
}

}  // namespace sg
