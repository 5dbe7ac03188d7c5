#include "net/ProxySettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/StartUp.h"
#include "model/AppState.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

std::string Read(const std::string& path) {
    std::string data;
    ReadWholeFile(path, data);
    return data;
}

bool Same(const ProxySettings& a, const ProxySettings& b) {
    return a.address == b.address && a.port == b.port && a.user == b.user &&
           a.password == b.password;
}

TEST(ProxySettingsFile, SavedFileReadsBackTheSameFourValues) {
    test::TempDir dir;
    // The folder does not exist yet: it is created.
    const std::string path = dir / "config/sitegauge/proxy.txt";
    const ProxySettings saved{"10.0.0.7", "3128", "proxy user", "p@ss word"};
    ASSERT_EQ(SaveProxySettings(path, saved), 0);
    // Port, address, user name, and the password without a final line end.
    EXPECT_EQ(Read(path), "3128\n10.0.0.7\nproxy user\np@ss word");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ProxySettings loaded;
    ASSERT_EQ(LoadProxySettings(path, loaded), 0);
    EXPECT_TRUE(Same(loaded, saved));

    // Empty values survive too: four lines, three of them empty.
    ASSERT_EQ(SaveProxySettings(path, ProxySettings{"", "80", "", ""}), 0);
    EXPECT_EQ(Read(path), "80\n\n\n");
    ASSERT_EQ(LoadProxySettings(path, loaded), 0);
    EXPECT_TRUE(Same(loaded, ProxySettings{"", "80", "", ""}));
}

TEST(ProxySettingsFile, MissingLinesAreEmptyAndAMissingFileChangesNothing) {
    test::TempDir dir;
    const std::string path = dir / "proxy.txt";
    ProxySettings settings{"1.1.1.1", "1", "old user", "old password"};
    EXPECT_EQ(LoadProxySettings(path, settings), 1);
    EXPECT_TRUE(Same(settings, ProxySettings{"1.1.1.1", "1", "old user", "old password"}));

    ASSERT_TRUE(WriteWholeFile(path, "8080\r\n192.168.0.1\r\n"));
    ASSERT_EQ(LoadProxySettings(path, settings), 0);
    EXPECT_TRUE(Same(settings, ProxySettings{"192.168.0.1", "8080", "", ""}));

    ASSERT_TRUE(WriteWholeFile(path, ""));
    ASSERT_EQ(LoadProxySettings(path, settings), 0);
    EXPECT_TRUE(Same(settings, ProxySettings{}));
}

TEST(ProxySettingsFile, FailedSaveKeepsTheOldFile) {
    test::TempDir dir;
    // A name so long that no temporary file can be made beside it.
    const std::string path = dir / std::string(250, 'p');
    ASSERT_TRUE(WriteWholeFile(path, "old contents"));
    EXPECT_EQ(SaveProxySettings(path, ProxySettings{"10.0.0.1", "8080", "u", "p"}), 1);
    EXPECT_EQ(Read(path), "old contents");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(SaveProxySettings("", ProxySettings{}), 1);
}

TEST(ProxySettingsFile, StartUpReadsTheProxyFile) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
    ASSERT_EQ(SaveProxySettings(dir / "config/sitegauge/proxy.txt",
                                ProxySettings{"127.0.0.1", "18888", "u", "p"}),
              0);
    const ProxySettings before = CurrentProxySettings();
    StartUp(dir.path());
    EXPECT_TRUE(Same(CurrentProxySettings(), ProxySettings{"127.0.0.1", "18888", "u", "p"}));

    // The record is saved to the same file.
    CurrentProxySettings().password = "changed";
    ASSERT_EQ(SaveProxySettings(App().paths.proxyFile, CurrentProxySettings()), 0);
    EXPECT_EQ(Read(App().paths.proxyFile), "18888\n127.0.0.1\nu\nchanged");
    CurrentProxySettings() = before;
}

}  // namespace
}  // namespace sg
