// The Common Crawl domain ranks file and its index: the published format read gzip-compressed,
// sites looked up by their registrable domain, and the index rebuilt only when the file changes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <string>

#include "engines/CcRanksIndex.h"
#include "engines/RegistrableDomain.h"
#include "support/TempDir.h"

namespace sg {
namespace {

void WriteGz(const std::string& path, const std::string& text) {
    gzFile file = gzopen(path.c_str(), "wb6");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(gzwrite(file, text.data(), static_cast<unsigned>(text.size())),
              static_cast<int>(text.size()));
    ASSERT_EQ(gzclose(file), Z_OK);
}

const std::string kHeader =
    "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n";

// As published: the header, then tab-separated lines sorted by rank; here with a comment, two
// malformed lines and a last line without its line feed.
const std::string kRanks = kHeader +
                           "1\t3.2294018E7\t3\t0.0051727\tcom.facebook\t14452\n"
                           "# a comment line\n"
                           "2\t3.1E7\tfour\t0.004\tcom.broken\t3\n"
                           "3\t3.0E7\t5\n"
                           "17\t2.9E7\t2\t0.006\tcom.example\t12\n"
                           "4200\t1.1E7\t9876\t1.2E-7\tuk.co.example-shop\t2\n"
                           "99999\t1.0E7\t123456\t1.0E-8\tde.last";

struct Case {
    const char* site;
    const char* domain;
    std::uint32_t harmonic;
    std::uint32_t pageRank;
};

TEST(CcRanksIndex, SitesFoundByRegistrableDomainInThePublishedFormat) {
    test::TempDir dir;
    const std::string ranks = dir / "ranks.txt.gz";
    WriteGz(ranks, kRanks);
    const std::string indexPath = CcRanksIndex::IndexPathFor(dir.path(), ranks);
    CcRanksIndex index;
    bool scanned = false;
    ASSERT_EQ(index.Open(ranks, indexPath, &scanned), CcRanksIndex::kOk);
    EXPECT_TRUE(scanned);
    EXPECT_EQ(index.Domains(), 4u);
    EXPECT_EQ(index.Malformed(), 2u);

    const PublicSuffixes suffixes;
    const Case cases[] = {
        {"www.example.com/", "example.com", 17, 2},
        {"http://WWW.Example.COM:8080/a?b", "example.com", 17, 2},
        {"shop.example-shop.co.uk/x", "example-shop.co.uk", 4200, 9876},
        {"https://last.de", "last.de", 99999, 123456},
        {"facebook.com", "facebook.com", 1, 3},
        // The malformed lines rank nothing; a domain the file lacks is not ranked.
        {"broken.com", "broken.com", 0, 0},
        {"www.missing.org/", "missing.org", 0, 0},
        {"co.uk", "co.uk", 0, 0},
        {"127.0.0.1:8080/", "127.0.0.1", 0, 0},
    };
    for (const Case& c : cases) {
        const std::string domain = suffixes.RegistrableDomain(c.site);
        EXPECT_EQ(domain, c.domain) << c.site;
        const CcRank rank = index.Find(ReversedDomain(domain));
        EXPECT_EQ(rank.harmonicPos, c.harmonic) << c.site;
        EXPECT_EQ(rank.pageRankPos, c.pageRank) << c.site;
        EXPECT_EQ(rank.Ranked(), c.harmonic != 0) << c.site;
    }
}

TEST(CcRanksIndex, ALaterOpenReadsTheIndexUntilTheFileChanges) {
    test::TempDir dir;
    const std::string ranks = dir / "ranks.txt.gz";
    WriteGz(ranks, kRanks);
    const std::string indexPath = CcRanksIndex::IndexPathFor(dir.path(), ranks);
    bool scanned = false;
    {
        CcRanksIndex index;
        ASSERT_EQ(index.Open(ranks, indexPath, &scanned), CcRanksIndex::kOk);
        EXPECT_TRUE(scanned);
    }
    CcRanksIndex again;
    ASSERT_EQ(again.Open(ranks, indexPath, &scanned), CcRanksIndex::kOk);
    EXPECT_FALSE(scanned);
    EXPECT_EQ(again.Find("com.example").harmonicPos, 17u);

    // A new file of the same name: other ranks, another size and time.
    WriteGz(ranks, kHeader + "5\t1.0\t6\t1.0\tcom.example\t1\n");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, ranks.c_str(), times, 0), 0);
    ASSERT_EQ(again.Open(ranks, indexPath, &scanned), CcRanksIndex::kOk);
    EXPECT_TRUE(scanned);
    EXPECT_EQ(again.Find("com.example").harmonicPos, 5u);
    EXPECT_FALSE(again.Find("uk.co.example-shop").Ranked());
}

TEST(CcRanksIndex, FilesThatAreNoRanksFileLeaveNoIndex) {
    test::TempDir dir;
    const std::string noHeader = dir / "no-header.txt.gz";
    WriteGz(noHeader, "1\t3.2E7\t3\t0.005\tcom.facebook\t14452\n");
    const std::string plain = dir / "plain.txt";
    {
        // Plain text is read as it is (gzip's reader passes it through): with its header it
        // is a ranks file like the compressed one.
        std::FILE* file = std::fopen(plain.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("not a ranks file\n", file);
        std::fclose(file);
    }
    const struct {
        std::string ranks;
        int result;
    } cases[] = {
        {noHeader, CcRanksIndex::kNotRanksFile},
        {plain, CcRanksIndex::kNotRanksFile},
        {dir / "missing.txt.gz", CcRanksIndex::kNoRanksFile},
    };
    for (const auto& c : cases) {
        const std::string indexPath = CcRanksIndex::IndexPathFor(dir.path(), c.ranks);
        CcRanksIndex index;
        EXPECT_EQ(index.Open(c.ranks, indexPath, nullptr), c.result) << c.ranks;
        EXPECT_FALSE(index.Find("com.facebook").Ranked());
        struct stat st {};
        EXPECT_NE(::stat(indexPath.c_str(), &st), 0) << c.ranks;
    }
    // Nor any part of one: the two files made above are all the folder holds.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

}  // namespace
}  // namespace sg
