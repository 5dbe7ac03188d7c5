#include "net/FtpConnectionSetting.h"

#include <filesystem>

#include "html/TextUtil.h"
#include "platform/FileSystem.h"

namespace sg {

std::string_view FtpEncryptionWord(FtpEncryption encryption) {
    switch (encryption) {
        case FtpEncryption::kRequired:
            return "require";
        case FtpEncryption::kOff:
            return "off";
        case FtpEncryption::kIfOffered:
            break;
    }
    return "auto";
}

bool ParseFtpEncryptionWord(std::string_view word, FtpEncryption& out) {
    for (FtpEncryption each :
         {FtpEncryption::kIfOffered, FtpEncryption::kRequired, FtpEncryption::kOff}) {
        if (word == FtpEncryptionWord(each)) {
            out = each;
            return true;
        }
    }
    return false;
}

FtpConnectionSetting LoadFtpConnectionSetting(const std::string& path) {
    FtpConnectionSetting setting;
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return setting;
    }
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = TrimBlanksView(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = TrimBlanksView(line.substr(0, equals));
        const std::string_view value = TrimBlanksView(line.substr(equals + 1));
        if (key == "passive" && (value == "0" || value == "1")) {
            setting.passive = value == "1";
        } else if (key == "encryption") {
            ParseFtpEncryptionWord(value, setting.encryption);
        }
    }
    return setting;
}

bool SaveFtpConnectionSetting(const std::string& path, const FtpConnectionSetting& setting) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const std::string text = std::string("passive=") + (setting.passive ? "1" : "0") +
                             "\nencryption=" + std::string(FtpEncryptionWord(setting.encryption)) +
                             "\n";
    return WriteFileAtomically(path, text);
}

}  // namespace sg
