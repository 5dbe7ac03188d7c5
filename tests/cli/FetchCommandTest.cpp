#include <gtest/gtest.h>

#include <string>

#include "cli/CliRunner.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

TEST(CliFetch, PrintsEachRedirectFollowedBeforeTheResult) {
    test::LoopbackServer site([](test::LoopbackConnection& conn) {
        const std::string request = conn.ReadUntilBlankLine();
        if (request.starts_with("GET /old ")) {
            conn.Send("HTTP/1.0 301 Moved\r\nLocation: /new\r\n\r\n");
        } else {
            conn.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\nnew");
        }
    });
    const std::string host = "127.0.0.1:" + std::to_string(site.Port());
    test::TempDir dir;
    test::CliResult run = test::RunCli(dir.path(), {"fetch", host + "/old"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("redirect: " + host + "/new\nresult: 0\nheader: HTTP/1.0 200 OK\n", 0),
              0u)
        << run.out;
}

}  // namespace
}  // namespace sg
