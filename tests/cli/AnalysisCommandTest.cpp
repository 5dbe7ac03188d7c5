#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "cli/CliRunner.h"
#include "platform/FileSystem.h"
#include "support/FixtureSite.h"
#include "support/HeldPage.h"
#include "support/TempDir.h"
#include "support/WaitForFile.h"

extern char** environ;

namespace sg {
namespace {

using test::RunCli;

const std::string kPage =
    "<html><head><title>Home</title><meta name=\"keywords\" content=\"seo\"></head>"
    "<body>seo text <a href=\"other.html\">x</a></body></html>";

std::string LastLine(const std::string& text) {
    std::string_view rest(text);
    if (!rest.empty() && rest.back() == '\n') {
        rest.remove_suffix(1);
    }
    return std::string(rest.substr(rest.rfind('\n') + 1));
}

class AnalysisCommandTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    test::HeldPage held_;
    test::FixtureSite site_{held_.Responder("/b-held.html", kPage)};
};

TEST_F(AnalysisCommandTest, ReadinessInlineProjectEndsWithTheSummaryPath) {
    test::CliResult result =
        RunCli(dir_.path(),
               {"--workdir", dir_.path(), "readiness", "--url", site_.Url("/a.html"), "--name",
                "Demo", "--keyword", "seo", "--url", "http://" + site_.Url("/b.html")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string page = LastLine(result.out);
    EXPECT_EQ(page.rfind(dir_.path() + "/Reports/Search Engine Rediness/Demo_", 0), 0u) << page;
    EXPECT_TRUE(FileExists(page));
    // stderr is not a terminal here: one plain line per change of the percentage.
    EXPECT_NE(result.err.find("Meta Analyzer in progress... " + site_.Url("/a.html") + " 50%\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("Meta Analyzer in progress... " + site_.Url("/b.html") + " 100%\n"),
              std::string::npos);
    // The typed "http://" was dropped, as the Project dialog does.
    std::string summary;
    ReadWholeFile(page, summary);
    EXPECT_NE(summary.find("<a href = 'http://" + site_.Url("/b.html") + "'>"), std::string::npos);
}

TEST_F(AnalysisCommandTest, WorkdirIsMadeWhenMissingAndAPathIsPrintedOnlyForAFile) {
    const std::vector<std::string> run = {"readiness", "--url", site_.Url("/a.html"), "--name",
                                          "W"};
    auto in = [&](const std::string& folder) {
        std::vector<std::string> args = {"--workdir", folder};
        args.insert(args.end(), run.begin(), run.end());
        return RunCli(dir_.path(), args);
    };
    test::CliResult made = in(dir_ / "new/deeper");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(FileExists(LastLine(made.out)));

    // Under a plain file no folder can be made: nothing runs.
    const int gets = site_.CountRequests("GET /a.html");
    ASSERT_TRUE(WriteWholeFile(dir_ / "plain", "x"));
    test::CliResult refused = in(dir_ / "plain/sub");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("the working folder " + dir_ / "plain/sub" + " cannot be created"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(site_.CountRequests("GET /a.html"), gets);

    // A Reports folder that cannot be written: the run fails and prints no path.
    ASSERT_TRUE(FolderExists(dir_ / "new/deeper/Reports"));
    std::filesystem::remove_all(dir_ / "new/deeper/Reports");
    ASSERT_TRUE(WriteWholeFile(dir_ / "new/deeper/Reports", "x"));
    test::CliResult unwritable = in(dir_ / "new/deeper");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.out, "");
}

TEST_F(AnalysisCommandTest, LinksFromAProfileWritesEachSitesReportBesideTheSummary) {
    test::CliResult created =
        RunCli(dir_.path(), {"--workdir", dir_.path(), "profile", "create", "p.swp", "--name",
                             "Prof", "--url", site_.Url("/a.html")});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    // --open hands the page to xdg-open: here a script that notes what it was given.
    ASSERT_TRUE(WriteWholeFile(dir_ / "xdg-open",
                               "#!/bin/sh\n" + test::RecordArgumentLine("opened.txt") + "\n"));
    std::filesystem::permissions(dir_ / "xdg-open", std::filesystem::perms::owner_all);
    test::ScopedEnv path("PATH", (dir_.path() + ":" + std::getenv("PATH")).c_str());
    test::CliResult result = RunCli(
        dir_.path(), {"--workdir", dir_.path(), "links", "--nested", "--open", dir_ / "p.swp"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string page = LastLine(result.out);
    EXPECT_EQ(page.rfind(dir_.path() + "/Reports/Link Validator/Prof_", 0), 0u) << page;
    EXPECT_TRUE(FileExists(page));
    EXPECT_TRUE(FileExists(std::filesystem::path(page).parent_path().string() + "/127.html"));
    std::string opened;
    EXPECT_TRUE(test::WaitForFile(dir_ / "opened.txt", opened));
    EXPECT_EQ(opened, page);
    EXPECT_NE(result.err.find("Link Validator in progress... " + site_.Url("/a.html") + " 100%\n"),
              std::string::npos)
        << result.err;
}

// Every page serves a link to other.html: a.html and other.html are the site's two pages.
TEST_F(AnalysisCommandTest, LinksEndsWithItsCountsAndMaxPagesBoundsTheCrawl) {
    for (const bool bounded : {false, true}) {
        std::vector<std::string> args = {"--workdir", dir_.path(), "links", "--nested"};
        if (bounded) {
            args.insert(args.end(), {"--max-pages", "1"});
        }
        args.insert(args.end(), {"--name", "p", "--url", site_.Url("/a.html")});
        const test::CliResult result = RunCli(dir_.path(), args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        // Past the bound other.html is still judged, by its head, and not visited; the counts
        // say the bound stopped the crawl.
        const std::string counts = bounded
                                       ? "1 pages visited, 2 links judged, 0 broken, 0 "
                                         "unreachable, stopped at the page limit (1)"
                                       : "2 pages visited, 3 links judged, 0 broken, 0 unreachable";
        EXPECT_EQ(LastLine(result.err), "links: " + counts);
        std::string summary;
        ASSERT_TRUE(ReadWholeFile(LastLine(result.out), summary));
        EXPECT_NE(summary.find(site_.Url("/a.html") + ": " + counts + "</font></p>"),
                  std::string::npos);
    }
}

TEST_F(AnalysisCommandTest, RefusesBadProjectsAndUsageWithOneLineAndExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"readiness", "--name", ".x", "--url", "a.com"},
        {"links", "--name", "p", "--url", "intranet"},
        {"links", "--name", "p"},
        {"readiness"},
        {"readiness", "p.swp", "--name", "x"},
        {"links", "--name", "p", "--name", "q", "--url", "a.com"},
        {"links", "missing.swp"},
        {"--connections", "0", "links", "--name", "p", "--url", "a.com"},
        {"--connections", "33", "links", "--name", "p", "--url", "a.com"},
        {"--connections", "4x", "links", "--name", "p", "--url", "a.com"},
        {"links", "--max-pages", "0", "--name", "p", "--url", "a.com"},
        {"readiness", "--max-pages", "x", "--name", "p", "--url", "a.com"},
        {"audit", "--max-links-per-page", "0", "--name", "p", "--url", "a.com"},
        {"links", "--max-links-per-page", "10000001", "--name", "p", "--url", "a.com"},
        {"popularity", "--max-links-per-page", "5", "--name", "p", "--url", "a.com"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> full = {"--workdir", dir_.path()};
        full.insert(full.end(), args.begin(), args.end());
        test::CliResult result = RunCli(dir_.path(), full);
        EXPECT_EQ(result.exitCode, 2) << args[0] << " " << args.size() << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
    }
    test::CliResult dotless =
        RunCli(dir_.path(), {"links", "--name", "p", "--url", "a.com", "--url", "intranet:8080"});
    EXPECT_EQ(dotless.err,
              "sitegauge-cli: links: project not ready: URL 2 (intranet:8080) holds no \".\"\n");
}

TEST_F(AnalysisCommandTest, CtrlCCancelsWithoutASummaryPage) {
    std::vector<std::string> args = {SITEGAUGE_CLI_PATH,
                                     "--workdir",
                                     dir_.path(),
                                     "links",
                                     "--name",
                                     "Stop",
                                     "--url",
                                     site_.Url("/a.html"),
                                     "--url",
                                     site_.Url("/b-held.html")};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const std::string outPath = dir_ / "out.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const bool held = held_.WaitArrived();
    ::kill(pid, SIGINT);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    held_.released = true;
    ASSERT_TRUE(held);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    std::string out;
    ReadWholeFile(outPath, out);
    EXPECT_EQ(out, "");
    int runFolders = 0;
    for (const auto& run : std::filesystem::directory_iterator(dir_ / "Reports/Link Validator")) {
        ++runFolders;
        const std::string name = run.path().filename().string();
        EXPECT_FALSE(FileExists(run.path().string() + "/" + name + ".html"));
        // The first site's report was finished before the interrupt.
        EXPECT_TRUE(FileExists(run.path().string() + "/127.html"));
    }
    EXPECT_EQ(runFolders, 1);
}

}  // namespace
}  // namespace sg
