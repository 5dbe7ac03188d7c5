#pragma once
// The Link Popularity section of a kind-1 summary page is written by the search engine code,
// which registers itself here; the summary writer calls it between the banner and the footer.

#include "app/Project.h"

namespace sg {

// Appends the section to the project's pageToOpen; answers whether the run goes on.
using LinkPopularitySectionWriter = bool (*)(Project& project);

// Registers the writer (nullptr removes it). Until one is registered, a Link Popularity summary
// page has its frame and no section.
void SetLinkPopularitySection(LinkPopularitySectionWriter writer);
LinkPopularitySectionWriter GetLinkPopularitySection();

}  // namespace sg
