#include "reports/ReportLine.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace sg {
namespace {

namespace fs = std::filesystem;

class ReportLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sg-reportline-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
};

TEST_F(ReportLineTest, AppendsEachLineWithALineFeed) {
    const std::string file = (dir_ / "r.html").string();
    { std::ofstream(file, std::ios::binary) << "old\n"; }
    AppendReportLine(file, "<html>");
    AppendReportLine(file, "");
    AppendReportLine(file, std::string("b\xE9\r\0c", 5));
    EXPECT_EQ(Read(file), std::string("old\n<html>\n\nb\xE9\r\0c\n", 18));
}

TEST_F(ReportLineTest, CreatesTheFileAndLosesLinesItCannotWrite) {
    const fs::path file = dir_ / "new.html";
    AppendReportLine(file.string(), "x");
    EXPECT_EQ(Read(file), "x\n");
    const fs::path missing = dir_ / "no-such-folder" / "r.html";
    AppendReportLine(missing.string(), "lost");
    EXPECT_FALSE(fs::exists(missing.parent_path()));
}

}  // namespace
}  // namespace sg
