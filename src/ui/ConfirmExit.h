#pragma once

class QWidget;

namespace sg {

class UserPrompts;

// Asks whether a changed project is to be saved as a profile before it goes (the main window
// closes, or Clear All, Open or the demo replace it), and answers whether it may go: at once
// when the project is unchanged; after No; after Yes only when the profile was written (the
// project then counts as unchanged, and the profile is the one reopened at the next start).
// Cancel, a cancelled save dialog or a failed save keep it.
bool ConfirmReplaceProject(UserPrompts& prompts, QWidget* parent);

// ConfirmReplaceProject, for the main window: whether it may close.
bool ConfirmExit(UserPrompts& prompts, QWidget* parent);

}  // namespace sg
