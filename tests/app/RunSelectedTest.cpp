#include "app/RunSelected.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/RunControl.h"

namespace sg {
namespace {

using Calls = std::vector<std::string>;

// Runs the dispatch over writers that log their calls; `stopAt` names a writer that says stop.
Calls Dispatch(bool readiness, bool linkValidator, bool linkPopularity, bool nested,
               Project& project, const std::string& stopAt = "") {
    Calls calls;
    auto log = [&](std::string name) {
        calls.push_back(name);
        return name != stopAt;
    };
    AnalysisWriters writers;
    writers.linkValidator = [&](Project&, Fetcher&, bool deep) {
        return log(deep ? "links-n" : "links");
    };
    writers.readiness = [&](Project&, Fetcher&) { return log("ready"); };
    writers.nestedReadiness = [&](Project&, Fetcher&) { return log("ready-n"); };
    writers.summary = [&](Project&, SummaryKind kind) {
        log("page" + std::to_string(static_cast<int>(kind)));
    };
    RunSelected(project, readiness, linkValidator, linkPopularity, nested, writers);
    return calls;
}

Calls Dispatch(bool readiness, bool linkValidator, bool linkPopularity, bool nested) {
    Project project;
    return Dispatch(readiness, linkValidator, linkPopularity, nested, project);
}

TEST(RunSelected, OrderAndSummaryKind) {
    EXPECT_EQ(Dispatch(true, false, false, false), (Calls{"ready", "page4"}));
    EXPECT_EQ(Dispatch(true, false, false, true), (Calls{"ready-n", "page3"}));
    EXPECT_EQ(Dispatch(false, true, false, true), (Calls{"links-n", "page2"}));
    EXPECT_EQ(Dispatch(false, false, true, false), (Calls{"page1"}));
    // The Link Validator runs first; readiness decides the page whatever else ran.
    EXPECT_EQ(Dispatch(true, true, true, false), (Calls{"links", "ready", "page4"}));
    EXPECT_EQ(Dispatch(false, true, true, false), (Calls{"links", "page2"}));
    EXPECT_EQ(Dispatch(true, false, true, true), (Calls{"ready-n", "page3"}));
    // Nothing selected: kind 0, which writes no page.
    EXPECT_EQ(Dispatch(false, false, false, true), (Calls{"page0"}));

    Project project;
    Dispatch(true, true, false, true, project);
    EXPECT_EQ(project.selectedCount, 2);  // the nested option is no analysis
    EXPECT_TRUE(project.readinessSelected && project.linkValidatorSelected);
    EXPECT_TRUE(project.nestedSelected && !project.linkPopularitySelected);
}

TEST(RunSelected, StopsAfterAWriterThatSaysStopOrACancel) {
    Project project;
    EXPECT_EQ(Dispatch(true, true, false, false, project, "links"), (Calls{"links"}));
    EXPECT_EQ(Dispatch(true, true, false, false, project, "ready"), (Calls{"links", "ready"}));
    // A writer that goes on after a cancel does not lead to the next one.
    RunControl control;
    RunControl::Scope scope(control);
    control.RequestCancel();
    EXPECT_EQ(Dispatch(true, true, false, false, project), (Calls{"links"}));
}

}  // namespace
}  // namespace sg
