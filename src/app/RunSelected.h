#pragma once

#include "app/AnalysisSelection.h"
#include "app/AnalysisWriters.h"
#include "model/Project.h"

namespace sg {

// Runs the selected analyses on the calling (worker) thread, in a fixed order: the Link
// Validator first, then readiness (nested or single), then the summary page. The summary page is
// the readiness one whenever readiness ran, else the Link Validator one, else Link Popularity's
// (whose queries run while its page is written). A writer that answers stop, or a cancelled run,
// ends the dispatch before the next writer.
void RunSelected(Project& project, bool readiness, bool linkValidator, bool linkPopularity,
                 bool nested);
void RunSelected(Project& project, bool readiness, bool linkValidator, bool linkPopularity,
                 bool nested, const AnalysisWriters& writers);
// The same with the Site Audit, which runs after the others and whose summary page is then the
// one the run opens. It shares the bar equally with the other selected analyses.
void RunSelected(Project& project, const AnalysisSelection& selection,
                 const AnalysisWriters& writers);

}  // namespace sg
