#include "app/ProgressModel.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(ProgressModel, StartsAtLowerWithTheDesignedTexts) {
    ProgressModel model;
    EXPECT_EQ(model.Pos(), 0);
    EXPECT_EQ(model.Label(), " 0 %");
    EXPECT_EQ(model.Caption(), "Processing...Please take a break and come back");
}

TEST(ProgressModel, LabelIsPercentModuloHundredExceptExactlyHundred) {
    EXPECT_EQ(ProgressModel::PercentLabel(45), "45%");
    EXPECT_EQ(ProgressModel::PercentLabel(100), "100%");
    EXPECT_EQ(ProgressModel::PercentLabel(133), "33%");
    EXPECT_EQ(ProgressModel::PercentLabel(200), "0%");
    EXPECT_EQ(ProgressModel::PercentLabel(0), "0%");
}

TEST(ProgressModel, LabelIsRewrittenOnlyWhenItsTextChanges) {
    ProgressModel model;
    EXPECT_TRUE(model.SetPos(0));  // " 0 %" becomes "0%"
    EXPECT_FALSE(model.SetPos(0));
    EXPECT_TRUE(model.SetPos(33));
    EXPECT_FALSE(model.SetPos(33));
    EXPECT_TRUE(model.SetPos(100));
    EXPECT_EQ(model.Label(), "100%");
    // 133 is past the range: the bar stays full, the label reads 33%.
    EXPECT_TRUE(model.SetPos(133));
    EXPECT_EQ(model.Label(), "33%");
    EXPECT_EQ(model.Pos(), 100);
}

TEST(ProgressModel, StepAndOffsetGoThroughTheSameLabelRule) {
    ProgressModel model;
    EXPECT_TRUE(model.StepIt());
    EXPECT_EQ(model.Pos(), 5);
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
