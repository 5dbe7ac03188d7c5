#include "model/ProfileArchive.h"

#include <gtest/gtest.h>

#include "model/Project.h"

namespace sg {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

std::string Stored(const Project& project) {
    ProfileArchive archive;
    project.Store(archive);
    return archive.Bytes();
}

std::string StoredString(std::string_view text) {
    ProfileArchive archive;
    archive.WriteString(text);
    return archive.Bytes();
}

int ReadOne(const std::string& bytes, std::string& text) {
    MemoryProfileSource source(bytes);
    ProfileArchive archive(source);
    return archive.ReadString(text);
}

int Load(Project& project, const std::string& bytes) {
    MemoryProfileSource source(bytes);
    ProfileArchive archive(source);
    return project.Serialize(archive);
}

TEST(ProfileArchive, EmptyProjectIsNineZeroBytes) {
    Project project;
    EXPECT_EQ(Stored(project), std::string(9, '\0'));
}

TEST(ProfileArchive, ProjectIsStoredInFieldOrder) {
    Project project;
    project.SetName("My Sites");
    project.AddUrl("x.com");
    project.AddUrl("x.com");
    project.AddKeyword("shoes");
    // Serialize in the storing direction writes the same bytes as Store.
    ProfileArchive archive;
    ASSERT_EQ(project.Serialize(archive), kArchiveOk);
    EXPECT_EQ(archive.Bytes(), Bytes({2, 0, 0, 0, 5}) + "x.com" + Bytes({5}) + "x.com" +
                                   Bytes({1, 0, 0, 0, 5}) + "shoes" + Bytes({8}) + "My Sites");

    Project loaded;
    ASSERT_EQ(Load(loaded, archive.Bytes()), kArchiveOk);
    EXPECT_EQ(Stored(loaded), archive.Bytes());
}

TEST(ProfileArchive, LengthPrefixUsesTheShortestForm) {
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {300, Bytes({0xFF, 0x2C, 0x01})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'a');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char>('a' + i % 26);
        }
        std::string stored = StoredString(text);
        EXPECT_EQ(stored, c.prefix + text) << c.length;
        std::string read;
        EXPECT_EQ(ReadOne(stored, read), kArchiveOk) << c.length;
        EXPECT_EQ(read, text) << c.length;
    }
}

TEST(ProfileArchive, ReadsEveryLengthFormIncludingUnusedLongerOnes) {
    std::string text;
    // A short text with a 16-bit, a 32-bit and a 64-bit length.
    EXPECT_EQ(ReadOne(Bytes({0xFF, 3, 0}) + "abc", text), kArchiveOk);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF, 3, 0, 0, 0}) + "abc", text), kArchiveOk);
    EXPECT_EQ(text, "abc");
    std::string longForm =
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ReadOne(longForm + "abcd", text), kArchiveOk);
    EXPECT_EQ(text, "abc");
}

TEST(ProfileArchive, WideTextIsConvertedToTheAnsiCodePage) {
    // "é€✓": é and the euro sign have Windows-1252 forms, the check mark does not.
    std::string wide = Bytes({0xFF, 0xFE, 0xFF, 3, 0xE9, 0x00, 0xAC, 0x20, 0x13, 0x27});
    std::string text;
    ASSERT_EQ(ReadOne(wide, text), kArchiveOk);
    EXPECT_EQ(text, "\xe9\x80?");

    // The wide length may itself use the longer forms; a surrogate pair is one "?".
    std::string wide16 = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 2, 0, 0x3D, 0xD8, 0x00, 0xDE});
    ASSERT_EQ(ReadOne(wide16, text), kArchiveOk);
    EXPECT_EQ(text, "?");
    std::string wide32 = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'A', 0});
    ASSERT_EQ(ReadOne(wide32, text), kArchiveOk);
    EXPECT_EQ(text, "A");

    // A project whose name and URL are stored wide.
    Project project;
    std::string profile =
        Bytes({1, 0,   0, 0, 0xFF, 0xFE, 0xFF, 5,    'a',  0,    '.', 0,   'c', 0,    'o',
               0, 'm', 0, 0, 0,    0,    0,    0xFF, 0xFE, 0xFF, 2,   'M', 0,   0x3A, 0x04});
    ASSERT_EQ(Load(project, profile), kArchiveOk);
    EXPECT_EQ(project.GetUrl(0)->GetUrl(), "a.com");
    EXPECT_EQ(project.GetUrl(0)->GetShortName(), "a");
    EXPECT_EQ(project.GetName(), "M?");  // Cyrillic has no Windows-1252 form
}

TEST(ProfileArchive, ImpossibleLengthsAndCountsAreFormatErrors) {
    std::string text;
    // 64-bit lengths of 2^31 and more; 32-bit lengths of 2^31 and more.
    EXPECT_EQ(
        ReadOne(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}), text),
        kArchiveBadFormat);
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                             0xFF, 0xFF, 0xFF}),
                      text),
              kArchiveBadFormat);
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80}), text), kArchiveBadFormat);
    // A wide marker after a wide marker.
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 1, 'a', 0}), text),
              kArchiveBadFormat);
    // The largest allowed length, with nothing behind it: the data simply ends.
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) + "abc", text),
              kArchivePastEnd);
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), text),
              kArchivePastEnd);

    // A negative URL count leaves the project as it was.
    Project project;
    project.AddUrl("keep.com");
    EXPECT_EQ(Load(project, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0})), kArchiveBadFormat);
    EXPECT_EQ(project.UrlCount(), 1);
    // A negative keyword count comes after the URLs were read and the keywords cleared.
    project.AddKeyword("old");
    EXPECT_EQ(Load(project, Bytes({1, 0, 0, 0, 5}) + "a.com" + Bytes({0, 0, 0, 0x80})),
              kArchiveBadFormat);
    EXPECT_EQ(project.GetUrl(0)->GetUrl(), "a.com");
    EXPECT_EQ(project.KeywordCount(), 0);
}

}  // namespace
}  // namespace sg
