#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>

#include "support/TempDir.h"

namespace sg {
namespace {

namespace fs = std::filesystem;

int FilesIn(const std::string& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) {
        ++n;
    }
    return n;
}

TEST(FileSystem, WholeFileRoundTripKeepsEveryByte) {
    test::TempDir dir;
    std::string data("a\0b\r\n\xff", 6);
    ASSERT_TRUE(WriteWholeFile(dir / "f", data));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(dir / "f", back));
    EXPECT_EQ(back, data);
    // A second write truncates.
    ASSERT_TRUE(WriteWholeFile(dir / "f", "x"));
    ASSERT_TRUE(ReadWholeFile(dir / "f", back));
    EXPECT_EQ(back, "x");
    EXPECT_FALSE(ReadWholeFile(dir / "missing", back));
}

TEST(FileSystem, CreateFolderReportsExistingAndImpossibleFolders) {
    test::TempDir dir;
    EXPECT_TRUE(CreateFolder(dir / "a"));
    EXPECT_FALSE(CreateFolder(dir / "a"));
    EXPECT_FALSE(CreateFolder(dir / "missing/parent"));
    EXPECT_TRUE(FolderExists(dir / "a"));
    EXPECT_FALSE(FileExists(dir / "a"));
}

TEST(FileSystem, AtomicWriteReplacesWithModeAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir / "p", "old"));
    ASSERT_TRUE(WriteFileAtomically(dir / "p", "new content", 0600));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(dir / "p", back));
    EXPECT_EQ(back, "new content");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "p").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST(FileSystem, FailedAtomicWriteKeepsTheOldTarget) {
    test::TempDir dir;
    // The target is a non-empty folder: the rename must fail and nothing may be lost.
    ASSERT_TRUE(CreateFolder(dir / "target"));
    ASSERT_TRUE(WriteWholeFile(dir / "target/keep", "keep"));
    EXPECT_FALSE(WriteFileAtomically(dir / "target", "data"));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(dir / "target/keep", back));
    EXPECT_EQ(back, "keep");
    EXPECT_EQ(FilesIn(dir.path()), 1);
    // A folder that does not exist: nothing is created.
    EXPECT_FALSE(WriteFileAtomically(dir / "nowhere/p", "data"));
    EXPECT_FALSE(FolderExists(dir / "nowhere"));
}

}  // namespace
}  // namespace sg
