#pragma once
// Where the real servers of the integration tests listen (started by
// tests/servers/test-servers.sh).

#include <string>

namespace sg::test {

inline constexpr int kNginxPort = 18080;
// nginx over TLS with certificates of the test CA (ServersDir()/tls/ca.pem): one for 127.0.0.1
// and localhost (HTTP/2 offered), one for another name only, and an expired one. Its log,
// ServersDir()/access.log, has a line per request: "CONNECTION PORT REUSED "REQUEST" STATUS",
// where CONNECTION numbers the connection and REUSED is "r" for a resumed TLS session.
inline constexpr int kNginxTlsPort = 18443;
inline constexpr int kNginxWrongNamePort = 18444;
inline constexpr int kNginxExpiredPort = 18445;
// The https site over HTTP/1.1 only, closing each connection after its answer.
inline constexpr int kNginxTlsHttp1Port = 18446;
inline constexpr int kProxyPort = 18888;
inline constexpr int kAuthProxyPort = 18889;  // needs proxyuser / proxypass
// vsftpd: active and passive mode, TLS offered (kFtpPort) and TLS forced (kFtpTlsPort), with
// the good certificate of the test CA.
inline constexpr int kFtpPort = 18021;
inline constexpr int kFtpTlsPort = 18022;
inline constexpr const char* kProxyUser = "proxyuser";
inline constexpr const char* kProxyPassword = "proxypass";
inline constexpr const char* kFtpUser = "sgftp";
inline constexpr const char* kFtpPassword = "sgftp-pass";

// The folder the servers run from: site/ is nginx's root, tls-site/ its https root, tls/ the
// test CA and certificates, ftp/ the FTP user's home.
std::string ServersDir();
bool PortAnswers(int port);
// Under CI the servers must be there; elsewhere a missing server skips the test.
bool ServersMustRun();

}  // namespace sg::test

// Skips the test (or fails it under CI) when the server on `port` does not answer.
#define SG_REQUIRE_SERVER(port)                                                    \
    do {                                                                           \
        if (!::sg::test::PortAnswers(port)) {                                      \
            if (::sg::test::ServersMustRun()) {                                    \
                FAIL() << "server on 127.0.0.1:" << (port) << " is not running";   \
            }                                                                      \
            GTEST_SKIP() << "server on 127.0.0.1:" << (port) << " is not running"; \
        }                                                                          \
    } while (0)
