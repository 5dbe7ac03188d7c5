#include "ui/ReportLocation.h"

#include <QClipboard>
#include <QGuiApplication>

#include "model/AppState.h"
#include "platform/OpenDocument.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {

void ShowReportLocation(UserPrompts& prompts, QWidget* parent, const std::string& path,
                        bool runFinished) {
    const QString why = QStringLiteral(
        "No program could be started to show the report (neither xdg-open nor the program "
        "named in $BROWSER).");
    QString text = runFinished ? QStringLiteral("The analysis has finished.\n\n") + why : why;
    text += QStringLiteral("\n\nThe report is here:\n") + PathToQt(path);
    if (prompts.Ask(parent, ToQt(App().appTitle), text, PromptButtons::OkCopyPath,
                    PromptIcon::Information) == PromptAnswer::Copy) {
        QGuiApplication::clipboard()->setText(PathToQt(path));
    }
}

void OpenReport(UserPrompts& prompts, QWidget* parent, const std::string& path) {
    if (!OpenDocument(path)) {
        ShowReportLocation(prompts, parent, path, false);
    }
}

}  // namespace sg
