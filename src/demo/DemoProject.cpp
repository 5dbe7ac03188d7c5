#include "demo/DemoProject.h"

#include "demo/DemoEngines.h"
#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "model/Project.h"

namespace sg {

void FillDemoProject(Project& project, const DemoSession& session) {
    project.SetName(kDemoProjectName);
    project.ClearUrls();
    for (int site = 0; site < kDemoSiteCount; ++site) {
        project.AddUrl(session.SiteUrl(site));
    }
    project.ClearKeywords();
    for (std::string_view keyword : kDemoKeywords) {
        project.AddKeyword(keyword);
    }
}

std::string DemoProfilePath() {
    return App().paths.profilesDir + "/" + kDemoProjectName + ".swp";
}

int OpenDemoProject(Project& project, DemoSession& session) {
    const int started = session.Start();
    if (started != kDemoStarted) {
        return started;
    }
    FillDemoProject(project, session);
    return SaveProfile(project, DemoProfilePath()) == kProfileOk ? kDemoStarted
                                                                 : kDemoProfileNotSaved;
}

}  // namespace sg
