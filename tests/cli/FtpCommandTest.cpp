#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "net/FakeFtpServer.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FakeFtpServer;
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
    ASSERT_TRUE(second.WaitDone());
    EXPECT_TRUE(second.Received("TYPE I"));  // the download list has no ".cgi"
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
