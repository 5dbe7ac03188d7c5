#pragma once
// What an analysis run needs from the person in front of it. The GUI implements it with its
// dialogs and message boxes, the CLI with the terminal, tests with scripted answers.

#include <string>

namespace sg {

enum class MessageIcon { None, Error };

class AnalysisFrontEnd {
  public:
    virtual ~AnalysisFrontEnd() = default;

    // A message box with one OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // The project cannot be analysed yet: open the Project dialog modally.
    virtual void OpenProjectDialog() = 0;
    // Asks `question` with Yes and No while the worker waits; true for Yes.
    virtual bool ConfirmCancel(const std::string& question) = 0;

    // Called on the worker thread (a GUI forwards them to its window thread). RunStarted: show
    // the wait cursor and disable the Analyze dialog. RunFinished: the progress display is done
    // with (hide and destroy it), enable the dialog and restore the cursor. After RunFinished
    // the run no longer touches the progress sink.
    virtual void RunStarted() {}
    virtual void RunFinished(bool /*cancelled*/) {}
    // Worker thread, after RunFinished: the finished run's summary page could not be shown,
    // since no program to open it could start. `path` is where the page is.
    virtual void ReportNotShown(const std::string& /*path*/) {}
};

}  // namespace sg
