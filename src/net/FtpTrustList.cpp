#include "net/FtpTrustList.h"

#include <filesystem>

#include "html/TextUtil.h"
#include "platform/Ansi.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

constexpr size_t kFingerprintBytes = 32;

bool IsServerName(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= ' ') {
            return false;
        }
    }
    return !text.empty();
}

}  // namespace

std::string NormalizeFingerprint(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    size_t digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            // Separators only between whole pairs.
            if (digits % 2 != 0 || digits == 0 || i + 1 == text.size()) {
                return {};
            }
            continue;
        }
        const int value = HexDigitValue(c);
        if (value < 0) {
            return {};
        }
        if (digits > 0 && digits % 2 == 0) {
            out += ':';
        }
        out += kHex[value];
        ++digits;
    }
    return digits == 2 * kFingerprintBytes ? out : std::string();
}

bool FtpTrustList::Load(const std::string& path) {
    servers_.clear();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return !error;
    }
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return false;
    }
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = TrimBlanksView(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) {
            continue;
        }
        const std::string_view server = line.substr(0, blank);
        const std::string fingerprint = NormalizeFingerprint(TrimBlanksView(line.substr(blank)));
        if (IsServerName(server) && !fingerprint.empty()) {
            servers_[std::string(server)] = fingerprint;
        }
    }
    return true;
}

bool FtpTrustList::Save(const std::string& path) const {
    std::string text;
    for (const auto& [server, fingerprint] : servers_) {
        text += server + " " + fingerprint + "\n";
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteFileAtomically(path, text, 0600);
}

std::string FtpTrustList::Remembered(const std::string& server) const {
    const auto found = servers_.find(server);
    return found != servers_.end() ? found->second : std::string();
}

bool FtpTrustList::Remember(const std::string& server, std::string_view fingerprint) {
    std::string normalized = NormalizeFingerprint(fingerprint);
    if (normalized.empty() || !IsServerName(server)) {
        return false;
    }
    servers_[server] = std::move(normalized);
    return true;
}

}  // namespace sg
