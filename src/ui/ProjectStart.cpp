#include "ui/ProjectStart.h"

#include <filesystem>
#include <string>

#include "demo/DemoProject.h"
#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "model/LastProfile.h"
#include "model/ProfileFile.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"
#include "ui/WaitCursor.h"

namespace sg {

int LoadDemoProject() {
    int result;
    {
        WaitCursor wait;
        // The process-wide session: its sites stay up until the program ends, so every report
        // can be made again from this project.
        result = OpenDemoProject(App().project, SharedDemoSession());
    }
    if (result == kDemoStarted || result == kDemoProfileNotSaved) {
        App().projectModified = false;
    }
    if (result == kDemoStarted) {
        RememberLastProfile(App().paths.lastProfileFile, DemoProfilePath());
    }
    return result;
}

int LoadDemoProjectOrWarn(UserPrompts& prompts, QWidget* parent) {
    const int result = LoadDemoProject();
    if (result == kDemoNoPort || result == kDemoNoCertificate) {
        prompts.Inform(parent, ToQt(App().appTitle),
                       QStringLiteral("The demo sites could not be started on this computer."),
                       PromptIcon::Warning);
    }
    return result;
}

int ReopenLastProfile() {
    AppState& app = App();
    const std::string path = RememberedLastProfile(app.paths.lastProfileFile);
    if (path.empty()) {
        return kNoProfileToReopen;
    }
    int result = kProfileNotReopened;
    if (std::filesystem::path(path).filename() == std::string(kDemoProjectName) + ".swp") {
        const int demo = LoadDemoProject();
        result = demo == kDemoStarted || demo == kDemoProfileNotSaved ? kProfileReopened
                                                                      : kProfileNotReopened;
    } else if (LoadProfile(app.project, path, nullptr) == kProfileOk) {
        result = kProfileReopened;
    } else {
        // What a broken file left behind is no project the user made.
        app.project.ClearUrls();
        app.project.ClearKeywords();
        app.project.SetName("");
    }
    app.projectModified = false;
    return result;
}

}  // namespace sg
