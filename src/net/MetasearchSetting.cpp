#include "net/MetasearchSetting.h"

#include <atomic>
#include <charconv>
#include <filesystem>
#include <mutex>

#include "html/TextUtil.h"
#include "platform/Ansi.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

std::mutex mutex;
std::string instance;
std::atomic<bool> overridden{false};

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

}  // namespace

int ParseMetasearchAddress(std::string_view text, std::string& normalized) {
    normalized.clear();
    text = TrimBlanksView(text);
    if (text.empty()) {
        return kMetasearchAddressOk;
    }
    std::string_view scheme;
    if (StartsWithNoCase(text, "http://")) {
        scheme = "http://";
    } else if (StartsWithNoCase(text, "https://")) {
        scheme = "https://";
    } else {
        return kMetasearchBadAddress;
    }
    std::string_view rest = text.substr(scheme.size());
    if (rest.find_first_of(" \t\r\n?#") != std::string_view::npos) {
        return kMetasearchBadAddress;
    }
    const std::size_t slash = rest.find('/');
    const std::string_view authority = rest.substr(0, slash);
    std::string_view path =
        slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (host.empty()) {
        return kMetasearchBadAddress;
    }
    for (char c : host) {
        if (!IsHostCharacter(c)) {
            return kMetasearchBadAddress;
        }
    }
    if (colon != std::string_view::npos) {
        const std::string_view digits = authority.substr(colon + 1);
        int port = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
            port < 1 || port > 65535) {
            return kMetasearchBadAddress;
        }
    }
    while (!path.empty() && path.back() == '/') {
        path.remove_suffix(1);
    }
    normalized = std::string(scheme) + std::string(authority) + std::string(path);
    return kMetasearchAddressOk;
}

std::string MetasearchInstance() {
    std::lock_guard<std::mutex> lock(mutex);
    return instance;
}

void SetMetasearchInstance(const std::string& address) {
    std::lock_guard<std::mutex> lock(mutex);
    instance = address;
}

int LoadMetasearchSetting(const std::string& path, std::string& address) {
    address.clear();
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return kMetasearchNoFile;
    }
    return ParseMetasearchAddress(text, address);
}

bool SaveMetasearchSetting(const std::string& path, const std::string& address) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteFileAtomically(path, address + "\n");
}

void ApplyStoredMetasearchSetting(const std::string& path) {
    if (overridden.load()) {
        return;
    }
    std::string address;
    LoadMetasearchSetting(path, address);
    SetMetasearchInstance(address);
}

void OverrideMetasearchInstance(const std::string& address) {
    overridden.store(true);
    SetMetasearchInstance(address);
}

}  // namespace sg
