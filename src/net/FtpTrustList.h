#pragma once
// The FTP servers whose certificate the user accepted although it does not verify (self-signed,
// another name): one SHA-256 fingerprint per server, "host:port". Kept in ftp-trust.txt beside
// the proxy settings, mode 0600, one "HOST:PORT FINGERPRINT" line each, written atomically.
// Only that exact certificate is accepted for that server; a changed one is asked about again.

#include <map>
#include <string>
#include <string_view>

namespace sg {

// A fingerprint as the user may write it (hex pairs, with or without ":", any case) in the form
// TlsPeerCertificate::sha256 has: "AB:CD:...". Empty when it is not 32 bytes of hex.
std::string NormalizeFingerprint(std::string_view text);

class FtpTrustList {
  public:
    // Replaces what is held by the file's lines; a missing file is an empty list (true), an
    // unreadable one false. Lines that are no "SERVER FINGERPRINT" pair are skipped.
    bool Load(const std::string& path);
    // Written atomically with mode 0600, its folder made when missing; true when written.
    bool Save(const std::string& path) const;

    // The fingerprint remembered for `server` ("host:port"); empty when none.
    std::string Remembered(const std::string& server) const;
    // Keeps `fingerprint` (normalized) for `server`, replacing an earlier one; false when the
    // fingerprint is not one.
    bool Remember(const std::string& server, std::string_view fingerprint);

  private:
    std::map<std::string, std::string> servers_;
};

}  // namespace sg
