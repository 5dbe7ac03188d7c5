// The results files written record by record: the bytes of the whole-document dump for every
// kind, the old file kept when a write fails, and memory that does not grow with the records.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "app/ResultsCsv.h"
#include "app/ResultsJson.h"
#include "app/ResultsWholeDocument.h"
#include "cli/ResultsOutput.h"
#include "platform/FileSystem.h"
#include "support/FullDisk.h"
#include "support/MemoryBound.h"
#include "support/TempDir.h"

namespace sg {
namespace {

// Text with what the writers treat apart: quotes and a backslash, C0, DEL and C1 controls, bytes
// that are not UTF-8, a comma, a formula start and a line break.
const std::string kOdd = "=a,\"q\"\\ \x1b[1m\x7f \xC2\x9B \xFF\xFE\xC3 \r\n\tend \xE2\x82\xAC";

RunResults Varied() {
    RunResults r;
    PageReadiness sub{"http://a.test/s" + kOdd, false, {}, {}, {}, 0, 0, {}, {}};
    PageReadiness home{"http://a.test/",
                       true,
                       {kOdd, 12, 80, true, true},
                       {"", 0, 200, false, false},
                       {"k", 1, 1000, true, true},
                       3,
                       1,
                       {{"shoes", 12.5}, {kOdd, 0.1}, {"x", 1.0 / 3}},
                       {sub, sub}};
    r.readiness = {home, PageReadiness{"http://b.test/", true, {}, {}, {}, 0, 0, {}, {}}};
    SiteLinks& a = r.links.emplace_back(SiteLinks{"http://a.test/", {}, 7, true, 3});
    a.records.Add("http://a.test/", "http://a.test/" + kOdd, LinkStatus::Broken, 404);
    a.records.Add("http://a.test/x", "mailto:q", LinkStatus::Broken, 0, LinkKind::Resource,
                  BrokenBecause::NotOnTheWeb);
    r.links.push_back({"http://empty.test/", {}, 0, false, 0});
    r.popularity = {{"http://a.test/",
                     {{"alpha", 5}, {kOdd, -1}, {"alpha", 9}},
                     SiteAuthority{"a.test", 17, std::nullopt, 4.25, std::nullopt, kOdd}},
                    {"http://b.test/", {}, std::nullopt}};
    r.depth = 50;
    r.positions = {{"shoes", "http://a.test/", "alpha", 3, ""},
                   {kOdd, "http://a.test/", "beta", std::nullopt, kOdd}};
    AuditPage page{"http://a.test/" + kOdd,
                   301,
                   false,
                   kOdd,
                   kOdd,
                   "",
                   kOdd,
                   "",
                   42,
                   kOdd,
                   true,
                   2500.5,
                   0.25,
                   -1,
                   {kOdd},
                   {kOdd}};
    AuditPage bare{"http://a.test/b",
                   0,
                   true,
                   "",
                   "",
                   "",
                   "",
                   "http://a.test/",
                   0,
                   "",
                   false,
                   -1,
                   -1,
                   -1,
                   {},
                   {}};
    r.audit = {{"http://a.test/",
                {page, bare},
                {{"title-missing", AuditSeverity::Error, std::nullopt, kOdd},
                 {"slow", AuditSeverity::Notice, "http://a.test/" + kOdd, ""}}},
               {"http://empty.test/", {}, {}}};
    r.audit[0].medianLcpMs = 2500.5;
    r.audit[0].medianCls = 0.25;
    return r;
}

constexpr ResultsKind kKinds[] = {ResultsKind::Readiness, ResultsKind::Links,
                                  ResultsKind::Popularity, ResultsKind::Positions,
                                  ResultsKind::Audit};

TEST(ResultsStream, JsonKeepsTheBytesOfTheWholeDocumentDump) {
    const RunResults varied = Varied();
    const RunResults empty;
    for (const RunResults* results : {&varied, &empty}) {
        for (ResultsKind kind : kKinds) {
            for (const std::string& project : {std::string("Shop"), kOdd}) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind)
                                                << (results == &empty ? " empty" : "")
                                                << " project " << project.size());
                EXPECT_EQ(ResultsJson(*results, kind, project),
                          test::WholeDocumentJson(*results, kind, project));
            }
        }
    }
}

TEST(ResultsStream, FilesHoldTheStreamedBytesAndAFailedWriteKeepsTheOldFile) {
    const RunResults results = Varied();
    test::TempDir dir;
    const std::string json = dir / "r.json";
    const std::string csv = dir / "r.csv";
    ASSERT_TRUE(WriteWholeFile(json, "old json"));
    ASSERT_TRUE(WriteWholeFile(csv, "old csv"));
    std::ostringstream out, err;
    CliContext context{{}, out, err};
    for (ResultsKind kind : kKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        ASSERT_TRUE(WriteResultsOutput(context, "x", {json, csv}, results, kind, "P")) << err.str();
        std::string text;
        ASSERT_TRUE(ReadWholeFile(json, text));
        EXPECT_EQ(text, test::WholeDocumentJson(results, kind, "P"));
        ASSERT_TRUE(ReadWholeFile(csv, text));
        EXPECT_EQ(text, ResultsCsv(results, kind));
    }
    // The last kind's file is there; a failed write of another must leave it.
    const std::string before = ResultsJson(results, ResultsKind::Audit, "P");
    {
        test::FullDisk disk(64);
        ASSERT_TRUE(disk.Active());
        EXPECT_FALSE(
            WriteResultsOutput(context, "x", {json, ""}, results, ResultsKind::Links, "P"));
    }
    std::string text;
    ASSERT_TRUE(ReadWholeFile(json, text));
    EXPECT_EQ(text, before);
    EXPECT_NE(err.str().find("could not write " + json), std::string::npos);
    int files = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 2) << "a part file was left behind";
}

TEST(ResultsStream, MemoryDoesNotGrowWithTheRecords) {
    RunResults results;
    results.links.push_back({"http://a.test/", {}, 20000, false, 0});
    for (int i = 0; i < 20000; ++i) {
        results.links[0].records.Add("http://a.test/page" + std::to_string(i) + ".html",
                                     "http://a.test/link" + std::to_string(i) + ".html",
                                     LinkStatus::Available, 200);
    }
    test::TempDir dir;
    std::ostringstream out, err;
    CliContext context{{}, out, err};
    const ResultsOutput output{dir / "r.json", dir / "r.csv"};
    const test::Measured m = test::Measure("links results files, 20000 records", [&] {
        EXPECT_TRUE(WriteResultsOutput(context, "x", output, results, ResultsKind::Links, "P"));
    });
    std::string text;
    ASSERT_TRUE(ReadWholeFile(output.json, text));
    ASSERT_GT(text.size(), 3u << 20);
    EXPECT_LT(m.heapMiB, 1.0);
}

}  // namespace
}  // namespace sg
