#include "app/ProgressModel.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(ProgressModel, LabelRuleAndRewritesOnlyOnChange) {
    ProgressModel model;
    EXPECT_EQ(model.Label(), " 0 %");
    EXPECT_EQ(model.Caption(), "Processing...Please take a break and come back");
    EXPECT_TRUE(model.SetPos(0));  // " 0 %" becomes "0%"
    EXPECT_FALSE(model.SetPos(0));
    EXPECT_TRUE(model.SetPos(45));
    EXPECT_EQ(model.Label(), "45%");
    EXPECT_FALSE(model.SetPos(45));
    EXPECT_TRUE(model.SetPos(100));
    EXPECT_EQ(model.Label(), "100%");
    // Past the range the bar stays full and the label is taken modulo 100.
    EXPECT_TRUE(model.SetPos(133));
    EXPECT_EQ(model.Label(), "33%");
    EXPECT_EQ(model.Pos(), 100);
    EXPECT_EQ(ProgressModel::PercentLabel(200), "0%");
}

TEST(ProgressModel, StepAndOffsetGoThroughTheSameLabelRule) {
    ProgressModel model;
    EXPECT_TRUE(model.StepIt());
    EXPECT_EQ(model.Label(), "5%");
    EXPECT_TRUE(model.OffsetPos(90));
    EXPECT_EQ(model.Label(), "95%");
    model.StepIt();
    EXPECT_EQ(model.Label(), "100%");
    // One more step starts the bar over.
    model.StepIt();
    EXPECT_EQ(model.Pos(), 5);
    EXPECT_EQ(model.Label(), "5%");
}

// Within a site's share the bar follows the pages visited of those known, or is busy at the
// share's start while no fraction is known; the designed positions stay what Pos answers.
TEST(ProgressModel, WithinASiteTheBarFollowsThePagesAndIsBusyWithoutThem) {
    ProgressModel model;
    model.SetPos(0);
    EXPECT_FALSE(model.Busy());
    EXPECT_EQ(model.ShownPos(), 0);
    // One site's Link Validator run: the designed step takes the whole bar when it begins.
    model.SetPos(100);
    EXPECT_EQ(model.Pos(), 100);
    EXPECT_EQ(model.Label(), "100%");
    EXPECT_TRUE(model.Busy());
    EXPECT_EQ(model.ShownPos(), 0);
    EXPECT_EQ(model.ShownLabel(), "0%");
    struct Step {
        int visited;
        int known;
        int shown;
    };
    for (const Step& step :
         {Step{1, 8, 12}, Step{15, 40, 37}, Step{45, 90, 50}, Step{90, 90, 100}, Step{5, 3, 100}}) {
        model.SetSiteWork(step.visited, step.known);
        EXPECT_FALSE(model.Busy());
        EXPECT_EQ(model.ShownPos(), step.shown) << step.visited << "/" << step.known;
    }
    // Three sites: each share starts where the last one ended, without a fraction at first.
    ProgressModel three;
    three.SetPos(0);
    three.SetPos(33);
    three.SetSiteWork(1, 2);
    EXPECT_EQ(three.ShownPos(), 16);
    three.SetPos(66);
    EXPECT_EQ(three.Pos(), 66);
    EXPECT_TRUE(three.Busy());
    EXPECT_EQ(three.ShownLabel(), "33%");
    // The run's end fills the bar; a step that moves nothing is no share.
    three.Complete();
    EXPECT_FALSE(three.Busy());
    EXPECT_EQ(three.ShownPos(), 100);
    EXPECT_EQ(three.ShownLabel(), "100%");
}

}  // namespace
}  // namespace sg
