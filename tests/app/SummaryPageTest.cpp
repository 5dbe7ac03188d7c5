#include "app/SummaryPage.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "app/StartUp.h"
#include "model/AppState.h"
#include "platform/FileSystem.h"
#include "reports/ReportLine.h"
#include "support/TempDir.h"

namespace sg {
namespace {

// 2026-12-07 03:55:10 UTC.
constexpr std::time_t kWhen = 1796615710;

class SummaryPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        zone_.emplace("TZ", "UTC0");
        ::tzset();
        StartUp(dir_.path());
        project_.SetName("My Sites");
        project_.AddUrl("www.alpha.com/");
        project_.AddUrl("beta.org/shop/index.html");
        project_.PrepareRunNames("My Sites", kWhen);
    }
    void TearDown() override {
        zone_.reset();
        ::tzset();
    }

    std::string Write(SummaryKind kind) {
        const std::string folder = kind == SummaryKind::BrokenLinks ? App().paths.linkValidatorDir
                                                                    : App().paths.readinessDir;
        // The analysis that runs before the summary creates the run folder.
        CreateFolder(folder + "/" + project_.GetReportName());
        WriteSummaryPage(project_, kind, kWhen);
        std::string page;
        ReadWholeFile(project_.GetPageToOpen(), page);
        return page;
    }

    static std::string Expected(const std::string& name) {
        std::string text;
        EXPECT_TRUE(
            ReadWholeFile(std::string(SITEGAUGE_TEST_DATA_DIR) + "/app/expected/" + name, text))
            << name;
        return text;
    }

    test::TempDir dir_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").c_str()};
    std::optional<test::ScopedEnv> zone_;
    Project project_;
};

TEST_F(SummaryPageTest, BrokenLinksPageMatchesByteForByte) {
    EXPECT_EQ(Write(SummaryKind::BrokenLinks), Expected("summary-kind2.html"));
    EXPECT_EQ(project_.GetPageToOpen(), App().paths.linkValidatorDir +
                                            "/My Sites_12_07_2026[03-55-10]/My "
                                            "Sites_12_07_2026[03-55-10].html");
}

TEST_F(SummaryPageTest, ReadinessPagesEndWithTheCentredKeywordTable) {
    project_.GetUrl(0)->AddWord("seo", 2.5);
    project_.GetUrl(1)->AddWord("SEO", 1.0);
    project_.GetUrl(1)->AddWord("tools", 0.95);
    project_.RebuildKeywordScores();
    EXPECT_EQ(Write(SummaryKind::Readiness), Expected("summary-kind4.html"));
    std::remove(project_.GetPageToOpen().c_str());
    EXPECT_EQ(Write(SummaryKind::NestedReadiness), Expected("summary-kind3.html"));
    EXPECT_EQ(project_.GetPageToOpen(), App().paths.readinessDir +
                                            "/My Sites_12_07_2026[03-55-10]/My "
                                            "Sites_12_07_2026[03-55-10].html");
}

TEST_F(SummaryPageTest, ProjectTextCannotAddMarkup) {
    project_.ClearUrls();
    project_.AddUrl("x.com/a' onmouseover='alert(1)");
    project_.AddUrl("y.com/<script>alert(2)</script>");
    project_.SetName("n");
    project_.PrepareRunNames("<b>\"n\"", kWhen);
    const std::string page = Write(SummaryKind::BrokenLinks);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_EQ(page.find("<b>\""), std::string::npos);
    EXPECT_EQ(page.find("' onmouseover"), std::string::npos);
    EXPECT_NE(page.find("<a href = 'http://x.com/a%27%20onmouseover=%27alert(1)'>x.com/a&#39; "
                        "onmouseover=&#39;alert(1)</a>"),
              std::string::npos);
    EXPECT_NE(page.find("<title>Sitegauge Version 6.0 : &lt;b&gt;&quot;n&quot;_12_07_2026"),
              std::string::npos);
}

TEST_F(SummaryPageTest, NoKindWritesNothing) {
    project_.SetPageToOpen("before.html");
    WriteSummaryPage(project_, SummaryKind::None, kWhen);
    EXPECT_EQ(project_.GetPageToOpen(), "before.html");
}

}  // namespace
}  // namespace sg
