#pragma once
// The two file dialogs of profile files, shared by the Project dialog and the exit question.

#include "ui/UserPrompts.h"

namespace sg {

// Saving: "App Profiles *.swp" in profilesDir, `proposedName` in the name field, overwrite
// confirmation.
FileChoice ProfileSaveChoice(const QString& proposedName);
// Opening: "App Profiles (*.swp)" in profilesDir.
FileChoice ProfileOpenChoice();

}  // namespace sg
