#include "model/ReportStamp.h"

#include <gtest/gtest.h>

#include <ctime>

#include "model/Project.h"
#include "support/TempDir.h"

namespace sg {
namespace {

TEST(ReportStamp, FormatsMonthDayYearAndTime) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 3;
    when.tm_min = 55;
    when.tm_sec = 10;
    EXPECT_EQ(ReportStamp(when), "_12_07_2026[03-55-10]");
}

TEST(ReportStamp, UsesLocalTime) {
    // 2026-12-07 03:55:10 UTC; in UTC+5 the same moment is 08:55:10.
    const std::time_t moment = 1796615710;
    {
        test::ScopedEnv zone("TZ", "UTC0");
        ::tzset();
        EXPECT_EQ(ReportStamp(moment), "_12_07_2026[03-55-10]");
    }
    {
        test::ScopedEnv zone("TZ", "XXX-5");
        ::tzset();
        EXPECT_EQ(ReportStamp(moment), "_12_07_2026[08-55-10]");
    }
    ::tzset();
}

TEST(ReportStamp, RunNameIsBasePlusStamp) {
    {
        test::ScopedEnv zone("TZ", "UTC0");
        ::tzset();
        Project project;
        EXPECT_EQ(project.GetReportName(), "");
        project.PrepareRunNames("My Sites", 1796615710);
        EXPECT_EQ(project.GetReportName(), "My Sites_12_07_2026[03-55-10]");
        // Every run folder and file is named by it: one name, inside its folder.
        project.PrepareRunNames("a/../../x", 1796615710);
        EXPECT_EQ(project.GetReportName(), "a_.._.._x_12_07_2026[03-55-10]");
    }
    ::tzset();
}

}  // namespace
}  // namespace sg
