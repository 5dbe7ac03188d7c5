#include "net/ProxySettings.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/FileSystem.h"

namespace sg {
namespace {

// The next line of `text` from `pos` without its line end (LF, or CR LF); empty past the end.
std::string TakeLine(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) {
        return {};
    }
    const std::size_t lineFeed = text.find('\n', pos);
    std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    const std::size_t next = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
    if (end > pos && text[end - 1] == '\r') {
        --end;
    }
    std::string line(text.substr(pos, end - pos));
    pos = next;
    return line;
}

}  // namespace

ProxySettings& CurrentProxySettings() {
    static ProxySettings settings;
    return settings;
}

int LoadProxySettings(const std::string& path, ProxySettings& settings) {
    std::string text;
    if (path.empty() || !ReadWholeFile(path, text)) {
        return 1;
    }
    std::size_t pos = 0;
    settings.port = TakeLine(text, pos);
    settings.address = TakeLine(text, pos);
    settings.user = TakeLine(text, pos);
    settings.password = TakeLine(text, pos);
    return 0;
}

int SaveProxySettings(const std::string& path, const ProxySettings& settings) {
    if (path.empty()) {
        return 1;
    }
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        std::error_code error;
        std::filesystem::create_directories(parent, error);
    }
    std::string text;
    text.reserve(settings.port.size() + settings.address.size() + settings.user.size() +
                 settings.password.size() + 3);
    text += settings.port;
    text += '\n';
    text += settings.address;
    text += '\n';
    text += settings.user;
    text += '\n';
    text += settings.password;
    // It holds a password.
    return WriteFileAtomically(path, text, 0600) ? 0 : 1;
}

}  // namespace sg
