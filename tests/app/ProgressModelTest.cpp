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

}  // namespace
}  // namespace sg
