#pragma once

class QWidget;

namespace sg {

class UserPrompts;

// Asks whether a changed project is to be saved as a profile and answers whether the main
// window may close: at once when the project is unchanged; after No; after Yes only when the
// profile was written. Cancel, a cancelled save dialog or a failed save keep the window open.
bool ConfirmExit(UserPrompts& prompts, QWidget* parent);

}  // namespace sg
