#include "analysis/crawl/CrawlManners.h"

#include "model/Project.h"

namespace sg {

CrawlManners MannersFor(const Project& project, const UrlEntry& site) {
    CrawlManners manners;
    manners.obeysRobots =
        !(project.ignoreOwnRobots && project.UrlCount() > 0 && project.GetUrl(0) == &site);
    manners.requestsPerSecond = project.requestsPerSecond;
    return manners;
}

}  // namespace sg
