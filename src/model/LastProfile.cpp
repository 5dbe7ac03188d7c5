#include "model/LastProfile.h"

#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"

namespace sg {

bool RememberLastProfile(const std::string& settingFile, const std::string& profilePath) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(settingFile).parent_path(), ignored);
    return WriteFileAtomically(settingFile, profilePath + "\n");
}

std::string RememberedLastProfile(const std::string& settingFile) {
    std::string text;
    if (!ReadWholeFile(settingFile, text)) {
        return {};
    }
    // One line; a path may hold blanks, so only the line end goes.
    const std::size_t end = text.find('\n');
    if (end != std::string::npos) {
        text.erase(end);
    }
    return text;
}

}  // namespace sg
