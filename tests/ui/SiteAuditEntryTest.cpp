// Where a first-time user finds the Site Audit: area 7 of the main window opens the Analyze
// dialog in its Site Audit mode, whose run shows progress and counts, can be cancelled, opens
// the audit's summary page, and is listed by Previous Reports.

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analysis/crawl/PageBoundSetting.h"
#include "model/AppState.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "support/LoopbackServer.h"
#include "ui/AnalyzeDialog.h"
#include "ui/CPreviousDialog.h"
#include "ui/MainWindow.h"
#include "ui/ModalCloser.h"
#include "ui/ProgressDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"
#include "ui/UiText.h"

namespace sg::test {
namespace {

// A two-page site whose sitemap.xml, which the audit asks for once the crawl is done, can be held
// back until the test lets it go.
class AuditedSite {
  public:
    AuditedSite()
        : server_(
              [this](LoopbackConnection& conn) {
                  const std::string head = conn.ReadUntilBlankLine();
                  if (head.starts_with("GET /sitemap.xml ")) {
                      arrived_ = true;
                      while (held_ && !conn.Stopping()) {
                          conn.Sleep(std::chrono::milliseconds(10));
                      }
                  }
                  if (head.starts_with("GET / ")) {
                      conn.Send(Page("<a href=\"/two.html\">two</a>"));
                  } else if (head.starts_with("GET /two.html ")) {
                      conn.Send(Page(""));
                  } else {
                      conn.Send("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n");
                  }
              },
              LoopbackServer::Serving::Concurrently) {}

    std::string Url() const { return "127.0.0.1:" + std::to_string(server_.Port()) + "/"; }
    void Hold() { held_ = true; }
    void Release() { held_ = false; }
    bool Arrived() const { return arrived_; }

  private:
    static std::string Page(const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><head><title>Shoes"
               "</title></head><body>" +
               body + "</body></html>";
    }

    std::atomic<bool> held_{false};
    std::atomic<bool> arrived_{false};
    LoopbackServer server_;
};

}  // namespace

class SiteAuditEntryTest : public QObject {
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

    // The seventh area, by click and by Alt+7, asks for a project first when there is none.
    void areaSevenOpensTheSiteAudit() {
        MainWindow window(*prompts_, false);
        QVERIFY(ShowActive(window));
        QCOMPARE(MainAreaTitle(7), QStringLiteral("Site Audit"));
        {
            ModalCloser closer;
            QTest::mouseClick(&window, Qt::LeftButton, {}, MainAreaRect(7).center());
            QCOMPARE(closer.Titles(), QStringList({"Project", "Site Audit"}));
        }
        App().project.SetName("Shop");
        App().project.AddUrl("www.shop.com");
        ModalCloser closer([](QDialog& dialog) {
            // The mode checks the audit's own box, hides the nested option and says what the
            // audit does.
            QVERIFY(Control<QCheckBox>(dialog, "siteAuditBox")->isChecked());
            QVERIFY(!Control<QCheckBox>(dialog, "readinessBox")->isChecked());
            QVERIFY(!Control<QCheckBox>(dialog, "nestedBox")->isVisible());
            QVERIFY(Control<QLabel>(dialog, "auditLabel")->isVisible());
            // It names every kind of check, and holds the page bound the crawl keeps to.
            for (const char* kind : {"HTTPS", "speed", "images and links", "languages"}) {
                QVERIFY2(Control<QLabel>(dialog, "auditLabel")->text().contains(kind), kind);
            }
            QVERIFY(Control<QSpinBox>(dialog, "auditPagesSpin")->isVisible());
            QCOMPARE(Control<QSpinBox>(dialog, "auditPagesSpin")->value(), MaxPagesPerSite());
            QVERIFY(ButtonOf(dialog, "analyzeNowButton")->isEnabled());
        });
        // A shortcut needs its window active, as it is again once a dialog closes.
        QVERIFY(ShowActive(window));
        QTest::keyClick(&window, Qt::Key_7, Qt::AltModifier);
        QCOMPARE(closer.Titles(), QStringList({"Site Audit"}));
    }

    // A run: the progress window with its caption and counts, the summary page opened, the run
    // in Previous Reports; then a cancelled run that leaves nothing behind.
    void aRunShowsProgressOpensItsPageAndIsListed() {
        AuditedSite site;
        App().project.SetName("Shop");
        App().project.AddUrl(site.Url());
        AnalyzeDialog dialog(*prompts_, kAnalyzeSiteAudit);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &AnalyzeDialog::runEnded);
        site.Hold();
        Click(dialog, "analyzeNowButton");
        ProgressDialog* progress = dialog.Progress();
        QVERIFY(progress != nullptr);
        QTRY_COMPARE(progress->windowTitle(),
                     QString::fromStdString("Site Audit in progress... " + site.Url()));
        // The crawl is done: its pages were counted, and the bar took the one site's share (the
        // dialog shows it once its queued update has run).
        QTRY_VERIFY(site.Arrived());
        QTRY_COMPARE(progress->PercentText(), QStringLiteral("100%"));
        QTRY_VERIFY2(progress->CountText().startsWith(QStringLiteral("2 pages visited, ")),
                     qPrintable(progress->CountText()));
        site.Release();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toBool(), false);
        QTRY_COMPARE(Opened().size(), size_t(1));
        const std::string run = App().project.GetReportName();
        const std::string summary = App().paths.siteAuditDir + "/" + run + "/" + run + ".html";
        QCOMPARE(Opened().front(), summary);
        std::string html;
        QVERIFY(ReadWholeFile(summary, html));
        QVERIFY(html.find("The sites side by side") != std::string::npos);
        QVERIFY(FileExists(App().paths.siteAuditDir + "/" + run + "/" +
                           App().project.GetUrl(0)->GetShortName() + ".html"));

        {
            CPreviousDialog previous(*prompts_);
            auto* tabs = Control<QTabWidget>(previous, "reportTabs");
            QCOMPARE(tabs->tabText(4), QStringLiteral("Site Audit"));
            tabs->setCurrentIndex(4);
            auto* list = Control<QTreeWidget>(previous, "siteAuditList");
            QCOMPARE(list->topLevelItemCount(), 1);
            // Named by its project, with the sites its summary page lists.
            QCOMPARE(list->topLevelItem(0)->text(0), ToQt(App().project.GetName()));
            QCOMPARE(list->topLevelItem(0)->toolTip(0), QString::fromStdString(run + ".html"));
            QCOMPARE(list->topLevelItem(0)->text(2), ToQt(App().project.GetUrl(0)->GetUrl()));
            Click(previous, "viewButton");
            QTRY_COMPARE(Opened().size(), size_t(2));
            QCOMPARE(Opened().back(), summary);
        }

        // Cancelled while the site holds its page: nothing opens and the run folder is gone.
        QSignalSpy endedAgain(&dialog, &AnalyzeDialog::runEnded);
        AuditedSite held;
        held.Hold();
        App().project.ClearUrls();
        App().project.AddUrl(held.Url());
        Click(dialog, "analyzeNowButton");
        QTRY_VERIFY(held.Arrived());
        prompts_->Answer(PromptAnswer::Yes);
        ButtonOf(*dialog.Progress(), "cancelButton")->click();
        held.Release();
        QVERIFY(endedAgain.wait(10000));
        QCOMPARE(endedAgain.at(0).at(0).toBool(), true);
        QCOMPARE(Opened().size(), size_t(2));
        const std::string cancelled = App().project.GetReportName();
        QVERIFY(cancelled != run);
        QVERIFY(!FolderExists(App().paths.siteAuditDir + "/" + cancelled));
        QVERIFY(FolderExists(App().paths.siteAuditDir + "/" + run));
    }
};

SG_REGISTER_UI_TEST(SiteAuditEntryTest);

}  // namespace sg::test

#include "SiteAuditEntryTest.moc"
