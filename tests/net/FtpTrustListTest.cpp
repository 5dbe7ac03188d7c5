// The two FTP files beside the proxy settings: remembered certificate fingerprints and the
// connection setting.

#include "net/FtpTrustList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "net/FtpConnectionSetting.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace sg {
namespace {

const std::string kColons =
    "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:"
    "EE:FF";

TEST(FtpTrustList, FingerprintForms) {
    const struct {
        std::string typed;
        std::string normalized;
    } rows[] = {
        {kColons, kColons},
        {"00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF", kColons},
        {"00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEF", ""},
        {"00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF00", ""},
        {"0:0112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF", ""},
        {kColons + ":", ""},
        {"SHA256:" + kColons, ""},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NormalizeFingerprint(row.typed), row.normalized) << row.typed;
    }
}

TEST(FtpTrustList, RememberedServersSurviveASaveAndStayPrivate) {
    test::TempDir dir;
    const std::string path = dir / "config/sitegauge/ftp-trust.txt";
    FtpTrustList list;
    EXPECT_TRUE(list.Load(path));
    EXPECT_EQ(list.Remembered("ftp.example:21"), "");
    EXPECT_FALSE(list.Remember("ftp.example:21", "not a fingerprint"));
    EXPECT_FALSE(list.Remember("two words:21", kColons));
    ASSERT_TRUE(list.Remember("ftp.example:21", kColons));
    ASSERT_TRUE(list.Remember("127.0.0.1:2121", std::string(64, 'a')));
    ASSERT_TRUE(list.Save(path));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A changed certificate replaces the old one; lines that are no pair are skipped.
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    ASSERT_TRUE(WriteWholeFile(path, text + "garbage\nonly-a-name \n"));
    FtpTrustList again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.Remembered("ftp.example:21"), kColons);
    EXPECT_EQ(again.Remembered("127.0.0.1:2121").substr(0, 5), "AA:AA");
    EXPECT_EQ(again.Remembered("garbage"), "");
    ASSERT_TRUE(again.Remember("ftp.example:21", std::string(64, 'b')));
    EXPECT_EQ(again.Remembered("ftp.example:21").substr(0, 5), "BB:BB");
}

TEST(FtpConnectionSetting, FileRoundTripAndDefaults) {
    test::TempDir dir;
    const std::string path = dir / "config/sitegauge/ftp.txt";
    FtpConnectionSetting setting = LoadFtpConnectionSetting(path);
    EXPECT_TRUE(setting.passive);
    EXPECT_EQ(setting.encryption, FtpEncryption::kIfOffered);
    for (const FtpEncryption encryption :
         {FtpEncryption::kRequired, FtpEncryption::kOff, FtpEncryption::kIfOffered}) {
        ASSERT_TRUE(SaveFtpConnectionSetting(path, {false, encryption}));
        setting = LoadFtpConnectionSetting(path);
        EXPECT_FALSE(setting.passive);
        EXPECT_EQ(setting.encryption, encryption);
    }
    ASSERT_TRUE(WriteWholeFile(path, "passive=maybe\nencryption=strong\n"));
    setting = LoadFtpConnectionSetting(path);
    EXPECT_TRUE(setting.passive);
    EXPECT_EQ(setting.encryption, FtpEncryption::kIfOffered);
}

}  // namespace
}  // namespace sg
