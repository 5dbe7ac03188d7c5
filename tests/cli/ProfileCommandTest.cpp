#include <gtest/gtest.h>

#include <algorithm>

#include "cli/CliRunner.h"
#include "model/ProfileFile.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::RunCli;

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(CliProfile, CreateThenShowRoundTrip) {
    test::TempDir dir;
    test::CliResult created =
        RunCli(dir.path(), {"--workdir", dir.path(), "profile", "create", "p.swp", "--url", "x.com",
                            "--keyword", "caf\xc3\xa9", "--name", "My Sit\xc3\xa9s", "--url=x.com",
                            "--url", "http://www.Shop.org/a", "--keyword", "seo"});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_EQ(created.err, "");
    // The file holds Windows-1252 text: the UTF-8 "é" became the single byte E9.
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(dir / "p.swp", bytes));
    EXPECT_EQ(bytes.substr(bytes.size() - 9), std::string("\x08My Sit\xe9s"));
    // Every command starts up in the working folder first.
    EXPECT_TRUE(FolderExists(dir / "Profiles"));

    test::CliResult shown = RunCli(dir.path(), {"profile", "show", dir / "p.swp"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out,
              "name: My Sit\xc3\xa9s\n"
              "url: x.com (short name: x)\n"
              "url: x.com (short name: x0)\n"
              "url: http://www.Shop.org/a (short name: Shop)\n"
              "keyword: caf\xc3\xa9\n"
              "keyword: seo\n");
}

TEST(CliProfile, BadUsageExitsTwoWithOneLine) {
    test::TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", "profile"},
        {"--workdir"},
        {"nosuchcommand"},
        {"profile"},
        {"profile", "rename", "p.swp"},
        {"profile", "create", "p.swp"},
        {"profile", "create", "--name", "n"},
        {"profile", "create", "p.swp", "--name", "n", "--url"},
        {"profile", "create", "p.swp", "--name", "n", "--name", "m"},
        {"profile", "create", "p.swp", "q.swp", "--name", "n"},
        {"profile", "create", "p.swp", "--name", "n", "--colour", "red"},
        {"profile", "show"},
        {"profile", "show", "a.swp", "b.swp"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& arg : args) {
            shown += arg + " ";
        }
        test::CliResult result = RunCli(dir.path(), args);
        EXPECT_EQ(result.exitCode, 2) << shown;
        EXPECT_EQ(LineCount(result.err), 1u) << shown << result.err;
        EXPECT_EQ(result.out, "") << shown;
    }
    // Nothing was written by the refused creates.
    EXPECT_FALSE(FileExists(dir / "p.swp"));
}

TEST(CliProfile, UnreadableProfileExitsTwoWithTheMessage) {
    test::TempDir dir;
    Project project;
    project.SetName("n");
    project.AddUrl("a.com");
    ASSERT_EQ(SaveProfile(project, dir / "whole.swp"), kProfileOk);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(dir / "whole.swp", bytes));
    ASSERT_TRUE(WriteWholeFile(dir / "cut.swp", bytes.substr(0, bytes.size() - 1)));
    ASSERT_TRUE(WriteWholeFile(dir / "bad.swp", std::string("\xff\xff\xff\xff", 4)));

    test::CliResult cut = RunCli(dir.path(), {"profile", "show", dir / "cut.swp"});
    EXPECT_EQ(cut.exitCode, 2);
    EXPECT_EQ(cut.err, "An attempt was made to access " + (dir / "cut.swp") + " past its end.\n");
    EXPECT_EQ(cut.out, "");

    test::CliResult bad = RunCli(dir.path(), {"profile", "show", "bad.swp"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, "Unexpected file format.\n");

    test::CliResult missing = RunCli(dir.path(), {"profile", "show", "missing.swp"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("missing.swp"), std::string::npos) << missing.err;
}

TEST(CliProfile, FailedCreateExitsOneAndKeepsTheOldFile) {
    test::TempDir dir;
    ASSERT_TRUE(CreateFolder(dir / "taken.swp"));
    test::CliResult result = RunCli(dir.path(), {"profile", "create", "taken.swp", "--name", "n"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(LineCount(result.err), 1u) << result.err;
    EXPECT_TRUE(FolderExists(dir / "taken.swp"));
}

TEST(Cli, HelpAndVersion) {
    test::TempDir dir;
    test::CliResult version = RunCli(dir.path(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Sitegauge Version 6.0\n");

    test::CliResult help = RunCli(dir.path(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("profile create FILE --name NAME"), std::string::npos);
    EXPECT_NE(help.out.find("profile show FILE"), std::string::npos);
    EXPECT_NE(help.out.find("Exit codes"), std::string::npos);
    // Printing help creates no working folder.
    EXPECT_FALSE(FolderExists(dir / "Profiles"));
}

}  // namespace
}  // namespace sg
