#pragma once
// The Link Popularity report: the "link:" counts of every site of the project, written as a
// section of the run's summary page.

#include "model/Project.h"

namespace sg {

// Queries the counts of every site in project order (the progress caption and share per site),
// then appends the heading and one table per five sites, each followed by the note, to the
// project's pageToOpen. A run cancelled during the queries writes nothing and returns false;
// otherwise true.
bool LinkPopularitySection(Project& project);

}  // namespace sg
