#include "ui/ConfirmExit.h"

#include "model/AppState.h"
#include "model/LastProfile.h"
#include "model/ProfileFile.h"
#include "ui/ProfileFileChoices.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"
#include "ui/WaitCursor.h"

namespace sg {

bool ConfirmReplaceProject(UserPrompts& prompts, QWidget* parent) {
    AppState& app = App();
    if (!app.projectModified) {
        return true;
    }
    const PromptAnswer answer = prompts.Ask(
        parent, ToQt(app.appTitle), QStringLiteral("Do you want to save your projects setings ?"),
        PromptButtons::YesNoCancel, PromptIcon::Question);
    if (answer == PromptAnswer::No) {
        return true;
    }
    if (answer != PromptAnswer::Yes) {
        return false;
    }
    const QString path =
        prompts.ChooseFileToSave(parent, ProfileSaveChoice(ToQt(app.project.GetName())));
    if (path.isEmpty()) {
        return false;
    }
    WaitCursor wait;
    if (SaveProfile(app.project, PathFromQt(path)) != kProfileOk) {
        return false;
    }
    app.projectModified = false;
    RememberLastProfile(app.paths.lastProfileFile, PathFromQt(path));
    return true;
}

bool ConfirmExit(UserPrompts& prompts, QWidget* parent) {
    return ConfirmReplaceProject(prompts, parent);
}

}  // namespace sg
