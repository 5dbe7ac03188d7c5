#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliRunner.h"
#include "demo/EngineEmulator.h"
#include "platform/FileSystem.h"
#include "support/LoopbackServer.h"
#include "support/MetasearchStandIn.h"
#include "support/TempDir.h"

extern char** environ;

namespace sg {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

std::vector<std::string> Filler(int count) {
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i) {
        addresses.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    return addresses;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', from)) {
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// The run reports, without the history table and page beside them.
std::vector<std::string> ReportFiles(const std::string& work) {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(work + "/Reports/Position Analyzer")) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("history.")) {
            names.push_back(name);
        }
    }
    return names;
}

class PositionsCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(emulator.Start());
        // The child process takes its hosts from the environment.
        hosts.emplace("SITEGAUGE_ENGINE_HOSTS", emulator.EngineHostsValue().c_str());
    }

    test::TempDir work;
    EngineEmulator emulator;
    std::optional<test::ScopedEnv> hosts;
};

TEST_F(PositionsCommandTest, InlineProjectOnTwoEnginesPrintsStatusAndThenTheReportPath) {
    std::vector<std::string> google = Filler(25);
    google[2] = "http://www.alpha.test/";
    emulator.SetResults(EngineId::Google, "red shoes", google);
    std::vector<std::string> msn = Filler(20);
    msn[15] = "http://beta.test/x";
    emulator.SetResults(EngineId::MSN, "red shoes", msn);

    const test::CliResult result = test::RunCli(
        work.path(), {"positions", "--engines", "1,3", "--depth", "200", "--name", "Shop", "--url",
                      "http://www.alpha.test", "--url", "beta.test", "--keyword", "red shoes"});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const std::vector<std::string> out = Lines(result.out);
    ASSERT_EQ(out.size(), 1u) << result.out;
    const std::vector<std::string> files = ReportFiles(work.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(out.back(), work.path() + "/Reports/Position Analyzer/" + files[0]);
    EXPECT_THAT(files[0], MatchesRegex("Shop_[0-9_]+\\[[0-9-]+\\]\\.html"));
    EXPECT_TRUE(std::filesystem::exists(work.path() + "/Reports/Position Analyzer/history.csv"));
    std::string report;
    ASSERT_TRUE(ReadWholeFile(out.back(), report));
    EXPECT_THAT(report, HasSubstr("width=190>"));
    EXPECT_THAT(report, HasSubstr("<u> 3 </u>"));
    EXPECT_THAT(report, HasSubstr("<u> 16 </u>"));

    const std::string& err = result.err;
    // The depth asked for stands until the first page tells the total.
    EXPECT_THAT(err, HasSubstr("keyword: red shoes\nengine: Google\nsearch to: 200\nfound: 25\n"));
    EXPECT_THAT(err, HasSubstr("engine: MSN\nsearch to: 200\nfound: 20\n"));
    EXPECT_THAT(err, HasSubstr("search to: 25\n"));
    EXPECT_THAT(err, HasSubstr("search to: 20\n"));
    EXPECT_THAT(err, HasSubstr("position: 3\n"));
    bool foundLine = false;
    for (const std::string& line : Lines(err)) {
        if (line.find("Google found www.alpha.test") != std::string::npos) {
            foundLine = true;
            EXPECT_THAT(line, MatchesRegex("[0-9][0-9]:[0-9][0-9]:[0-9][0-9] info: Google found "
                                           "www\\.alpha\\.test on position 3"));
        }
    }
    EXPECT_TRUE(foundLine) << err;
    // Only the two engines asked.
    EXPECT_EQ(emulator.RequestCount(EngineId::AltaVista, EmulatorQuery::KeywordSearch), 0);
    EXPECT_EQ(emulator.RequestCount(EngineId::Google, EmulatorQuery::KeywordSearch), 3);
    EXPECT_EQ(emulator.RequestCount(EngineId::MSN, EmulatorQuery::KeywordSearch), 2);
}

// A profile's name that climbs out of the report folder names a file inside it.
TEST_F(PositionsCommandTest, TheReportStaysInItsFolderWhateverTheProjectName) {
    emulator.SetResults(EngineId::Google, "red shoes", Filler(5));
    std::filesystem::create_directories(work.path() + "/outside");
    const test::CliResult result =
        test::RunCli(work.path(), {"positions", "--engines", "1", "--name", "../../outside/pwned-",
                                   "--url", "www.alpha.test", "--keyword", "red shoes"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(work.path() + "/outside"));
    const std::vector<std::string> files = ReportFiles(work.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_THAT(files[0], MatchesRegex("\\.\\._\\.\\._outside_pwned-_[0-9_]+\\[[0-9-]+\\]\\.html"));
    EXPECT_EQ(Lines(result.out).back(), work.path() + "/Reports/Position Analyzer/" + files[0]);
}

TEST_F(PositionsCommandTest, AReportThatCannotBeWrittenIsAFailureWithoutAPath) {
    emulator.SetResults(EngineId::Google, "red shoes", Filler(5));
    // A file where the report folder belongs.
    std::filesystem::create_directories(work.path() + "/Reports");
    ASSERT_TRUE(WriteWholeFile(work.path() + "/Reports/Position Analyzer", "in the way"));
    const test::CliResult result =
        test::RunCli(work.path(), {"positions", "--engines", "1", "--name", "Shop", "--url",
                                   "www.alpha.test", "--keyword", "red shoes"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr("positions: the report could not be written"));
}

TEST_F(PositionsCommandTest, BadChoicesAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"positions", "--depth", "150", "--name", "a", "--url", "a.com", "--keyword", "k"},
        {"positions", "--depth", "6000", "--name", "a", "--url", "a.com", "--keyword", "k"},
        {"positions", "--engines", "1,11", "--name", "a", "--url", "a.com", "--keyword", "k"},
        {"positions", "--engines", "", "--name", "a", "--url", "a.com", "--keyword", "k"},
        {"positions", "--name", "a", "--url", "a.com"},
        {"positions", "--url", "a.com", "--keyword", "k"},
    };
    for (const auto& args : cases) {
        const test::CliResult result = test::RunCli(work.path(), args);
        EXPECT_EQ(result.exitCode, 2) << args[1] << " " << args[2];
        EXPECT_THAT(result.err, HasSubstr("sitegauge-cli: positions: "));
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(emulator.Requests().empty());
}

// Live engines come after the numbered one, in the order asked, marked "(live)", whatever their
// names (a blank, a leading digit); a found cell links to the instance's page a person reads, and
// a failed engine is a failure in the report and the data, not "not found".
TEST_F(PositionsCommandTest, LiveEnginesOfTheMetasearchInstanceAreFurtherColumns) {
    emulator.SetResults(EngineId::Google, "red shoes", {"http://beta.test/x"});
    test::MetasearchStandIn standIn;
    std::vector<std::string> google = Filler(14);
    google[11] = "http://www.alpha.test/";
    standIn.SetResults("google", google);
    standIn.SetResults("bing", {"http://beta.test/", "http://www.alpha.test/"});
    standIn.SetResults("loop back", {"http://beta.test/", "http://www.alpha.test/"});
    standIn.SetResults("9lives", {"http://www.alpha.test/"});
    standIn.Instance().FailEngine("9lives", "timeout", -1, std::chrono::milliseconds(0));

    const test::CliResult result = test::RunCli(
        work.path(),
        {"--metasearch", standIn.Address() + "/", "--metasearch-pause", "10", "positions",
         "--engines", "1,google,bing, loop back,9lives", "--json", "positions.json", "--name",
         "Shop", "--url", "www.alpha.test", "--url", "beta.test", "--keyword", "red shoes"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::string report;
    ASSERT_TRUE(ReadWholeFile(Lines(result.out).back(), report));
    EXPECT_THAT(report, HasSubstr("width=370>"));
    const std::size_t designed = report.find(">Google</font>");
    const std::size_t liveGoogle = report.find(">google (live)</font>");
    const std::size_t bing = report.find(">bing (live)</font>");
    ASSERT_NE(designed, std::string::npos) << report;
    EXPECT_LT(designed, liveGoogle);
    EXPECT_LT(liveGoogle, bing);
    EXPECT_LT(bing, report.find(">loop back (live)</font>"));
    EXPECT_LT(report.find(">loop back (live)</font>"), report.find(">9lives (live)</font>"));
    const std::string page = standIn.Address() + "/search?q=red%20shoes&amp;engines=";
    EXPECT_THAT(report, HasSubstr("<a href = \"" + page + "google&amp;pageno=2\"><u> 12 </u>"));
    EXPECT_THAT(report, HasSubstr("<a href = \"" + page + "bing&amp;pageno=1\"><u> 2 </u>"));
    EXPECT_THAT(report, HasSubstr("<a href = \"" + page + "loop%20back&amp;pageno=1\"><u> 2 </u>"));
    EXPECT_THAT(report, HasSubstr("size=1>timeout</font></td>"));
    EXPECT_THAT(result.err, HasSubstr("Connected to google"));
    EXPECT_THAT(result.err, HasSubstr("bing found beta.test on position 1"));
    EXPECT_THAT(result.err, HasSubstr("9lives failed on position 0: timeout"));
    std::string data;
    ASSERT_TRUE(ReadWholeFile(work / "positions.json", data));
    EXPECT_THAT(data, HasSubstr("\"engine\": \"9lives\",\n      \"position\": null,\n"
                                "      \"error\": \"timeout\"\n"));
    // /config, three pages of google (the third empty: beta.test is not there), one each of
    // bing and loop back (both sites found on it), one of 9lives (failed).
    EXPECT_EQ(standIn.Targets().size(), 7u);
}

TEST_F(PositionsCommandTest, LiveEnginesNeedAnInstanceThatOffersThem) {
    test::MetasearchStandIn standIn;
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
    struct Row {
        std::vector<std::string> global;
        std::string engines;
        int exitCode;
        const char* says;
    };
    const std::vector<Row> rows = {
        {{}, "google", 2, "positions: live engines (google) need --metasearch URL"},
        {{"--metasearch", standIn.Address()},
         "1,duckduckgo",
         2,
         "duckduckgo is not an enabled general engine of the metasearch instance (it offers: "
         "google, bing)"},
        {{"--metasearch", "ftp://127.0.0.1"}, "google", 2, "--metasearch needs http://"},
        {{"--metasearch", closed}, "google", 1, "could not be reached"},
        // The numbered engines still run without the live ones.
        {{"--metasearch", closed}, "1,google", 0, "; the live engines are left out"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = row.global;
        for (const char* arg : {"positions", "--engines"}) {
            args.push_back(arg);
        }
        args.push_back(row.engines);
        for (const char* arg : {"--name", "a", "--url", "a.test", "--keyword", "k"}) {
            args.push_back(arg);
        }
        const test::CliResult result = test::RunCli(work.path(), args);
        EXPECT_EQ(result.exitCode, row.exitCode) << row.engines << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(row.says)) << row.engines;
    }
    // Only the instance's list was asked for, never a search.
    for (const std::string& target : standIn.Targets()) {
        EXPECT_EQ(target, "/config");
    }
}

// Ctrl-C is the stop request: the scraper asks, the terminal answers Yes, no report is written.
TEST_F(PositionsCommandTest, InterruptStopsTheRunWithoutAReport) {
    emulator.SetResults(EngineId::Google, "long", Filler(100000));
    const std::string errPath = work / "err.txt";
    std::vector<std::string> args = {SITEGAUGE_CLI_PATH,
                                     "positions",
                                     "--engines",
                                     "1",
                                     "--depth",
                                     "0",
                                     "--name",
                                     "Long",
                                     "--url",
                                     "nowhere.test",
                                     "--keyword",
                                     "long"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, work.path().c_str());
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Wait until the search is under way.
    std::string err;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (err.find("position: 25\n") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ReadWholeFile(errPath, err);
    }
    ASSERT_NE(err.find("position: 25\n"), std::string::npos) << err;
    ::kill(pid, SIGINT);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ReadWholeFile(errPath, err);
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_THAT(err, HasSubstr("question: Are you sure you want to skip searching  ? Yes\n"));
    EXPECT_THAT(err, HasSubstr(" skip: User skip searching \n"));
    EXPECT_THAT(err, HasSubstr("sitegauge-cli: positions: stopped, no report written\n"));
    EXPECT_TRUE(ReportFiles(work.path()).empty());
    EXPECT_LT(emulator.RequestCount(EngineId::Google, EmulatorQuery::KeywordSearch), 10000);
}

}  // namespace
}  // namespace sg
