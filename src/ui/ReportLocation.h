#pragma once
// Opening a report in the user's browser. When no program can start to show it (no xdg-open,
// no $BROWSER), the user is told where the report is and may copy its path, instead of a click
// that seems to do nothing.

#include <string>

class QWidget;

namespace sg {

class UserPrompts;

// The message with the report's path and a "Copy path" button, which puts the path on the
// clipboard. `runFinished`: the message also says that the analysis itself has finished.
void ShowReportLocation(UserPrompts& prompts, QWidget* parent, const std::string& path,
                        bool runFinished);

// OpenDocument on `path`; ShowReportLocation when no program could start.
void OpenReport(UserPrompts& prompts, QWidget* parent, const std::string& path);

}  // namespace sg
