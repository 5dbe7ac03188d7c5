#pragma once
// What the integration tests of the web client share: the files the servers serve, the proxy
// set-up, header lookups and runs of sitegauge-cli.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "analysis/crawl/AnswerLinks.h"
#include "net/CWebClient.h"
#include "platform/Ansi.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

namespace sg::test {

// A file of the servers' run folder, e.g. "site/index.html"; empty when missing.
inline std::string ServedFile(const std::string& path) {
    std::string data;
    ReadWholeFile(ServersDir() + "/" + path, data);
    return data;
}

// OpenSSL's default verify paths lead to the test CA alone, for the life of the object (and for
// the programs started meanwhile).
class TrustTheTestCa {
  public:
    TrustTheTestCa()
        : file_("SSL_CERT_FILE", (ServersDir() + "/tls/ca.pem").c_str()),
          dir_("SSL_CERT_DIR", (ServersDir() + "/empty").c_str()) {}

  private:
    ScopedEnv file_;
    ScopedEnv dir_;
};

// The client goes through the proxy on 127.0.0.1:`port`, without credentials.
inline void UseProxy(CWebClient& client, int port) {
    client.SetProxyAddress("127.0.0.1");
    client.SetServerPort(port);
    client.UseProxy(1);
}

// A header line as written, its field name in any letter case (HTTP/2 sends names in lower
// case).
inline bool HasHeader(const CWebClient& client, const std::string& line) {
    const std::size_t colon = line.find(':');
    for (const std::string& header : client.Result().headerLines) {
        if (header.size() == line.size() &&
            EqualsNoCase(header.substr(0, colon), line.substr(0, colon)) &&
            header.compare(colon, std::string::npos, line, colon) == 0) {
            return true;
        }
    }
    return false;
}

struct CliRun {
    int exitCode = -1;
    std::string output;
};

// Runs sitegauge-cli with its configuration (and so its proxy file) under `dir`, in this
// process's environment; standard output and error together.
inline CliRun RunCli(const TempDir& dir, const std::string& arguments) {
    const std::string command = "XDG_CONFIG_HOME='" + dir.path() + "/config' '" +
                                SITEGAUGE_CLI_PATH + "' --workdir '" + dir.path() + "' " +
                                arguments + " 2>&1";
    CliRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        run.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The links of the client's last answer, read as the crawl reads them.
inline FoundLinks LinksOf(const CWebClient& client) {
    return ExtractAnswerLinks(client.Result());
}

}  // namespace sg::test
