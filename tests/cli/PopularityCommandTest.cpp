// sitegauge-cli popularity and the --engine-host option, against the engine emulator.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cli/CliRunner.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountsForSite.h"
#include "platform/FileSystem.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

std::string LastLine(const std::string& text) {
    std::string_view rest(text);
    if (!rest.empty() && rest.back() == '\n') {
        rest.remove_suffix(1);
    }
    return std::string(rest.substr(rest.rfind('\n') + 1));
}

class PopularityCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(emulator_.Start());
        hosts_.emplace(kEngineHostsEnv, emulator_.EngineHostsValue().c_str());
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    std::optional<test::ScopedEnv> hosts_;
    EngineEmulator emulator_;
};

TEST_F(PopularityCommandTest, CountsFromTheEnginesGiveThePagePrintedLast) {
    for (EngineId id : kLinkCountEngines) {
        emulator_.SetLinkCount(id, "www.a.test", "1.234");
        emulator_.SetLinkCount(id, "b.test/x", "56");
    }
    // Google goes elsewhere: the option wins over the environment, and nothing answers there.
    const int closed = test::LoopbackServer::ClosedPort();
    const test::CliResult result =
        test::RunCli(dir_.path(), {"--workdir", dir_.path(), "--engine-host",
                                   "1=127.0.0.1:" + std::to_string(closed), "popularity", "--name",
                                   "Demo", "--url", "http://www.a.test", "--url", "b.test/x"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string page = LastLine(result.out);
    EXPECT_EQ(page.rfind(dir_.path() + "/Reports/Link Popularity/Demo_", 0), 0u) << page;
    std::string text;
    ASSERT_TRUE(ReadWholeFile(page, text)) << page;
    const std::string cell =
        "<td width=117 align=center><font face=Verdana,Arial,Helvetica size=2>";
    EXPECT_NE(text.find(cell + "<a href=http://" + emulator_.Host() +
                        "/web/results?pg=q&amp;sc=on&amp;q=link%3Awww.a.test&amp;k1=XX&amp;"
                        "stype=stexta.test&amp;"
                        "search=Search>1,234</a></font></td>"),
              std::string::npos);
    EXPECT_NE(text.find(cell + "<a href=http://127.0.0.1:" + std::to_string(closed) +
                        "/search?q=link%3Ab.test/x>0</a></font></td>"),
              std::string::npos);
    EXPECT_NE(text.find(cell + "<a href=http://" + emulator_.Host() +
                        "/aolcom/search?query=link%3Ab.test/x&amp;page=1>560</a></font></td>"),
              std::string::npos);
    EXPECT_NE(result.err.find("Link Popularity in progress... b.test/x"), std::string::npos)
        << result.err;
    // Nine engines for each of the two sites, none of them Google.
    EXPECT_EQ(emulator_.Requests().size(), 16u);
}

TEST_F(PopularityCommandTest, BadEngineHostsAndProjectsAreUsageErrors) {
    for (const char* bad : {"12=127.0.0.1", "1=", "1=host:99999", "127.0.0.1"}) {
        const test::CliResult result =
            test::RunCli(dir_.path(), {"--workdir", dir_.path(), "--engine-host", bad, "popularity",
                                       "--name", "D", "--url", "a.test"});
        EXPECT_EQ(result.exitCode, 2) << bad;
        EXPECT_NE(result.err.find("--engine-host needs ID=HOST[:PORT]"), std::string::npos)
            << result.err;
    }
    const test::CliResult noDot = test::RunCli(
        dir_.path(), {"--workdir", dir_.path(), "popularity", "--name", "D", "--url", "nodot"});
    EXPECT_EQ(noDot.exitCode, 2);
    EXPECT_NE(noDot.err.find("URL 1 (nodot) holds no \".\""), std::string::npos) << noDot.err;
    EXPECT_TRUE(emulator_.Requests().empty());
}

}  // namespace
}  // namespace sg
