// The Position Analyzer's status window on its own: calls made from another thread reach the
// widgets through the window thread, the log's order, icons and times, the field reset, the
// button rules and the questions.

#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>

#include "ui/CPosAnStatus.h"
#include "ui/ModalCloser.h"
#include "ui/ProgressDialog.h"
#include "ui/QtUserPrompts.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {
namespace {

QString TextOf(QWidget& window, const char* label) {
    return Control<QLabel>(window, label)->text();
}

// Runs `calls` on a thread of its own, as the run thread would, and waits for it.
template <typename Calls>
void FromRunThread(Calls calls) {
    std::thread worker(calls);
    worker.join();
}

}  // namespace

class CPosAnStatusTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
    }
    void cleanup() {
        prompts_.reset();
        fixture_.reset();
    }

    void logLinesFromTheRunThreadGoOnTopWithIconAndTime() {
        CPosAnStatus status(*prompts_, nullptr);
        QVERIFY(ShowActive(status));
        QCOMPARE(status.windowTitle(), QStringLiteral("Information"));
        QVERIFY(!status.isModal());
        auto* log = Control<QTreeWidget>(status, "logList");
        QCOMPARE(log->headerItem()->text(0), QStringLiteral("Log"));
        QCOMPARE(log->headerItem()->text(1), QStringLiteral("Time"));
        QCOMPARE(log->columnWidth(0), 320);
        QCOMPARE(log->columnWidth(1), 70);

        const std::time_t before = std::time(nullptr);
        bool warnedAfterInfo = true;
        FromRunThread([&] {
            status.LogInfo("Connected to Google");
            warnedAfterInfo = status.HasWarnings();
            status.LogError("Couldn't connect to MSN on position 0");
            status.LogSkip("User skipped AOL on position 3");
        });
        const std::time_t after = std::time(nullptr);
        // Nothing was drawn from the other thread: the lines wait in the window's queue.
        QCOMPARE(log->topLevelItemCount(), 0);
        QTRY_COMPARE(log->topLevelItemCount(), 3);
        QVERIFY(!warnedAfterInfo);
        QVERIFY(status.HasWarnings());

        const QStringList newestFirst = {QStringLiteral("User skipped AOL on position 3"),
                                         QStringLiteral("Couldn't connect to MSN on position 0"),
                                         QStringLiteral("Connected to Google")};
        const PositionRunStatus::LogIcon icons[] = {PositionRunStatus::LogIcon::kSkip,
                                                    PositionRunStatus::LogIcon::kError,
                                                    PositionRunStatus::LogIcon::kInformation};
        QStringList times;
        for (std::time_t t = before; t <= after; ++t) {
            times.push_back(QString::fromStdString(PositionRunStatus::LogTime(t)));
        }
        std::vector<QImage> pictures;
        for (int row = 0; row < 3; ++row) {
            QTreeWidgetItem* item = log->topLevelItem(row);
            QCOMPARE(item->text(0), newestFirst[row]);
            QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                        .match(item->text(1))
                        .hasMatch());
            QVERIFY2(times.contains(item->text(1)), qPrintable(item->text(1)));
            QCOMPARE(item->data(0, CPosAnStatus::kLogIconRole).toInt(), int(icons[row]));
            QVERIFY(!item->icon(0).isNull());
            pictures.push_back(item->icon(0).pixmap(16, 16).toImage());
        }
        // Three different signs.
        QVERIFY(pictures[0] != pictures[1]);
        QVERIFY(pictures[1] != pictures[2]);
        QVERIFY(pictures[0] != pictures[2]);

        // At the end of a run with warnings the first warning from the top is shown.
        FromRunThread([&] { status.ScrollToFirstWarning(); });
        QTRY_COMPARE(log->currentItem(), log->topLevelItem(0));
        FromRunThread([&] { status.LogInfo("Connected to AOL"); });
        QTRY_COMPARE(log->topLevelItemCount(), 4);
        FromRunThread([&] { status.ScrollToFirstWarning(); });
        QTRY_COMPARE(log->currentItem(), log->topLevelItem(1));
    }

    void fieldsShowTheRunAndResetPutsThemBack() {
        CPosAnStatus status(*prompts_, nullptr);
        QVERIFY(ShowActive(status));
        QStringList captions;
        for (QLabel* label : status.findChildren<QLabel*>()) {
            captions.push_back(label->text());
        }
        for (const char* caption :
             {"Keyword :", "Engine :", "Found Sites : ", "Position : ", "Search to Position : "}) {
            QVERIFY2(captions.contains(QString::fromLatin1(caption)), caption);
        }
        auto* bar = Control<QProgressBar>(status, "progressBar");
        auto* logo = Control<QLabel>(status, "logoLabel");
        auto expectReset = [&] {
            QCOMPARE(TextOf(status, "keywordText"), QString());
            QCOMPARE(TextOf(status, "engineText"), QStringLiteral("No selected"));
            QCOMPARE(TextOf(status, "foundText"), QStringLiteral("0"));
            QCOMPARE(TextOf(status, "positionText"), QStringLiteral("0"));
            QCOMPARE(TextOf(status, "searchToText"), QStringLiteral("0"));
            QCOMPARE(bar->value(), 0);
            QCOMPARE(status.ShownLogo(), -1);
            QVERIFY(logo->pixmap().isNull());
        };
        // On opening every value field shows "0"; only the reset empties the keyword.
        QCOMPARE(TextOf(status, "keywordText"), QStringLiteral("0"));
        QCOMPARE(TextOf(status, "engineText"), QStringLiteral("No selected"));
        QCOMPARE(TextOf(status, "foundText"), QStringLiteral("0"));

        FromRunThread([&] {
            status.SetKeyword("blue \xE9t\xE9");
            status.SetEngineLabel("Google");
            status.ShowEngineLogo(1);
            status.SetFoundText("1,234,567");
            status.SetSearchRange(1234567);
            status.SetPosition(56);
            status.SetProgress(56);
        });
        QTRY_COMPARE(bar->value(), 56);
        QCOMPARE(TextOf(status, "keywordText"), QStringLiteral("blue \u00e9t\u00e9"));
        QCOMPARE(TextOf(status, "engineText"), QStringLiteral("Google"));
        QCOMPARE(TextOf(status, "foundText"), QStringLiteral("1,234,567"));
        QCOMPARE(TextOf(status, "positionText"), QStringLiteral("56"));
        QCOMPARE(TextOf(status, "searchToText"), QStringLiteral("1,234,567"));
        QCOMPARE(bar->maximum(), 1234567);
        QCOMPARE(status.ShownLogo(), 1);
        QVERIFY(!logo->pixmap().isNull());
        const QImage google = logo->pixmap().toImage();
        FromRunThread([&] { status.ShowEngineLogo(10); });
        QTRY_COMPARE(status.ShownLogo(), 10);
        QVERIFY(logo->pixmap().toImage() != google);

        FromRunThread([&] { status.ResetStatus(); });
        QTRY_COMPARE(TextOf(status, "engineText"), QStringLiteral("No selected"));
        expectReset();

        // An engine without results: an empty bar, not a busy one.
        FromRunThread([&] { status.SetSearchRange(0); });
        QTRY_COMPARE(bar->maximum(), 1);
        QCOMPARE(TextOf(status, "searchToText"), QStringLiteral("0"));
    }

    // Keywords, engine replies, log lines and messages are shown as they are, never as markup:
    // the fields here, the analyses' progress window and every message box.
    void outsideTextIsShownAsPlainText() {
        CPosAnStatus status(*prompts_, nullptr);
        QVERIFY(ShowActive(status));
        FromRunThread([&] {
            status.SetKeyword("<b>caf</b>");
            status.SetEngineLabel("<i>engine</i>");
            status.SetFoundText("<u>12</u>");
        });
        QTRY_COMPARE(TextOf(status, "keywordText"), QStringLiteral("<b>caf</b>"));
        for (const char* name :
             {"keywordText", "engineText", "foundText", "positionText", "searchToText"}) {
            QVERIFY2(Control<QLabel>(status, name)->textFormat() == Qt::PlainText, name);
        }

        ProgressDialog progress(nullptr);
        progress.LogLine("<b>www.shop.com</b> answered <i>404</i>");
        auto* note = Control<QLabel>(progress, "noteLabel");
        QCOMPARE(note->text(), QStringLiteral("<b>www.shop.com</b> answered <i>404</i>"));
        QCOMPARE(note->textFormat(), Qt::PlainText);
        QCOMPARE(Control<QLabel>(progress, "percentLabel")->textFormat(), Qt::PlainText);

        QStringList shown;
        ModalCloser closer([&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box != nullptr);
            shown.push_back(box->text());
            QCOMPARE(box->textFormat(), Qt::PlainText);
        });
        QtUserPrompts real;
        real.Inform(nullptr, QStringLiteral("Site Workbench"), QStringLiteral("<b>a.txt</b>"),
                    PromptIcon::Warning);
        real.Ask(nullptr, QStringLiteral("Site Workbench"), QStringLiteral("<i>b.txt</i>?"),
                 PromptButtons::YesNo, PromptIcon::Question);
        QCOMPARE(shown, QStringList({"<b>a.txt</b>", "<i>b.txt</i>?"}));
    }

    void buttonsFollowTheSkipAndStopRequests() {
        CPosAnStatus status(*prompts_, nullptr);
        QVERIFY(ShowActive(status));
        QPushButton* skip = ButtonOf(status, "skipButton");
        QPushButton* close = ButtonOf(status, "closeButton");
        QCOMPARE(skip->text(), QStringLiteral("Skip current engine"));
        QCOMPARE(close->text(), QStringLiteral("Close"));
        QVERIFY(!skip->isEnabled());
        QVERIFY(close->isEnabled());

        // The run starts its keyword: running, and the skip request cleared.
        status.SetRunning(true);
        FromRunThread([&] { status.SetSkipRequest(false); });
        QTRY_VERIFY(skip->isEnabled());
        Click(status, "skipButton");
        QVERIFY(status.SkipRequested());
        QVERIFY(!skip->isEnabled());
        QVERIFY(!close->isEnabled());
        // "Close" is ignored while the skip is pending.
        status.PressClose();
        QVERIFY(!status.StopRequested());

        // Answered No by the scraper: both buttons back.
        FromRunThread([&] { status.SetSkipRequest(false); });
        QTRY_VERIFY(skip->isEnabled());
        QVERIFY(close->isEnabled());
        Click(status, "closeButton");
        QVERIFY(status.StopRequested());
        QVERIFY(status.isVisible());
        QVERIFY(!skip->isEnabled());
        QVERIFY(!close->isEnabled());
        FromRunThread([&] { status.ClearStopRequest(); });
        QTRY_VERIFY(close->isEnabled());
        QVERIFY(skip->isEnabled());

        // The close box skips the pending-skip check.
        Click(status, "skipButton");
        QVERIFY(status.SkipRequested());
        status.close();
        QVERIFY(status.StopRequested());
        QVERIFY(status.isVisible());

        // After the run, "Close" hides the window and says so once.
        FromRunThread([&] {
            status.SetSkipRequest(false);
            status.ClearStopRequest();
            status.SetRunning(false);
        });
        QTRY_VERIFY(close->isEnabled());
        QSignalSpy closed(&status, &CPosAnStatus::windowClosed);
        Click(status, "closeButton");
        QVERIFY(!status.isVisible());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!status.StopRequested());
    }

    void aPressBeforeTheRunsQueuedEnableKeepsTheButtonsDisabled() {
        CPosAnStatus status(*prompts_, nullptr);
        QVERIFY(ShowActive(status));
        QPushButton* skip = ButtonOf(status, "skipButton");
        QPushButton* close = ButtonOf(status, "closeButton");
        status.SetRunning(true);
        FromRunThread([&] { status.SetSkipRequest(false); });
        QTRY_VERIFY(skip->isEnabled());
        // The next between-engines check clears the request again; its enables wait in the
        // queue while the user presses "Skip current engine".
        FromRunThread([&] { status.SetSkipRequest(false); });
        Click(status, "skipButton");
        QCoreApplication::processEvents();
        QVERIFY(status.SkipRequested());
        QVERIFY(!skip->isEnabled());
        QVERIFY(!close->isEnabled());

        // The same for "Close" during a run.
        FromRunThread([&] { status.SetSkipRequest(false); });
        QCoreApplication::processEvents();
        QVERIFY(close->isEnabled());
        FromRunThread([&] { status.SetSkipRequest(false); });
        Click(status, "closeButton");
        QCoreApplication::processEvents();
        QVERIFY(status.StopRequested());
        QVERIFY(!skip->isEnabled());
        QVERIFY(!close->isEnabled());

        // The run's own end enables "Close" although the stop request still stands.
        FromRunThread([&] {
            status.EnableSkipButton(false);
            status.SetRunning(false);
            status.EnableCloseButton(true);
        });
        QTRY_VERIFY(close->isEnabled());
        QVERIFY(!skip->isEnabled());
    }

    void questionsFromTheRunThreadAreAskedOnTheWindowThread() {
        CPosAnStatus status(*prompts_, nullptr);
        QVERIFY(ShowActive(status));
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->Answer(PromptAnswer::No);
        std::atomic<bool> done{false};
        std::vector<bool> answers;
        std::thread run([&] {
            answers.push_back(status.AskYesNo("Are you sure you want to skip current engine ?"));
            answers.push_back(status.AskYesNo("Are you sure you want to skip searching  ?"));
            done = true;
        });
        QTRY_VERIFY(done.load());
        run.join();
        QCOMPARE(answers, std::vector<bool>({true, false}));
        QCOMPARE(prompts_->Calls().size(), size_t(2));
        for (const PromptCall& call : prompts_->Calls()) {
            QCOMPARE(call.kind, PromptCall::Kind::Ask);
            QCOMPARE(call.caption, QStringLiteral("Sitegauge Version 6.0"));
            QCOMPARE(call.buttons, PromptButtons::YesNo);
            QCOMPARE(call.icon, PromptIcon::Question);
        }
        QCOMPARE(prompts_->Calls()[0].text,
                 QStringLiteral("Are you sure you want to skip current engine ?"));
        QCOMPARE(prompts_->Calls()[1].text,
                 QStringLiteral("Are you sure you want to skip searching  ?"));

        // Abandoned while waiting (the window thread never gets to it): No, and the question
        // that was queued is never shown.
        prompts_->Answer(PromptAnswer::Yes);
        std::atomic<bool> asking{false};
        bool abandonedAnswer = true;
        std::thread waiting([&] {
            asking = true;
            abandonedAnswer = status.AskYesNo("Are you sure you want to skip current engine ?");
        });
        while (!asking) {
            std::this_thread::yield();
        }
        status.AbandonQuestions();
        waiting.join();
        QVERIFY(!abandonedAnswer);
        QCoreApplication::processEvents();
        QCOMPARE(prompts_->Calls().size(), size_t(2));
        // And every later one is No at once.
        bool laterAnswer = true;
        FromRunThread([&] { laterAnswer = status.AskYesNo("Are you sure you want to skip ?"); });
        QVERIFY(!laterAnswer);
        QCoreApplication::processEvents();
        QCOMPARE(prompts_->Calls().size(), size_t(2));
    }
};

SG_REGISTER_UI_TEST(CPosAnStatusTest);

}  // namespace sg::test

#include "CPosAnStatusTest.moc"
