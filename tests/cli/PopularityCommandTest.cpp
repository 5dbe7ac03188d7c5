// sitegauge-cli popularity and the --engine-host option, against the engine emulator.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/CliRunner.h"
#include "demo/EngineEmulator.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountsForSite.h"
#include "model/LinkAuthoritySettings.h"
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

TEST_F(PopularityCommandTest, AuthorityOfBothSourcesOverTimeAndTheKeyOnlyInTheSettings) {
    const std::string key = "opr-secret-7d1e";
    emulator_.OpenPageRank().SetKey(key);
    emulator_.OpenPageRank().SetScore("example.com", 4.5, 321);
    const std::string ranks = dir_ / "ranks.txt.gz";
    const std::string text =
        "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n"
        "17\t2.9E7\t2\t0.006\tcom.example\t12\n"
        "4200\t1.1E7\t9876\t1.2E-7\tuk.co.rival\t2\n";
    gzFile gz = gzopen(ranks.c_str(), "wb6");
    ASSERT_NE(gz, nullptr);
    gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
    ASSERT_EQ(gzclose(gz), Z_OK);
    test::ScopedEnv url(kOprUrlEnv, emulator_.OpenPageRankAddress().c_str());
    const std::vector<std::string> project = {"--name",          "Demo",  "--url",
                                              "www.example.com", "--url", "shop.rival.co.uk/"};
    auto run = [&](std::vector<std::string> options) {
        std::vector<std::string> args = {"--workdir", dir_.path(), "popularity", "--json",
                                         dir_ / "r.json"};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), project.begin(), project.end());
        const test::CliResult result = test::RunCli(dir_.path(), args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out.find(key), std::string::npos);
        EXPECT_EQ(result.err.find(key), std::string::npos);
        std::string page;
        EXPECT_TRUE(ReadWholeFile(LastLine(result.out), page));
        std::string data;
        EXPECT_TRUE(ReadWholeFile(dir_ / "r.json", data));
        return std::make_pair(page, nlohmann::json::parse(data, nullptr, false));
    };

    // Given once: the file and the key are kept for the runs after.
    const auto [page, json] = run({"--cc-ranks", ranks, "--opr-key", key});
    EXPECT_NE(page.find("Link authority today"), std::string::npos);
    EXPECT_NE(page.find("www.example.com</a> (own site)</strong>"), std::string::npos);
    const nlohmann::json& own = json["sites"][0];
    EXPECT_EQ(own["ccHarmonicRank"], 17);
    EXPECT_EQ(own["ccPageRankRank"], 2);
    EXPECT_EQ(own["oprScore"], 4.5);
    EXPECT_EQ(own["oprRank"], 321);
    EXPECT_FALSE(own.contains("error"));
    const nlohmann::json& rival = json["sites"][1];
    EXPECT_EQ(rival["domain"], "rival.co.uk");
    EXPECT_EQ(rival["ccHarmonicRank"], 4200);
    EXPECT_TRUE(rival["oprScore"].is_null());
    EXPECT_EQ(rival["error"], "Open PageRank: not ranked");

    const auto [later, laterJson] = run({});
    EXPECT_EQ(laterJson["sites"][0]["oprRank"], 321);
    {
        // A refused key is said in the cells and the data, never as 0.
        test::ScopedEnv refused(kOprKeyEnv, "wrong");
        const auto [failed, failedJson] = run({});
        EXPECT_NE(failed.find(">key refused (HTTP 401)</font></td>"), std::string::npos);
        EXPECT_TRUE(failedJson["sites"][0]["oprScore"].is_null());
        EXPECT_EQ(failedJson["sites"][0]["error"], "Open PageRank: key refused (HTTP 401)");
        EXPECT_EQ(failedJson["sites"][0]["ccHarmonicRank"], 17);
    }

    std::string history;
    ASSERT_TRUE(ReadWholeFile(dir_ / "Reports/Link Popularity/history.csv", history));
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 1 + 3 * 2) << history;
    EXPECT_TRUE(FileExists(dir_ / "Reports/Link Popularity/history.html"));

    // The key is in the settings file alone, which only its owner may read.
    const std::string settings = dir_ / "config/sitegauge/link-authority.txt";
    int holding = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
        std::string content;
        if (entry.is_regular_file() && ReadWholeFile(entry.path(), content) &&
            content.find(key) != std::string::npos) {
            EXPECT_EQ(entry.path().string(), settings);
            ++holding;
        }
    }
    EXPECT_EQ(holding, 1);
    struct stat st {};
    ASSERT_EQ(::stat(settings.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace sg
