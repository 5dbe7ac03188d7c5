#include "net/MetasearchSetting.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

TEST(MetasearchSettingTest, AddressesAreCheckedAndKeptInOneForm) {
    struct Row {
        const char* text;
        int code;
        const char* kept;
    };
    const Row rows[] = {
        {"", kMetasearchAddressOk, ""},
        {"  \n", kMetasearchAddressOk, ""},
        {"http://127.0.0.1:8888", kMetasearchAddressOk, "http://127.0.0.1:8888"},
        {"HTTPS://search.home.arpa/searx/", kMetasearchAddressOk, "https://search.home.arpa/searx"},
        {" http://localhost:8080/ \n", kMetasearchAddressOk, "http://localhost:8080"},
        {"ftp://127.0.0.1", kMetasearchBadAddress, ""},
        {"127.0.0.1:8888", kMetasearchBadAddress, ""},
        {"http://", kMetasearchBadAddress, ""},
        {"http://:8080/", kMetasearchBadAddress, ""},
        {"http://127.0.0.1:0", kMetasearchBadAddress, ""},
        {"http://127.0.0.1:65536", kMetasearchBadAddress, ""},
        {"http://127.0.0.1:80x", kMetasearchBadAddress, ""},
        {"http://127.0.0.1/search?q=a", kMetasearchBadAddress, ""},
        {"http://127.0.0.1/a b", kMetasearchBadAddress, ""},
        {"http://user@127.0.0.1/", kMetasearchBadAddress, ""},
    };
    for (const Row& row : rows) {
        std::string kept = "stale";
        EXPECT_EQ(ParseMetasearchAddress(row.text, kept), row.code) << row.text;
        EXPECT_EQ(kept, row.kept) << row.text;
    }
}

TEST(MetasearchSettingTest, TheFileRoundTripsAndTheCommandLineWins) {
    test::TempDir dir;
    const std::string path = dir.path() + "/config/sitegauge/metasearch.txt";
    std::string address = "stale";
    EXPECT_EQ(LoadMetasearchSetting(path, address), kMetasearchNoFile);
    EXPECT_EQ(address, "");

    ASSERT_TRUE(SaveMetasearchSetting(path, "http://127.0.0.1:8888/searx"));
    EXPECT_EQ(LoadMetasearchSetting(path, address), kMetasearchAddressOk);
    EXPECT_EQ(address, "http://127.0.0.1:8888/searx");
    ApplyStoredMetasearchSetting(path);
    EXPECT_EQ(MetasearchInstance(), "http://127.0.0.1:8888/searx");

    ASSERT_TRUE(WriteWholeFile(path, "gopher://127.0.0.1\n"));
    EXPECT_EQ(LoadMetasearchSetting(path, address), kMetasearchBadAddress);
    ApplyStoredMetasearchSetting(path);
    EXPECT_EQ(MetasearchInstance(), "");

    OverrideMetasearchInstance("http://127.0.0.1:9");
    ASSERT_TRUE(SaveMetasearchSetting(path, "http://127.0.0.1:8888"));
    ApplyStoredMetasearchSetting(path);
    EXPECT_EQ(MetasearchInstance(), "http://127.0.0.1:9");
    // The override flag lives for the process; the instance itself goes back to none.
    SetMetasearchInstance("");
}

}  // namespace
}  // namespace sg
