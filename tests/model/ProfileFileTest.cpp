#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

std::string Read(const std::string& path) {
    std::string data;
    EXPECT_TRUE(ReadWholeFile(path, data)) << path;
    return data;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Fill(Project& project, const char* name, std::initializer_list<const char*> urls,
          std::initializer_list<const char*> keywords) {
    project.ClearUrls();
    project.ClearKeywords();
    project.SetName(name);
    for (const char* url : urls) {
        project.AddUrl(url);
    }
    for (const char* keyword : keywords) {
        project.AddKeyword(keyword);
    }
}

TEST(ProfileFile, SaveAndLoadRoundTrip) {
    test::TempDir dir;
    const std::string path = dir / "sites.swp";
    Project saved;
    Fill(saved, "Caf\xe9 sites", {"x.com", "x.com", std::string(300, 'u').c_str()}, {"b", "a"});
    ASSERT_EQ(SaveProfile(saved, path), kProfileOk);

    Project loaded;
    Fill(loaded, "old", {"old.com"}, {"old"});
    std::string error = "stale";
    ASSERT_EQ(LoadProfile(loaded, path, &error), kProfileOk);
    EXPECT_EQ(error, "");
    EXPECT_EQ(loaded.GetName(), "Caf\xe9 sites");
    ASSERT_EQ(loaded.UrlCount(), 3);
    EXPECT_EQ(loaded.GetUrl(0)->GetShortName(), "x");
    EXPECT_EQ(loaded.GetUrl(1)->GetShortName(), "x0");
    EXPECT_EQ(loaded.GetUrl(2)->GetUrl(), std::string(300, 'u'));
    ASSERT_EQ(loaded.KeywordCount(), 2);
    EXPECT_EQ(loaded.GetKeyword(0), "b");
    EXPECT_EQ(loaded.GetKeyword(1), "a");

    // Saving again over the file replaces it and leaves nothing else in the folder.
    Fill(saved, "", {}, {});
    ASSERT_EQ(SaveProfile(saved, path), kProfileOk);
    EXPECT_EQ(Read(path), std::string(9, '\0'));
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"sites.swp"}));
}

TEST(ProfileFile, SaveKeepsAnExistingFilesPermissions) {
    test::TempDir dir;
    const std::string path = dir / "p.swp";
    Project project;
    ASSERT_EQ(SaveProfile(project, path), kProfileOk);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_EQ(SaveProfile(project, path), kProfileOk);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Builds a profile by hand, noting where each field ends.
struct ProfileBuilder {
    std::string bytes;
    std::vector<std::size_t> urlEnds;
    std::vector<std::size_t> keywordEnds;

    void Count(std::uint32_t n) {
        for (int i = 0; i < 4; ++i) {
            bytes += static_cast<char>(n >> (8 * i));
        }
    }
    void Raw(std::initializer_list<int> values) {
        for (int v : values) {
            bytes += static_cast<char>(v);
        }
    }
};

TEST(ProfileFile, TruncationAtEveryOffsetKeepsWhatWasReadAndNamesTheFile) {
    // Three URLs (short, 16-bit length, wide), two keywords (one empty) and a name.
    ProfileBuilder b;
    b.Count(3);
    b.Raw({5});
    b.bytes += "a.one";
    b.urlEnds.push_back(b.bytes.size());
    b.Raw({0xFF, 0x2C, 0x01});
    b.bytes += std::string(300, 'w');
    b.urlEnds.push_back(b.bytes.size());
    b.Raw({0xFF, 0xFE, 0xFF, 3, 'a', 0, '.', 0, 'b', 0});
    b.urlEnds.push_back(b.bytes.size());
    b.Count(2);
    b.Raw({3});
    b.bytes += "kw1";
    b.keywordEnds.push_back(b.bytes.size());
    b.Raw({0});
    b.keywordEnds.push_back(b.bytes.size());
    b.Raw({4});
    b.bytes += "Name";

    test::TempDir dir;
    const std::string path = dir / "cut.swp";
    {
        ASSERT_TRUE(WriteWholeFile(path, b.bytes));
        Project whole;
        ASSERT_EQ(LoadProfile(whole, path, nullptr), kProfileOk);
        EXPECT_EQ(whole.GetUrl(2)->GetUrl(), "a.b");
        EXPECT_EQ(whole.GetName(), "Name");
    }

    const std::string expectedError = "An attempt was made to access " + path + " past its end.";
    const std::size_t keywordCountEnd = b.urlEnds.back() + 4;
    for (std::size_t cut = 0; cut < b.bytes.size(); ++cut) {
        ASSERT_TRUE(WriteWholeFile(path, b.bytes.substr(0, cut)));
        Project project;
        Fill(project, "Old", {"old1.com", "old2.com"}, {"oldkw"});
        std::string error;
        ASSERT_EQ(LoadProfile(project, path, &error), kProfilePastEnd) << cut;
        EXPECT_EQ(error, expectedError) << cut;

        int urls = cut < 4 ? 2 : 0;
        for (std::size_t end : b.urlEnds) {
            urls += cut >= end ? 1 : 0;
        }
        ASSERT_EQ(project.UrlCount(), urls) << cut;
        if (cut >= 4 && urls > 0) {
            EXPECT_EQ(project.GetUrl(0)->GetUrl(), "a.one") << cut;
        }
        // The keywords are cleared only once every URL was read.
        int keywords = cut < b.urlEnds.back() ? 1 : 0;
        for (std::size_t end : b.keywordEnds) {
            keywords += cut >= end && cut >= keywordCountEnd ? 1 : 0;
        }
        ASSERT_EQ(project.KeywordCount(), keywords) << cut;
        if (keywords > 0) {
            EXPECT_EQ(project.GetKeyword(0), cut < b.urlEnds.back() ? "oldkw" : "kw1") << cut;
        }
        EXPECT_EQ(project.GetName(), "Old") << cut;
    }
}

TEST(ProfileFile, LoadFailuresThatAreNotFormatErrorsLeaveTheProjectAlone) {
    test::TempDir dir;
    Project project;
    Fill(project, "Old", {"old.com"}, {"kw"});
    std::string error = "stale";
    EXPECT_EQ(LoadProfile(project, dir / "missing.swp", &error), kProfileCannotOpen);
    EXPECT_EQ(error, "");
    EXPECT_EQ(LoadProfile(project, dir.path(), &error), kProfileCannotOpen);
    EXPECT_EQ(project.UrlCount(), 1);
    EXPECT_EQ(project.GetName(), "Old");

    ASSERT_TRUE(WriteWholeFile(dir / "bad.swp", std::string("\xff\xff\xff\xff", 4)));
    EXPECT_EQ(LoadProfile(project, dir / "bad.swp", &error), kProfileBadFormat);
    EXPECT_EQ(error, "Unexpected file format.");
    EXPECT_EQ(project.UrlCount(), 1);
}

// Fails one step of the save; the others are the real system calls.
class FailingOps : public ProfileSaveOps {
  public:
    enum class Step { kWrite, kSync, kRename };
    explicit FailingOps(Step step) : step_(step) {}

    ssize_t Write(int fd, const char* data, std::size_t size) override {
        if (step_ == Step::kWrite) {
            // Part of the data reaches the file before the disk fills up.
            if (written_ == 0) {
                written_ = ProfileSaveOps::Write(fd, data, std::min<std::size_t>(size, 7));
                return written_;
            }
            errno = ENOSPC;
            return -1;
        }
        return ProfileSaveOps::Write(fd, data, size);
    }
    int Sync(int fd) override {
        if (step_ == Step::kSync) {
            errno = EIO;
            return -1;
        }
        return ProfileSaveOps::Sync(fd);
    }
    int Rename(const char* from, const char* to) override {
        if (step_ == Step::kRename) {
            errno = EXDEV;
            return -1;
        }
        return ProfileSaveOps::Rename(from, to);
    }

  private:
    Step step_;
    ssize_t written_ = 0;
};

TEST(ProfileFile, FailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
    test::TempDir dir;
    const std::string path = dir / "keep.swp";
    Project old;
    Fill(old, "Old", {"old.com", "other.org"}, {"kw"});
    ASSERT_EQ(SaveProfile(old, path), kProfileOk);
    const std::string before = Read(path);

    Project changed;
    Fill(changed, "New name that is longer", {"new.com", "x.com", "y.com"}, {"a", "b"});
    for (auto step :
         {FailingOps::Step::kWrite, FailingOps::Step::kSync, FailingOps::Step::kRename}) {
        FailingOps ops(step);
        EXPECT_EQ(SaveProfile(changed, path, ops), kProfileWriteFailed);
        EXPECT_EQ(Read(path), before);
        EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"keep.swp"}));
    }

    // A real failure: the target is a folder, which a file cannot be renamed over.
    ASSERT_TRUE(CreateFolder(dir / "folder.swp"));
    ASSERT_TRUE(WriteWholeFile(dir / "folder.swp/inside", "x"));
    EXPECT_EQ(SaveProfile(changed, dir / "folder.swp"), kProfileWriteFailed);
    EXPECT_EQ(Read(dir / "folder.swp/inside"), "x");
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"folder.swp", "keep.swp"}));

    // No folder to put the temporary file in.
    EXPECT_EQ(SaveProfile(changed, dir / "no/such.swp"), kProfileCannotOpen);
}

}  // namespace
}  // namespace sg
