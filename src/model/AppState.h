#pragma once
// What exists once per process: the title, the paths, the project and the current run.

#include <string>

#include "model/AppPaths.h"
#include "model/LinkAuthoritySettings.h"
#include "model/ProgressSink.h"
#include "model/Project.h"
#include "model/RunResults.h"

namespace sg {

inline constexpr const char* kAppTitle = "Sitegauge Version 6.0";

struct AppState {
    std::string appTitle = kAppTitle;
    AppPaths paths;
    // Set when the user edits the project's lists or name; cleared by a save, a load and
    // "Clear All".
    bool projectModified = false;
    Project project;
    // The progress display of the run in progress; none between runs.
    ProgressSink* progressWindow = nullptr;
    // Where the run in progress puts its findings as data; none unless a front end asks.
    RunResults* results = nullptr;
    // Link Popularity's sources of today's link authority, as in force for the next run.
    LinkAuthoritySettings authority;
};

// The one instance of the process.
AppState& App();

}  // namespace sg
