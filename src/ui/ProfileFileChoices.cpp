#include "ui/ProfileFileChoices.h"

#include "model/AppState.h"
#include "ui/UiText.h"

namespace sg {

FileChoice ProfileSaveChoice(const QString& proposedName) {
    FileChoice choice;
    choice.filter = QStringLiteral("App Profiles *.swp");
    choice.initialFolder = PathToQt(App().paths.profilesDir);
    choice.proposedName = proposedName;
    // Without it a project named "My Sites" would be saved as a file the open dialog's
    // "*.swp" filter never shows.
    choice.defaultSuffix = QStringLiteral("swp");
    choice.confirmOverwrite = true;
    return choice;
}

FileChoice ProfileOpenChoice() {
    FileChoice choice;
    choice.filter = QStringLiteral("App Profiles (*.swp)");
    choice.initialFolder = PathToQt(App().paths.profilesDir);
    return choice;
}

}  // namespace sg
