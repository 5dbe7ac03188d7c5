// sitegauge-cli --help and every command's --help: what it does, its options, its exit codes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "cli/CliCommands.h"
#include "cli/CliRunner.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using ::testing::HasSubstr;

std::string FirstLine(std::string_view text) {
    return std::string(text.substr(0, text.find('\n')));
}

TEST(CliHelp, EveryCommandAnswersHelpWithItsUsageAndExitCodes) {
    test::TempDir dir;
    ASSERT_GE(CliCommands().size(), 8u);
    for (const CliCommand& command : CliCommands()) {
        const std::string name(command.name);
        for (const char* option : {"--help", "-h"}) {
            const test::CliResult help = test::RunCli(dir.path(), {name, option, "ignored"});
            EXPECT_EQ(help.exitCode, 0) << name;
            EXPECT_TRUE(help.err.empty()) << help.err;
            EXPECT_THAT(help.out, HasSubstr("Usage: sitegauge-cli [global options] " + name));
            EXPECT_THAT(help.out, HasSubstr(FirstLine(command.usage))) << name;
            const std::size_t codes = help.out.find("\nExit codes:\n");
            ASSERT_NE(codes, std::string::npos) << name;
            // Success and bad usage, each with what it means.
            EXPECT_THAT(help.out.substr(codes), HasSubstr("\n  0    ")) << name;
            EXPECT_THAT(help.out.substr(codes), HasSubstr("\n  2    ")) << name;
            EXPECT_FALSE(command.exitCodes.empty()) << name;
        }
    }
    // Help creates no working folder.
    EXPECT_FALSE(FolderExists(dir / "Reports"));
}

TEST(CliHelp, TheProgramsHelpListsEveryCommandAndAllExitCodes) {
    test::TempDir dir;
    const test::CliResult help = test::RunCli(dir.path(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const CliCommand& command : CliCommands()) {
        EXPECT_THAT(help.out, HasSubstr("\n  " + FirstLine(command.usage) + "\n"));
    }
    for (const char* code : {"\n  0    ", "\n  1    ", "\n  2    ", "\n  130  "}) {
        EXPECT_THAT(help.out, HasSubstr(code));
    }
}

TEST(CliHelp, DemoTakesTheWorkingFolderAfterItsNameAndNothingElse) {
    test::TempDir dir;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"demo", "--fast"},
                                                 {"demo", "extra"},
                                                 {"demo", "--workdir"},
                                                 {"demo", "--workdir="}}) {
        const test::CliResult result = test::RunCli(dir.path(), args);
        EXPECT_EQ(result.exitCode, 2) << args.back();
        EXPECT_THAT(result.err, HasSubstr("see --help"));
    }
}

}  // namespace
}  // namespace sg
