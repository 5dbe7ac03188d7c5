#include "app/StartUp.h"

#include <gtest/gtest.h>

#include "model/AppState.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "support/TempDir.h"

namespace sg {
namespace {

const char* const kFolders[] = {"Profiles",
                                "Reports",
                                "Reports/Position Analyzer",
                                "Reports/Search Engine Rediness",
                                "Reports/Link Popularity",
                                "Reports/Link Validator",
                                "tutorial"};

std::string Read(const std::string& path) {
    std::string data;
    ReadWholeFile(path, data);
    return data;
}

TEST(StartUp, CreatesTheTreeAndRewritesImagesOnEveryStart) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
    StartUp(dir.path() + "/");
    const AppPaths& paths = App().paths;
    EXPECT_EQ(paths.workDir, dir.path());
    EXPECT_EQ(paths.readinessDir, dir.path() + "/Reports/Search Engine Rediness");
    EXPECT_EQ(paths.proxyFile, dir.path() + "/config/sitegauge/proxy.txt");
    for (const char* folder : kFolders) {
        EXPECT_TRUE(FolderExists(dir / folder)) << folder;
    }
    EXPECT_EQ(Read(dir / "Reports/clear.gif").size(), 43u);
    EXPECT_EQ(Read(dir / "Reports/toplogo.gif").substr(0, 6), "GIF89a");

    // A damaged image is repaired by the next start; an edited tutorial page is kept.
    WriteWholeFile(dir / "Reports/toplogo.gif", "broken");
    WriteWholeFile(dir / "tutorial/index.html", "my notes");
    std::remove((dir / "tutorial/help.html").c_str());
    StartUp(dir.path());
    EXPECT_EQ(Read(dir / "Reports/toplogo.gif"), resources::toplogo_gif);
    EXPECT_EQ(Read(dir / "Reports/clear.gif"), resources::clear_gif);
    EXPECT_EQ(Read(dir / "tutorial/index.html"), "my notes");
    EXPECT_EQ(Read(dir / "tutorial/help.html"), resources::help_html);
}

TEST(StartUp, CompletesWhenReportsCannotBeCreated) {
    test::TempDir dir;
    // A plain file where the Reports folder should be: every folder under it fails.
    WriteWholeFile(dir / "Reports", "not a folder");
    StartUp(dir.path());
    EXPECT_TRUE(FolderExists(dir / "Profiles"));
    EXPECT_FALSE(FolderExists(dir / "Reports/Link Validator"));
    EXPECT_EQ(Read(dir / "Reports"), "not a folder");
    EXPECT_EQ(App().paths.linkValidatorDir, dir.path() + "/Reports/Link Validator");
    EXPECT_EQ(Read(dir / "tutorial/index.html"), resources::index_html);
}

TEST(StartUp, ProxyFileDefaultsToTheHomeConfigFolder) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    test::ScopedEnv home("HOME", dir.path().c_str());
    StartUp(dir.path());
    EXPECT_EQ(App().paths.proxyFile, dir.path() + "/.config/sitegauge/proxy.txt");
}

}  // namespace
}  // namespace sg
