#pragma once
// How the FTP client connects: passive or active data connections, and whether it encrypts.
// Kept in its own file beside the proxy settings (ftp.txt), so that the proxy file keeps its
// form; the FTP Center sets it, and sitegauge-cli chooses with its options.

#include <string>
#include <string_view>

namespace sg {

enum class FtpEncryption {
    // AUTH TLS is asked; a server that refuses it gets plain FTP.
    kIfOffered,
    // AUTH TLS is asked; a refusal fails the log-on before the user name and password are sent.
    kRequired,
    // Plain FTP: nothing is asked.
    kOff,
};

struct FtpConnectionSetting {
    bool passive = true;
    FtpEncryption encryption = FtpEncryption::kIfOffered;
};

// "auto", "require", "off"; the command line's and the file's words.
std::string_view FtpEncryptionWord(FtpEncryption encryption);
// False when `word` is none of them.
bool ParseFtpEncryptionWord(std::string_view word, FtpEncryption& out);

// The setting in the file; the defaults for a missing file and for any line it cannot read.
FtpConnectionSetting LoadFtpConnectionSetting(const std::string& path);
// "passive=1|0" and "encryption=WORD", written atomically, its folder made when missing; true
// when written.
bool SaveFtpConnectionSetting(const std::string& path, const FtpConnectionSetting& setting);

}  // namespace sg
