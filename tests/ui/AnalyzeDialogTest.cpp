// The Analyze dialog: its three modes, the enabling of "Analyze Now", the checks it runs first,
// and whole runs against a loopback site with the progress window, the summary page and Cancel.

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/SummaryPage.h"
#include "model/AppState.h"
#include "net/PageRenderer.h"
#include "net/ProxySettings.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "support/FixtureSite.h"
#include "support/HeldPage.h"
#include "support/LoopbackServer.h"
#include "ui/AnalyzeDialog.h"
#include "ui/ModalCloser.h"
#include "ui/ProgressDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {
namespace {

const char kPage[] =
    "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n"
    "<html><head><title>Shoes</title></head><body>shoes and boots</body></html>";

// A one-page site on 127.0.0.1 whose answer can be held back until the test lets it go.
class HeldSite {
  public:
    HeldSite()
        : server_([this](LoopbackConnection& conn) {
              conn.ReadUntilBlankLine();
              arrived_ = true;
              while (held_ && !conn.Stopping()) {
                  conn.Sleep(std::chrono::milliseconds(10));
              }
              conn.Send(kPage);
          }) {}

    std::string Url() const { return "127.0.0.1:" + std::to_string(server_.Port()) + "/"; }
    void Hold() { held_ = true; }
    void Release() { held_ = false; }
    bool Arrived() const { return arrived_; }

  private:
    std::atomic<bool> held_{false};
    std::atomic<bool> arrived_{false};
    LoopbackServer server_;
};

// Counts the activations a window receives.
struct ActivationCounter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::WindowActivate ? 1 : 0;
        return false;
    }
    int count = 0;
};

}  // namespace

class AnalyzeDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::mutex openedMutex_;
    std::vector<std::string> opened_;

    std::vector<std::string> Opened() {
        std::lock_guard<std::mutex> lock(openedMutex_);
        return opened_;
    }
    static QPushButton* AnalyzeNowOf(AnalyzeDialog& dialog) {
        return ButtonOf(dialog, "analyzeNowButton");
    }
    static void ReadyProject(const std::string& url) {
        Project& project = App().project;
        project.SetName("Shop");
        project.AddUrl(url);
    }

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        opened_.clear();
        SetOnlineCheck([] { return true; });
        SetDocumentOpener([this](const std::string& path) {
            std::lock_guard<std::mutex> lock(openedMutex_);
            opened_.push_back(path);
        });
    }
    void cleanup() {
        SetOnlineCheck({});
        prompts_.reset();
        fixture_.reset();
    }

    void eachModeChecksItsBoxAndOnlyLinkPopularityHidesTheNestedOption() {
        ReadyProject("www.shop.com");
        struct Case {
            int mode;
            const char* title;
            const char* checked;
            bool nestedShown;
        };
        for (const Case& c :
             {Case{kAnalyzeReadiness, "Search Engine Readiness", "readinessBox", true},
              Case{kAnalyzeLinkPopularity, "Link Popularity", "linkPopularityBox", false},
              Case{kAnalyzeLinkValidator, "Link Validator", "linkValidatorBox", true}}) {
            AnalyzeDialog dialog(*prompts_, c.mode);
            QVERIFY(ShowActive(dialog));
            QCOMPARE(dialog.windowTitle(), QString::fromLatin1(c.title));
            for (const char* box : {"readinessBox", "linkPopularityBox", "linkValidatorBox"}) {
                QCheckBox* check = Control<QCheckBox>(dialog, box);
                QVERIFY(!check->isVisible());
                QCOMPARE(check->isChecked(), std::string(box) == c.checked);
            }
            QCOMPARE(Control<QCheckBox>(dialog, "nestedBox")->isVisible(), c.nestedShown);
            QLabel* veryLong = Control<QLabel>(dialog, "veryLongLabel");
            QCOMPARE(veryLong->isVisible(), c.nestedShown);
            QCOMPARE(veryLong->text(), QStringLiteral("VERY LONG TIME."));
            QCOMPARE(veryLong->font().weight(), QFont::Weight(800));
            QVERIFY(AnalyzeNowOf(dialog)->isEnabled());
        }
    }

    // The render box: grey with its reason without a browser; with one, open in the Link
    // Validator and in the readiness only with the nested check.
    void theRenderBoxNeedsABrowserAndInTheReadinessTheNestedCheck() {
        ReadyProject("www.shop.com");
        const QString reason = QString::fromUtf8(kNoRenderBrowserText.data(),
                                                 static_cast<int>(kNoRenderBrowserText.size()));
        qputenv("SITEGAUGE_CHROMIUM", "/nonexistent/chromium");
        {
            AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
            QVERIFY(ShowActive(dialog));
            QCheckBox* render = Control<QCheckBox>(dialog, "renderBox");
            QCOMPARE(render->text(), QStringLiteral("Render pages with a browser (slower)"));
            QVERIFY(render->isVisible());
            QVERIFY(!render->isEnabled());
            QCOMPARE(render->toolTip(), reason);
            QLabel* line = Control<QLabel>(dialog, "noBrowserLabel");
            QVERIFY(line->isVisible());
            QCOMPARE(line->text(), reason);
        }
        // Any executable stands in for the browser: the dialog only looks for it.
        qputenv("SITEGAUGE_CHROMIUM", "/bin/true");
        {
            AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
            QVERIFY(ShowActive(dialog));
            QVERIFY(Control<QCheckBox>(dialog, "renderBox")->isEnabled());
            QVERIFY(!Control<QLabel>(dialog, "noBrowserLabel")->isVisible());
        }
        {
            AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
            QVERIFY(ShowActive(dialog));
            QCheckBox* render = Control<QCheckBox>(dialog, "renderBox");
            QVERIFY(!render->isEnabled());
            QTest::mouseClick(Control<QCheckBox>(dialog, "nestedBox"), Qt::LeftButton, {},
                              QPoint(4, 4));
            QVERIFY(render->isEnabled());
        }
        qunsetenv("SITEGAUGE_CHROMIUM");
    }

    // Enter in Readiness and Link Validator is "Analyze Now", whatever has the focus.
    void enterIsAnalyzeNowInReadinessAndLinkValidator() {
        ReadyProject("www.shop.com");
        // The failed online check shows that Analyze Now ran, without starting a run.
        SetOnlineCheck([] { return false; });
        for (int mode : {kAnalyzeReadiness, kAnalyzeLinkValidator}) {
            AnalyzeDialog dialog(*prompts_, mode);
            QVERIFY(ShowActive(dialog));
            QVERIFY(AnalyzeNowOf(dialog)->isDefault());
            const std::size_t before = prompts_->Calls().size();
            QTest::keyClick(Control<QCheckBox>(dialog, "nestedBox"), Qt::Key_Return);
            QCOMPARE(prompts_->Calls().size(), before + 1);
            QCOMPARE(prompts_->Calls().back().text,
                     QStringLiteral("The application has detected that you are not connected to "
                                    "the internet."));
            QVERIFY(dialog.isVisible());
        }
    }

    void analyzeNowNeedsAReadyProjectAndAnAnalysis() {
        Project& project = App().project;
        // A grey "Analyze Now" says why, under the list.
        struct Case {
            const char* name;
            const char* url;
            const char* reason;
        };
        for (const Case& c :
             {Case{"Shop", "www.shop.com", ""}, Case{"Shop", "localhost:8092", ""},
              Case{"", "www.shop.com",
                   "Analyze Now needs a project name, which names the "
                   "reports: click Edit Project and type one."},
              Case{".hidden", "www.shop.com", "does not begin with \".\""},
              Case{"Shop", "http://", "holds an empty one"},
              Case{"Shop", "intranet:8080", "intranet:8080 has no \".\""}, Case{"Shop", "", ""}}) {
            project.ClearUrls();
            project.SetName(c.name);
            if (*c.url != '\0') {
                project.AddUrl(c.url);
            }
            AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
            QVERIFY(ShowActive(dialog));
            QLabel* why = Control<QLabel>(dialog, "notReadyLabel");
            const QString reason = *c.url == '\0' ? QStringLiteral(
                                                        "Analyze Now needs the address of your "
                                                        "site: click Edit Project to add it.")
                                                  : QString::fromLatin1(c.reason);
            QVERIFY2(AnalyzeNowOf(dialog)->isEnabled() == reason.isEmpty(), c.url);
            QCOMPARE(why->isVisible(), !reason.isEmpty());
            QVERIFY2(why->text().contains(reason), qPrintable(why->text()));
        }

        // Unchecking the mode's box leaves nothing to run; checking it again allows the run.
        project.AddUrl("www.shop.com");
        AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
        QVERIFY(AnalyzeNowOf(dialog)->isEnabled());
        Control<QCheckBox>(dialog, "readinessBox")->click();
        QVERIFY(!AnalyzeNowOf(dialog)->isEnabled());
        Control<QCheckBox>(dialog, "linkValidatorBox")->click();
        QVERIFY(AnalyzeNowOf(dialog)->isEnabled());
    }

    void editProjectRefillsTheListAndTheEnabling() {
        App().project.SetName("Shop");
        AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
        QVERIFY(ShowActive(dialog));
        QVERIFY(!AnalyzeNowOf(dialog)->isEnabled());
        ModalCloser closer([](QDialog& project) {
            for (const char* url : {"www.zeta.com", "www.Alpha.com"}) {
                Type(EditOf(project, "urlEdit"), QString::fromLatin1(url));
                Click(project, "urlAddButton");
            }
        });
        Click(dialog, "editProjectButton");
        QCOMPARE(closer.Titles(), QStringList({"Project"}));
        QCOMPARE(Texts(Control<QListWidget>(dialog, "urlList")),
                 QStringList({"www.zeta.com", "www.Alpha.com"}));
        QVERIFY(AnalyzeNowOf(dialog)->isEnabled());
    }

    void failedChecksShowTheirMessageAndStartNoRun() {
        ReadyProject("www.shop.com");
        {
            SetOnlineCheck([] { return false; });
            AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
            QVERIFY(ShowActive(dialog));
            Click(dialog, "analyzeNowButton");
            QCOMPARE(prompts_->Calls().size(), size_t(1));
            const PromptCall& call = prompts_->Calls().back();
            QCOMPARE(call.kind, PromptCall::Kind::Inform);
            QCOMPARE(call.text, QStringLiteral("The application has detected that you are not "
                                               "connected to the internet."));
            QCOMPARE(call.caption, QStringLiteral("Sitegauge Version 6.0"));
            QCOMPARE(call.icon, PromptIcon::Critical);
            QVERIFY(!dialog.Running());
            QCOMPARE(dialog.Progress(), nullptr);
        }
        {
            // The hidden boxes can only be unchecked from code; the check still guards the run.
            SetOnlineCheck([] { return true; });
            AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
            QVERIFY(ShowActive(dialog));
            Control<QCheckBox>(dialog, "readinessBox")->setChecked(false);
            AnalyzeNowOf(dialog)->setEnabled(true);
            Click(dialog, "analyzeNowButton");
            const PromptCall& call = prompts_->Calls().back();
            QCOMPARE(call.text, QStringLiteral("Please check all the analyze functions that you "
                                               "want applied to this site."));
            QCOMPARE(call.caption, QStringLiteral("Sitegauge Version 6.0"));
            QVERIFY(!dialog.Running());
        }
        QVERIFY(Opened().empty());
    }

    // With no program to show the page, the finished run says so and where the page is.
    void aOneSiteRunShowsAHundredPercentAndOpensTheSummaryPage() {
        SetDocumentOpener([this](const std::string& path) {
            std::lock_guard<std::mutex> lock(openedMutex_);
            opened_.push_back(path);
            return false;
        });
        HeldSite site;
        ReadyProject(site.Url());
        AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        ProgressDialog* progress = dialog.Progress();
        QVERIFY(progress != nullptr);
        QVERIFY(progress->isVisible());
        QVERIFY(!progress->isModal());
        QStringList labels;
        QStringList titles;
        connect(progress, &ProgressDialog::percentShown, this,
                [&](const QString& text) { labels.push_back(text); });
        connect(progress, &QWidget::windowTitleChanged, this,
                [&](const QString& text) { titles.push_back(text); });
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toBool(), false);
        QVERIFY(!labels.isEmpty());
        QCOMPARE(labels.back(), QStringLiteral("100%"));
        QVERIFY(
            titles.contains(QString::fromStdString("Meta Analyzer in progress... " + site.Url())));
        QTRY_COMPARE(Opened().size(), size_t(1));
        QCOMPARE(Opened().front(), App().project.GetPageToOpen());
        QVERIFY(FileExists(Opened().front()));
        QTRY_VERIFY(!prompts_->Calls().empty());
        const PromptCall& told = prompts_->Calls().back();
        QCOMPARE(told.buttons, PromptButtons::OkCopyPath);
        QVERIFY(told.text.startsWith(QStringLiteral("The analysis has finished.")));
        QVERIFY(told.text.endsWith(QString::fromStdString("\n" + Opened().front())));
        // The window is gone and the dialog usable again.
        QTRY_VERIFY(dialog.Progress() == nullptr);
        QVERIFY(dialog.findChildren<ProgressDialog*>().isEmpty() ||
                !dialog.findChild<ProgressDialog*>()->isVisible());
        QVERIFY(!dialog.Running());
        QVERIFY(AnalyzeNowOf(dialog)->isEnabled());
        QVERIFY(AnalyzeNowOf(dialog)->isEnabledTo(&dialog));
    }

    // Within the one site's share the bar follows the pages visited and links judged of those
    // found, instead of showing 100% from the first page on.
    void theBarFollowsThePagesOfTheSiteMidCrawl() {
        HeldPage held;
        FixtureSite site(held.Responder("/b.html",
                                        "<a href=a.html>a</a><a href=b.html>b</a>"
                                        "<a href=c.html>c</a>"),
                         LoopbackServer::Serving::Concurrently);
        ReadyProject(site.Url("/"));
        AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
        QVERIFY(ShowActive(dialog));
        Control<QCheckBox>(dialog, "nestedBox")->setChecked(true);
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        // Gone when the run ends, as it does by itself once b.html has been held for 5 s.
        const QPointer<ProgressDialog> progress = dialog.Progress();
        QVERIFY(progress != nullptr);
        QTRY_VERIFY(held.arrived);
        // Three records (the start page, a.html, a.html's link to itself) of the seven known
        // (the start page, and the three links of each page read).
        QTRY_VERIFY(progress != nullptr && !progress->BarBusy() && progress->BarValue() == 42);
        QCOMPARE(progress->PercentText(), QStringLiteral("42%"));
        held.released = true;
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toBool(), false);
        QTRY_COMPARE(Opened().size(), size_t(1));
    }

    // A proxy that cannot be reached failed every request: the message says so, once, and no
    // report that would blame the sites is opened.
    void aDeadProxyIsToldAndItsReportNotOpened() {
        CurrentProxySettings().address = "127.0.0.1";
        const int port = LoopbackServer::ClosedPort();
        CurrentProxySettings().port = std::to_string(port);
        ReadyProject("www.one.example");
        App().project.AddUrl("www.two.example");
        AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.at(0).at(0).toBool(), false);
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        const PromptCall& told = prompts_->Calls().back();
        QCOMPARE(told.icon, PromptIcon::Warning);
        QVERIFY2(told.text.startsWith(QStringLiteral("The proxy 127.0.0.1:%1 could not be "
                                                     "reached, so no site was asked")
                                          .arg(port)),
                 qPrintable(told.text));
        QTest::qWait(100);
        QVERIFY(Opened().empty());
    }

    void aTlsFailureIsToldOnceTheProgressWindowIsGone() {
        // An https address whose server speaks no TLS.
        test::LoopbackServer plain(
            [](test::LoopbackConnection& conn) { conn.Send("HTTP/1.0 200 OK\r\n\r\n"); });
        const std::string url = "https://127.0.0.1:" + std::to_string(plain.Port()) + "/";
        ReadyProject(url);
        AnalyzeDialog dialog(*prompts_, kAnalyzeReadiness);
        QVERIFY(ShowActive(dialog));
        // Nested, the start page is fetched by the crawl and again for its analysis.
        Control<QCheckBox>(dialog, "nestedBox")->setChecked(true);
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        QVERIFY(ended.wait(10000));
        QVERIFY(!prompts_->Calls().empty());
        const PromptCall& told = prompts_->Calls().back();
        QCOMPARE(told.icon, PromptIcon::Warning);
        QVERIFY2(told.text.startsWith(QStringLiteral("Some addresses could not be reached:\n\n"
                                                     "Could not connect securely to ") +
                                      QString::fromStdString(url) + QStringLiteral(": ")),
                 qPrintable(told.text));
        QCOMPARE(told.text.count(QString::fromStdString(url)), 1);
    }

    // The progress window is the dialog's transient child with Cancel focused, and comes back
    // on top whenever the dialog is activated (as a click on it or on the main window does).
    void theProgressWindowStaysAboveTheDialogAndTakesTheKeyboard() {
        HeldSite site;
        site.Hold();
        ReadyProject(site.Url());
        AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        ProgressDialog* progress = dialog.Progress();
        QVERIFY(progress != nullptr);
        QCOMPARE(progress->windowType(), Qt::Dialog);
        QVERIFY(progress->windowHandle() != nullptr);
        QCOMPARE(progress->windowHandle()->transientParent(), dialog.windowHandle());
        QTRY_VERIFY(QApplication::activeWindow() == progress);
        QVERIFY(QApplication::focusWidget() == ButtonOf(*progress, "cancelButton"));
        ActivationCounter activations;
        dialog.installEventFilter(&activations);
        for (int click = 1; click <= 2; ++click) {
            // As the window system does when the user clicks the dialog or the main window.
            dialog.activateWindow();
            QTRY_COMPARE(activations.count, click);
            QTRY_VERIFY(QApplication::activeWindow() == progress);
        }
        prompts_->Answer(PromptAnswer::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QCOMPARE(prompts_->Calls().back().text, QStringLiteral("Are you sure you want to Cancel?"));
        site.Release();
        QVERIFY(ended.wait(10000));
    }

    // Counts from the worker reach the label, every one of them, however fast they come.
    void theCountsBesideThePercentageFollowTheRun() {
        AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
        ProgressDialog progress(&dialog);
        QCOMPARE(progress.CountText(), QString());
        std::thread worker([&] {
            for (int i = 0; i < 500; ++i) {
                progress.Count(i % 100 == 0 ? ProgressCount::PageFetched
                                            : ProgressCount::LinkChecked);
            }
        });
        worker.join();
        QTRY_COMPARE(progress.CountText(), QStringLiteral("5 pages visited, 495 links judged"));
        progress.Count(ProgressCount::PageFetched);
        QTRY_COMPARE(progress.CountText(), QStringLiteral("6 pages visited, 495 links judged"));
    }

    void theDialogIsDisabledAndCancelNoLetsTheRunFinish() {
        HeldSite site;
        site.Hold();
        ReadyProject(site.Url());
        AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        QTRY_VERIFY(site.Arrived());
        QTRY_VERIFY(!AnalyzeNowOf(dialog)->isEnabledTo(&dialog));
        QVERIFY(!ButtonOf(dialog, "closeButton")->isEnabledTo(&dialog));
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // Escape does not close the dialog while the run lasts.
        dialog.reject();
        QVERIFY(dialog.isVisible());

        prompts_->Answer(PromptAnswer::No);
        ButtonOf(*dialog.Progress(), "cancelButton")->click();
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QCOMPARE(prompts_->Calls().back().text, QStringLiteral("Are you sure you want to Cancel?"));
        QCOMPARE(prompts_->Calls().back().buttons, PromptButtons::YesNo);
        site.Release();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toBool(), false);
        QTRY_COMPARE(Opened().size(), size_t(1));
        QVERIFY(FileExists(Opened().front()));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(AnalyzeNowOf(dialog)->isEnabledTo(&dialog));
    }

    void cancelYesOpensNothingAndANewRunCanStart() {
        HeldSite site;
        site.Hold();
        ReadyProject(site.Url());
        AnalyzeDialog dialog(*prompts_, kAnalyzeLinkValidator);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        Click(dialog, "analyzeNowButton");
        QTRY_VERIFY(site.Arrived());
        const std::string summaryPage = SummaryPagePath(App().project, SummaryKind::BrokenLinks);

        prompts_->Answer(PromptAnswer::Yes);
        // The close box of the progress window asks as Cancel does.
        dialog.Progress()->close();
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        site.Release();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toBool(), true);
        QTest::qWait(200);
        QVERIFY(Opened().empty());
        QVERIFY(!summaryPage.empty());
        QVERIFY(!FileExists(summaryPage));
        // The run folder it had begun is gone, and the dialog says the run was cancelled.
        QVERIFY(!App().project.GetReportName().empty());
        QVERIFY(!FolderExists(App().paths.linkValidatorDir + "/" + App().project.GetReportName()));
        QVERIFY(FolderExists(App().paths.linkValidatorDir));
        QCOMPARE(prompts_->Calls().size(), size_t(2));
        QCOMPARE(prompts_->Calls().back().text,
                 QStringLiteral("The analysis was cancelled. The report it had begun has been "
                                "removed."));
        QVERIFY(AnalyzeNowOf(dialog)->isEnabledTo(&dialog));
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Another second, so the new run gets a report name of its own.
        QTest::qWait(1100);
        Click(dialog, "analyzeNowButton");
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(1).at(0).toBool(), false);
        QTRY_COMPARE(Opened().size(), size_t(1));
    }
};

SG_REGISTER_UI_TEST(AnalyzeDialogTest);

}  // namespace sg::test

#include "AnalyzeDialogTest.moc"
