#pragma once
// Opening a report or a help page in the user's browser. When no program could start to show
// it (no xdg-open, no $BROWSER), or the one that started ended with an error at once (a browser
// that refuses to run as root), the user is told where the file is and may copy its path,
// instead of a click that seems to do nothing.

#include <string>

class QWidget;

namespace sg {

class UserPrompts;

enum class ShownDocument {
    Report,
    // The report of an analysis that has just finished: the message says so first.
    FinishedRunReport,
    // A tutorial or help page.
    Page,
};

// The message with the file's path and a "Copy path" button, which puts the path on the
// clipboard. `launchResult`: DocumentLaunch::kNoViewer or kViewerFailed, which say why.
void ShowReportLocation(UserPrompts& prompts, QWidget* parent, const std::string& path,
                        ShownDocument what, int launchResult);

// LaunchDocument on `path`, returning at once; ShowReportLocation when it settles as not shown,
// which a timer owned by `parent` waits for on the window thread (at most the launch's grace
// period; nothing is shown once `parent` is gone).
void OpenReport(UserPrompts& prompts, QWidget* parent, const std::string& path,
                ShownDocument what = ShownDocument::Report);

}  // namespace sg
