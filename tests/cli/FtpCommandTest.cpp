#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "demo/DemoCertificate.h"
#include "net/TlsServerContext.h"
#include "platform/FileSystem.h"
#include "support/FakeFtpServer.h"
#include "support/FullDisk.h"
#include "support/LoopbackConnection.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FakeFtpServer;
using test::LoopbackConnection;
using test::RunCli;

std::vector<std::string> FtpArgs(const test::TempDir& dir, int port,
                                 std::vector<std::string> tail) {
    std::vector<std::string> args = {
        "--workdir", dir.path(), "ftp",        "--host", "127.0.0.1:" + std::to_string(port),
        "--user",    "u",        "--password", "p"};
    args.insert(args.end(), tail.begin(), tail.end());
    return args;
}

TEST(CliFtp, LsPrintsOneLinePerEntryAndNamesAreConverted) {
    FakeFtpServer server;
    server.ServeListing(
        "total 2\r\n"
        "03-15-04  09:30PM       <DIR>          folder\r\n"
        "-rw-r--r--   1 owner group   123456 Dec 25  2019 caf\xe9.txt\r\n");
    test::TempDir dir;
    test::CliResult run = RunCli(dir.path(), FtpArgs(dir, server.Port(), {"--cd", "www", "ls"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "d 0 2004-03-15 09:30 folder\n"
              "- 123456 2019-12-25 00:00 caf\xc3\xa9.txt\n");
    ASSERT_TRUE(server.WaitDone());
    EXPECT_TRUE(server.Received("CWD www"));
}

TEST(CliFtp, TransferTypeByExtensionAndFailures) {
    FakeFtpServer server;
    server.OnReply("RETR", "550 Failed to open file.\r\n");
    test::TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir / "style.css", "body{}"));
    // No STOR handler: the server's "502" refuses the upload after TYPE A was sent for ".c".
    test::CliResult run =
        RunCli(dir.path(), FtpArgs(dir, server.Port(), {"put", dir / "style.css"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ftp put: result 3, last reply: 502 Not implemented."),
              std::string::npos)
        << run.err;
    ASSERT_TRUE(server.WaitDone());
    std::vector<std::string> commands = server.Commands();
    ASSERT_GE(commands.size(), 7u);
    EXPECT_EQ(commands[0], "AUTH TLS");
    EXPECT_EQ(commands[6], "TYPE A");
    EXPECT_TRUE(server.Received("STOR style.css"));

    FakeFtpServer second;
    second.OnReply("RETR", "550 Failed to open file.\r\n");
    run = RunCli(dir.path(), FtpArgs(dir, second.Port(), {"get", "a.html", dir / "form.cgi"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("result 3, last reply: 550 Failed to open file."), std::string::npos);
    EXPECT_FALSE(FileExists(dir / "form.cgi"));  // refused: no empty file left behind
    ASSERT_TRUE(second.WaitDone());
    EXPECT_TRUE(second.Received("TYPE I"));  // the download list has no ".cgi"
}

// The server's "226" says the transfer is done; the local side can still have failed.
TEST(CliFtp, LocalSideFailuresFailTheTransfer) {
    test::TempDir dir;
    FakeFtpServer server;
    server.On("RETR", [](FakeFtpServer::Session& session, const std::string&) {
        session.Reply("150 Opening\r\n");
        LoopbackConnection data = session.ConnectData();
        data.Send(std::string(64 * 1024, 'x'));
        data.Close();
        session.Reply("226 Done\r\n");
    });
    test::CliResult run;
    {
        test::FullDisk disk(4096);
        ASSERT_TRUE(disk.Active());
        run = RunCli(dir.path(), FtpArgs(dir, server.Port(), {"get", "big.gif", dir / "big.gif"}));
    }
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ftp get: the local file could not be written whole"), std::string::npos)
        << run.err;
    EXPECT_FALSE(FileExists(dir / "big.gif"));  // the partial file this run created is gone

    // The server reads a little of an upload, closes the data connection and says "226".
    FakeFtpServer cut;
    cut.On("STOR", [](FakeFtpServer::Session& session, const std::string&) {
        session.Reply("150 Ok to send data.\r\n");
        LoopbackConnection data = session.ConnectData();
        data.ReadLine();
        data.Reset();
        session.Reply("226 Transfer complete.\r\n");
    });
    ASSERT_TRUE(WriteWholeFile(dir / "page.gif", std::string(8 << 20, '\n')));
    run = RunCli(dir.path(), FtpArgs(dir, cut.Port(), {"put", dir / "page.gif"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ftp put: the server stopped taking the data"), std::string::npos)
        << run.err;
}

// A log-on that cannot reach the server says why, as the FTP Center does.
TEST(CliFtp, ALogOnThatCannotConnectSaysWhy) {
    test::TempDir dir;
    const test::CliResult run =
        RunCli(dir.path(), FtpArgs(dir, test::LoopbackServer::ClosedPort(), {"ls"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ftp log on: result"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("was refused"), std::string::npos) << run.err;
}

// --active, --tls and --trust choose how the command connects; ls works in each.
TEST(CliFtp, DataConnectionAndEncryptionOptions) {
    const std::string listing = "-rw-r--r-- 1 o g 5 Jan 1 2001 a.txt\r\n";
    struct Case {
        std::vector<std::string> options;
        int exitCode;
        std::vector<std::string> verbs;
        std::vector<std::string> notVerbs;
        const char* message;
    };
    const Case cases[] = {
        {{}, 0, {"AUTH", "EPSV", "PASS"}, {"PORT"}, ""},
        {{"--active"}, 0, {"AUTH", "PORT"}, {"EPSV", "PASV"}, ""},
        {{"--tls", "off"}, 0, {"EPSV"}, {"AUTH"}, ""},
        {{"--tls", "require", "--active"},
         1,
         {"AUTH"},
         {"USER", "PASS"},
         "the server does not offer TLS (AUTH TLS refused); no password was sent"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "defaults" : c.options[0]);
        FakeFtpServer server;
        server.ServeListing(listing);
        test::TempDir dir;
        std::vector<std::string> tail = c.options;
        tail.push_back("ls");
        const test::CliResult run = RunCli(dir.path(), FtpArgs(dir, server.Port(), tail));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, c.exitCode == 0 ? "- 5 2001-01-01 00:00 a.txt\n" : "");
        ASSERT_TRUE(server.WaitDone());
        for (const std::string& verb : c.verbs) {
            EXPECT_TRUE(server.ReceivedVerb(verb)) << verb;
        }
        for (const std::string& verb : c.notVerbs) {
            EXPECT_FALSE(server.ReceivedVerb(verb)) << verb;
        }
    }

    // A certificate that does not verify: the message names its fingerprint, and --trust with
    // that fingerprint connects.
    DemoCertificate pem;
    ASSERT_EQ(MakeDemoCertificate(pem), kDemoCertificateMade);
    TlsServerContext certificate;
    ASSERT_EQ(certificate.Load(pem.certificatePem, pem.keyPem), TlsServerContext::kOk);
    FakeFtpServer server;
    server.EnableTls(&certificate);
    server.ServeListing(listing);
    test::TempDir dir;
    test::CliResult run = RunCli(dir.path(), FtpArgs(dir, server.Port(), {"ls"}));
    EXPECT_EQ(run.exitCode, 1);
    const std::string marker = "SHA-256 fingerprint: ";
    const size_t at = run.err.find(marker);
    ASSERT_NE(at, std::string::npos) << run.err;
    EXPECT_NE(run.err.find("self-signed certificate"), std::string::npos) << run.err;
    const std::string fingerprint = run.err.substr(at + marker.size(), 95);
    EXPECT_NE(run.err.find("--trust " + fingerprint), std::string::npos) << run.err;
    run = RunCli(dir.path(), FtpArgs(dir, server.Port(), {"--trust", fingerprint, "ls"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "- 5 2001-01-01 00:00 a.txt\n");
    EXPECT_EQ(server.TlsDataConnections(), 1);
}

TEST(CliFtp, BadUsage) {
    test::TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"ftp", "--host", "127.0.0.1", "--user", "u", "ls"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "rm", "x"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "ls", "x"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "put", "/no/such/file"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "--bogus", "ls"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "--tls", "on", "ls"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "--trust", "ab", "ls"},
    };
    for (const auto& args : cases) {
        test::CliResult run = RunCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.err.find("sitegauge-cli: ftp"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace sg
