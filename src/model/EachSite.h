#pragma once
// The loop every site analysis makes over the project's sites, with its share of the bar.

#include <functional>
#include <string_view>

namespace sg {

class Project;
class UrlEntry;

// For each URL entry of the project, in order: stops with false when the run is cancelled;
// otherwise sets the progress caption to `caption` followed by the site's address, advances the
// bar by the site's share of the run's analyses (project.selectedCount of them; the whole bar
// outside a run) and calls `visit`, which answers whether to go on. True when every site was
// visited and the run was not cancelled.
bool ForEachSite(Project& project, std::string_view caption,
                 const std::function<bool(UrlEntry&)>& visit);

}  // namespace sg
