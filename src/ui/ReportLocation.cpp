#include "ui/ReportLocation.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "model/AppState.h"
#include "platform/OpenDocument.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

// How often a settling launch is looked at.
constexpr int kPollMilliseconds = 100;

QString WhyNotShown(ShownDocument what, int launchResult) {
    const QString noun =
        what == ShownDocument::Page ? QStringLiteral("page") : QStringLiteral("report");
    if (launchResult == DocumentLaunch::kViewerFailed) {
        return QStringLiteral(
                   "The %1 could not be shown: the program started to show it (xdg-open, or the "
                   "program named in $BROWSER) ended at once with an error. A browser run as "
                   "root, for one, refuses to start.")
            .arg(noun);
    }
    return QStringLiteral(
               "No program could be started to show the %1 (neither xdg-open nor the program "
               "named in $BROWSER).")
        .arg(noun);
}

}  // namespace

void ShowReportLocation(UserPrompts& prompts, QWidget* parent, const std::string& path,
                        ShownDocument what, int launchResult) {
    const QString why = WhyNotShown(what, launchResult);
    QString text = what == ShownDocument::FinishedRunReport
                       ? QStringLiteral("The analysis has finished.\n\n") + why
                       : why;
    text += (what == ShownDocument::Page ? QStringLiteral("\n\nThe page is here:\n")
                                         : QStringLiteral("\n\nThe report is here:\n")) +
            PathToQt(path);
    if (prompts.Ask(parent, ToQt(App().appTitle), text, PromptButtons::OkCopyPath,
                    PromptIcon::Information) == PromptAnswer::Copy) {
        QGuiApplication::clipboard()->setText(PathToQt(path));
    }
}

void OpenReport(UserPrompts& prompts, QWidget* parent, const std::string& path,
                ShownDocument what) {
    std::shared_ptr<const DocumentLaunch> launch = LaunchDocument(path);
    const auto settled = [&prompts, parent, path, what](int result) {
        if (result != DocumentLaunch::kShown) {
            ShowReportLocation(prompts, parent, path, what, result);
        }
    };
    const int now = launch->Result();
    if (now != DocumentLaunch::kPending) {
        settled(now);
        return;
    }
    // The viewer is given its grace period off the window thread's way: the timer dies with
    // `parent`, and the launch reaps its viewer whatever becomes of the timer.
    auto* timer = new QTimer(parent);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, launch, settled] {
        const int result = launch->Result();
        if (result == DocumentLaunch::kPending) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        settled(result);
    });
    timer->start(kPollMilliseconds);
}

}  // namespace sg
