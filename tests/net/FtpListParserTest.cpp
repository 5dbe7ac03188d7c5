#include <gtest/gtest.h>

#include <string>

#include "net/FtpListParser.h"
#include "net/FtpTransferType.h"

namespace sg {
namespace {

TEST(FtpListParser, UnixLineWithTimeIsFromTheCurrentYear) {
    FtpDirEntry entry;
    ParseUnixListLine("drwxr-xr-x   2 owner  group      4096 Mar  3 10:07 folder", 2031, entry);
    EXPECT_STREQ(entry.name, "folder");
    EXPECT_EQ(entry.isFolder, 1);
    EXPECT_EQ(entry.size, 4096);
    EXPECT_EQ(entry.month, 3);
    EXPECT_EQ(entry.day, 3);
    EXPECT_EQ(entry.year, 2031);
    EXPECT_EQ(entry.hour, 10);
    EXPECT_EQ(entry.minute, 7);
}

TEST(FtpListParser, UnixLineWithYearKeepsFirstWordOfName) {
    FtpDirEntry entry;
    ParseUnixListLine("-rw-r--r-- 1 o g 3000000000 dEC 25  2019 my file.txt", 2031, entry);
    EXPECT_STREQ(entry.name, "my");
    EXPECT_EQ(entry.isFolder, 0);
    EXPECT_EQ(entry.size, 3000000000L);
    EXPECT_EQ(entry.month, 12);
    EXPECT_EQ(entry.day, 25);
    EXPECT_EQ(entry.year, 2019);
    EXPECT_EQ(entry.hour, 0);
    EXPECT_EQ(entry.minute, 0);

    const char* months[] = {"jan", "FEB", "Mar", "apr", "May", "jun",
                            "Jul", "aug", "Sep", "oct", "Nov", "DEC"};
    for (int i = 0; i < 12; ++i) {
        ParseUnixListLine(std::string("-r 1 o g 1 ") + months[i] + " 9 2001 f", 2031, entry);
        EXPECT_EQ(entry.month, i + 1) << months[i];
    }
    ParseUnixListLine("Drw 1 o g x Sept 9 2001 f", 2031, entry);
    EXPECT_EQ(entry.month, 1);  // no match
    EXPECT_EQ(entry.size, 0);
    EXPECT_EQ(entry.isFolder, 1);
}

TEST(FtpListParser, ShortOrEmptyLinesKeepDefaults) {
    FtpDirEntry entry;
    ParseUnixListLine("", 2031, entry);
    EXPECT_STREQ(entry.name, "");
    EXPECT_EQ(entry.day, 1);
    EXPECT_EQ(entry.month, 1);
    ParseUnixListLine("-rw 1 o", 2031, entry);
    EXPECT_EQ(entry.size, 0);
    EXPECT_EQ(entry.day, 1);
    ParseDosListLine("7", entry);
    EXPECT_STREQ(entry.name, "");
    EXPECT_EQ(entry.month, 7);
    EXPECT_EQ(entry.day, 1);
}

TEST(FtpListParser, DosLines) {
    FtpDirEntry entry;
    ParseDosListLine("03-15-04  09:30PM       <DIR>          folder", entry);
    EXPECT_STREQ(entry.name, "folder");
    EXPECT_EQ(entry.isFolder, 1);
    EXPECT_EQ(entry.size, 0);
    EXPECT_EQ(entry.year, 2004);
    EXPECT_EQ(entry.month, 3);
    EXPECT_EQ(entry.day, 15);
    EXPECT_EQ(entry.hour, 9);
    EXPECT_EQ(entry.minute, 30);

    ParseDosListLine("11-02-70  12:05AM              1234 readme.txt", entry);
    EXPECT_STREQ(entry.name, "readme.txt");
    EXPECT_EQ(entry.isFolder, 0);
    EXPECT_EQ(entry.size, 1234);
    EXPECT_EQ(entry.year, 1970);
    EXPECT_EQ(entry.month, 11);
    EXPECT_EQ(entry.day, 2);
    EXPECT_EQ(entry.hour, 12);
    EXPECT_EQ(entry.minute, 5);

    ParseDosListLine("01-01-69 00:00 <dir> x", entry);
    EXPECT_EQ(entry.year, 2069);
    EXPECT_EQ(entry.isFolder, 1);
}

TEST(FtpTransferType, UploadAndDownloadLists) {
    EXPECT_EQ(UploadTransferType("style.css"), kFtpTypeText);  // ".c" is a plain substring
    EXPECT_EQ(UploadTransferType("index.HTML"), kFtpTypeText);
    EXPECT_EQ(UploadTransferType("site.pwd"), kFtpTypeText);
    EXPECT_EQ(UploadTransferType("logo.gif"), kFtpTypeImage);
    EXPECT_EQ(UploadTransferType("notes.Txt"), kFtpTypeImage);  // case-sensitive
    EXPECT_EQ(DownloadTransferType("form.cgi"), kFtpTypeImage);
    EXPECT_EQ(DownloadTransferType("page.htm"), kFtpTypeText);
    EXPECT_EQ(DownloadTransferType("a.TXT.bak"), kFtpTypeText);
}

}  // namespace
}  // namespace sg
