// What the CLI prints from a server, a page or a profile reaches the terminal without control
// characters, so none of them can send an escape sequence.

#include <gtest/gtest.h>

#include <string>

#include "cli/CliRunner.h"
#include "support/FakeFtpServer.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::RunCli;

// No C0 control but LF and tab, no DEL, no C1 control (UTF-8 C2 80 .. C2 9F).
void ExpectNoControls(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        EXPECT_FALSE((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) << i << ": " << text;
        if (c == 0xC2 && i + 1 < text.size()) {
            EXPECT_GE(static_cast<unsigned char>(text[i + 1]), 0xA0) << i << ": " << text;
        }
    }
}

TEST(CliTerminalOutput, OutsideTextLosesItsControlCharacters) {
    test::LoopbackServer site([](test::LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(
            "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nX-Note: \x1b]0;owned\x07\r\n\r\n"
            "<a href=\"a\x1b[2J.html\">a</a><frame src=\"f\x9d"
            "31m.html\">\r\n");
    });
    test::TempDir dir;
    test::CliResult run =
        RunCli(dir.path(), {"fetch", "127.0.0.1:" + std::to_string(site.Port()) + "/"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectNoControls(run.out);
    EXPECT_NE(run.out.find("header: X-Note: ?]0;owned?\n"), std::string::npos) << run.out;
    // Links are addresses: a control byte in one is percent-encoded before it is printed.
    EXPECT_NE(run.out.find("/a%1B%5B2J.html\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("/f%C2%9D31m.html\n"), std::string::npos) << run.out;

    test::FakeFtpServer ftp;
    ftp.ServeListing("-rw-r--r--   1 o g   5 Dec 25  2019 bad\x1b[5m\r\n");
    run = RunCli(dir.path(), {"ftp", "--host", "127.0.0.1:" + std::to_string(ftp.Port()), "--user",
                              "u", "--password", "p", "ls"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "- 5 2019-12-25 00:00 bad?[5m\n");

    ASSERT_EQ(RunCli(dir.path(), {"profile", "create", "p.swp", "--name", "N\x1b[8m", "--url",
                                  "x.com\x7f", "--keyword", "k\x1b"})
                  .exitCode,
              0);
    run = RunCli(dir.path(), {"profile", "show", dir / "p.swp"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectNoControls(run.out);
    EXPECT_NE(run.out.find("name: N?[8m\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("keyword: k?\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace sg
