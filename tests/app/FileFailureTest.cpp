// Saves that fail part way and report folders that cannot be written, on the real system calls:
// a full disk is simulated with RLIMIT_FSIZE (SIGXFSZ ignored, so a write past the limit stops
// short and then fails with EFBIG, as on a full disk), and a report folder is made unwritable
// by a file standing where it should be, which also stops a root user.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/AnalysisRun.h"
#include "app/RunRecorders.h"
#include "app/StartUp.h"
#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "model/Project.h"
#include "net/ProxySettings.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "support/FixtureSite.h"
#include "support/FullDisk.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FullDisk;

std::string Read(const std::string& path) {
    std::string data;
    EXPECT_TRUE(ReadWholeFile(path, data)) << path;
    return data;
}

// Every file under `folder` with its content.
std::map<std::string, std::string> FilesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        if (item.is_regular_file()) {
            ReadWholeFile(item.path().string(), files[item.path().string()]);
        }
    }
    return files;
}

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

TEST(FileFailures, ProfileSaveOnAFullDiskLeavesTheOldProfileWhole) {
    test::TempDir dir;
    const std::string path = dir / "site.swp";
    Project old;
    old.SetName("Old");
    old.AddUrl("http://old.example/");
    old.AddKeyword("old");
    ASSERT_EQ(SaveProfile(old, path), kProfileOk);
    const std::string before = Read(path);

    Project bigger;
    bigger.SetName("Bigger");
    for (int i = 0; i < 200; ++i) {
        bigger.AddUrl("http://www.example" + std::to_string(i) + ".com/a/longer/path/index.html");
    }
    int result = -1;
    {
        // Room for the old profile's size, not for the new one: the write stops part way.
        FullDisk disk(before.size() + 512);
        ASSERT_TRUE(disk.Active());
        result = SaveProfile(bigger, path);
    }
    EXPECT_EQ(result, kProfileWriteFailed);
    EXPECT_EQ(Read(path), before);
    // The temporary file is gone too.
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
    Project loaded;
    ASSERT_EQ(LoadProfile(loaded, path, nullptr), kProfileOk);
    EXPECT_EQ(loaded.GetName(), "Old");

    // Once there is room again, the same save goes through.
    EXPECT_EQ(SaveProfile(bigger, path), kProfileOk);
    ASSERT_EQ(LoadProfile(loaded, path, nullptr), kProfileOk);
    EXPECT_EQ(loaded.UrlCount(), 200);
}

TEST(FileFailures, ProxySaveOnAFullDiskLeavesTheOldFileWhole) {
    test::TempDir dir;
    const std::string path = dir / "proxy.txt";
    ASSERT_EQ(SaveProxySettings(path, ProxySettings{"10.0.0.1", "8080", "user", "pw"}), 0);
    const std::string before = Read(path);

    const ProxySettings longer{"10.0.0.2", "3128", std::string(300, 'u'), std::string(3000, 'p')};
    int result = -1;
    {
        FullDisk disk(1024);
        ASSERT_TRUE(disk.Active());
        result = SaveProxySettings(path, longer);
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
    ProxySettings loaded;
    ASSERT_EQ(LoadProxySettings(path, loaded), 0);
    EXPECT_EQ(loaded.address, "10.0.0.1");
    EXPECT_EQ(loaded.password, "pw");
}

class UnwritableReports : public ::testing::Test {
  protected:
    void SetUp() override {
        StartUp(dir_.path());
        SetOnlineCheck([] { return true; });
        SetDocumentOpener([this](const std::string& path) { opened_.push_back(path); });
        // A file where the reports folder should be: no analysis folder can be made in it and
        // no report written, whoever runs the test.
        std::filesystem::remove_all(App().paths.reportsDir);
        ASSERT_TRUE(WriteWholeFile(App().paths.reportsDir, "in the way"));
    }
    void TearDown() override {
        SetOnlineCheck({});
        SetDocumentOpener({});
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    test::ScriptedFrontEnd frontEnd_;
    test::RecordingProgress progress_;
    std::vector<std::string> opened_;
};

TEST_F(UnwritableReports, AnalysisRunEndsNormallyWithNothingReported) {
    test::FixtureSite site([](const std::string&) {
        return test::HtmlPage(
            "<html><head><title>t</title><meta name=\"keywords\" content=\"k\"></head>"
            "<body><a href=\"b.html\">b</a></body></html>");
    });
    Project project;
    project.SetName("Blocked");
    project.AddUrl(site.Url("/a.html"));
    project.AddKeyword("k");
    const auto before = FilesUnder(dir_.path());

    AnalysisRun run(project, frontEnd_, progress_);
    AnalysisSelection selection;
    selection.linkValidator = true;
    selection.readiness = true;
    selection.nested = true;
    ASSERT_EQ(run.AnalyzeNow(selection), kRunStarted);
    ASSERT_TRUE(run.WaitFor(std::chrono::seconds(30)));

    // The analyses ran (the site was crawled and read) and the run ended as usual, not
    // cancelled, with its progress at the end.
    EXPECT_GT(site.Requests().size(), 2u);
    EXPECT_EQ(frontEnd_.finished, (std::vector<bool>{false}));
    EXPECT_FALSE(run.WasCancelled());
    ASSERT_FALSE(progress_.positions.empty());
    EXPECT_EQ(progress_.positions.back(), 100);
    // Nothing was reported anywhere, and the file in the way is untouched.
    EXPECT_EQ(FilesUnder(dir_.path()), before);
    EXPECT_EQ(Read(App().paths.reportsDir), "in the way");
    // The page the run hands to the browser does not exist.
    for (const std::string& page : opened_) {
        EXPECT_FALSE(FileExists(page)) << page;
    }
}

}  // namespace
}  // namespace sg
