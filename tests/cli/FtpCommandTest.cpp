#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "platform/FileSystem.h"
#include "support/FakeFtpServer.h"
#include "support/FullDisk.h"
#include "support/LoopbackConnection.h"
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
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(commands[5], "TYPE A");
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

TEST(CliFtp, BadUsage) {
    test::TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"ftp", "--host", "127.0.0.1", "--user", "u", "ls"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "rm", "x"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "ls", "x"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "put", "/no/such/file"},
        {"ftp", "--host", "127.0.0.1", "--user", "u", "--password", "p", "--bogus", "ls"},
    };
    for (const auto& args : cases) {
        test::CliResult run = RunCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.err.find("sitegauge-cli: ftp"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace sg
