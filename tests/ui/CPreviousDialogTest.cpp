// The previous-reports browser on a real folder tree: tabs, lists, the two buttons, "View" and
// "Delete". What is listed is the core's (PreviousReportsTest); here, what the dialog does.

#include <sys/stat.h>
#include <sys/time.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <vector>

#include "analysis/audit/report/AuditSummaryPage.h"
#include "app/SummaryPage.h"
#include "model/AppState.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "reports/PreviousReports.h"
#include "ui/CPreviousDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {

class CPreviousDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    ScriptedPrompts prompts_;
    std::optional<CPreviousDialog> dialog_;
    std::vector<std::string> opened_;

    // The fixture's reports are of one time, so their names order them.
    static constexpr std::time_t kWritten = 1709647629;
    static void Age(const std::string& path, std::time_t when = kWritten) {
        const struct timeval times[2] = {{when, 0}, {when, 0}};
        ::utimes(path.c_str(), times);
    }
    static void Run(const std::string& analysisDir, const std::string& run,
                    const std::string& page = "<html></html>") {
        CreateFolder(analysisDir + "/" + run);
        WriteWholeFile(analysisDir + "/" + run + "/" + run + ".html", page);
        Age(analysisDir + "/" + run + "/" + run + ".html");
    }
    QTabWidget* Tabs() { return Control<QTabWidget>(*dialog_, "reportTabs"); }
    QTreeWidget* List(int tab) { return qobject_cast<QTreeWidget*>(Tabs()->widget(tab)); }
    QStringList Names(int tab) {
        QStringList names;
        for (int row = 0; row < List(tab)->topLevelItemCount(); ++row) {
            names.push_back(List(tab)->topLevelItem(row)->text(0));
        }
        return names;
    }
    // "View" and "Delete" go together: 1 both enabled, 0 both disabled, -1 apart.
    int Buttons() {
        const bool view = ButtonOf(*dialog_, "viewButton")->isEnabled();
        return view != ButtonOf(*dialog_, "deleteButton")->isEnabled() ? -1 : view ? 1 : 0;
    }

  private slots:
    // Two Position Analyzer files, two readiness runs (one with a sub-folder), one Link
    // Validator run and nothing for Link Popularity.
    void init() {
        fixture_.emplace();
        prompts_ = ScriptedPrompts();
        opened_.clear();
        SetDocumentOpener([this](const std::string& path) { opened_.push_back(path); });
        const AppPaths& paths = App().paths;
        WriteWholeFile(paths.positionAnalyzerDir + "/zeta 2024.html", "z");
        WriteWholeFile(paths.positionAnalyzerDir + "/Alpha 2024.html", "a");
        Age(paths.positionAnalyzerDir + "/zeta 2024.html");
        Age(paths.positionAnalyzerDir + "/Alpha 2024.html");
        Run(paths.readinessDir, "Shop.v2 2024");
        Run(paths.readinessDir, "Books 2024");
        CreateFolder(paths.readinessDir + "/Books 2024/nested");
        WriteWholeFile(paths.readinessDir + "/Books 2024/nested/page.html", "n");
        Run(paths.linkValidatorDir, "Links 2024");
        dialog_.emplace(prompts_);
        QVERIFY(ShowActive(*dialog_));
    }
    void cleanup() {
        dialog_.reset();
        fixture_.reset();
    }

    void showsFiveTabsOfSortedReportsFirstLineSelected() {
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Previous Reports Results"));
        // The designed four, then the Site Audit's.
        const QStringList titles = {"Position Analyzer", "Engine Readiness", "Link Popularity",
                                    "Link Validator", "Site Audit"};
        QCOMPARE(Tabs()->count(), 5);
        for (int tab = 0; tab < 5; ++tab) {
            QCOMPARE(Tabs()->tabText(tab), titles[tab]);
            QCOMPARE(List(tab)->headerItem()->text(0), QStringLiteral("Reports"));
            QCOMPARE(List(tab)->headerItem()->text(1), QStringLiteral("Date/Time"));
            if (tab == Tabs()->currentIndex()) {
                // The date is as wide as its text, the name takes the rest of the list; the
                // designed 250 and 120 are the least either gets.
                QTreeWidget* list = List(tab);
                const int date =
                    list->fontMetrics().horizontalAdvance(list->topLevelItem(0)->text(1));
                dialog_->resize(900, dialog_->height());
                QCoreApplication::processEvents();
                QVERIFY(list->viewport()->width() > 600);
                QVERIFY(list->columnWidth(1) >= std::max(120, date));
                QCOMPARE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
                dialog_->resize(300, dialog_->height());
                QCoreApplication::processEvents();
                QCOMPARE(list->columnWidth(0), 250);
                QVERIFY(list->columnWidth(1) >= 120);
            }
            if (List(tab)->topLevelItemCount() > 0) {
                QCOMPARE(List(tab)->selectedItems().size(), 1);
                QCOMPARE(List(tab)->selectedItems().front(), List(tab)->topLevelItem(0));
            }
        }
        QCOMPARE(Names(0), QStringList({"Alpha 2024", "zeta 2024"}));
        QCOMPARE(Names(1), QStringList({"Books 2024", "Shop.v2 2024"}));
        QCOMPARE(Names(2), QStringList());
        QVERIFY(!List(0)->topLevelItem(0)->text(1).isEmpty());
    }

    // A report name that looks like markup is shown, tool tip included, as it is named.
    void aMarkupLikeNameIsShownAsNamed() {
        WriteWholeFile(App().paths.positionAnalyzerDir + "/<b>caf<i>  2024.html", "m");
        Age(App().paths.positionAnalyzerDir + "/<b>caf<i>  2024.html");
        dialog_.emplace(prompts_);
        QVERIFY(ShowActive(*dialog_));
        QCOMPARE(Names(0), QStringList({"<b>caf<i>  2024", "Alpha 2024", "zeta 2024"}));
        QTextDocument shown;
        shown.setHtml(List(0)->topLevelItem(0)->toolTip(0));
        QCOMPARE(shown.toPlainText(), QStringLiteral("<b>caf<i>  2024.html"));
        // An ordinary name is its own tool tip.
        QCOMPARE(List(0)->topLevelItem(1)->toolTip(0), QStringLiteral("Alpha 2024.html"));
    }

    void buttonsFollowTheShownListsSelection() {
        QCOMPARE(Tabs()->currentIndex(), 0);
        QCOMPARE(Buttons(), 1);
        Tabs()->setCurrentIndex(2);
        QCOMPARE(Buttons(), 0);
        Tabs()->setCurrentIndex(3);
        QCOMPARE(Buttons(), 1);
        List(3)->clearSelection();
        QCOMPARE(Buttons(), 0);
        // A hidden list's selection does not count.
        List(1)->setCurrentItem(List(1)->topLevelItem(1));
        QCOMPARE(Buttons(), 0);
        Click(*dialog_, "viewButton");
        Click(*dialog_, "deleteButton");
        QVERIFY(opened_.empty());
        QCOMPARE(Names(3), QStringList({"Links 2024"}));
    }

    void viewAndDoubleClickOpenTheReportFile() {
        Click(*dialog_, "viewButton");
        Tabs()->setCurrentIndex(1);
        const QPoint line = List(1)->visualItemRect(List(1)->topLevelItem(1)).center();
        QTest::mouseClick(List(1)->viewport(), Qt::LeftButton, Qt::NoModifier, line);
        QCOMPARE(opened_.size(), std::size_t(1));
        QTest::mouseDClick(List(1)->viewport(), Qt::LeftButton, Qt::NoModifier, line);
        const AppPaths& paths = App().paths;
        QCOMPARE(opened_.size(), std::size_t(2));
        QCOMPARE(opened_[0], paths.positionAnalyzerDir + "/Alpha 2024.html");
        QCOMPARE(opened_[1], paths.readinessDir + "/Shop.v2 2024/Shop.v2 2024.html");
    }

    // With no program to show it, "View" says where the report is and can copy the path.
    void viewWithoutAViewerTellsWhereTheReportIs() {
        SetDocumentOpener([this](const std::string& path) {
            opened_.push_back(path);
            return false;
        });
        QGuiApplication::clipboard()->clear();
        prompts_.Answer(PromptAnswer::Ok);
        prompts_.Answer(PromptAnswer::Copy);
        Click(*dialog_, "viewButton");
        Click(*dialog_, "viewButton");
        const std::string file = App().paths.positionAnalyzerDir + "/Alpha 2024.html";
        QCOMPARE(opened_, std::vector<std::string>({file, file}));
        QCOMPARE(prompts_.Calls().size(), std::size_t(2));
        QCOMPARE(prompts_.Calls()[1].buttons, PromptButtons::OkCopyPath);
        QVERIFY(prompts_.Calls()[1].text.contains(QString::fromStdString(file)));
        QVERIFY(!prompts_.Calls()[1].text.contains(QStringLiteral("finished")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(file));
    }

    // A browser that ends with an error at once (xdg-open exits 4 when the browser refuses to
    // run as root) shows nothing: "View" says so and where the report is.
    void viewWhoseBrowserFailsAtOnceTellsWhereTheReportIs() {
        SetDocumentOpener(nullptr);
        const std::string bin = App().paths.workDir + "/bin";
        CreateFolder(bin);
        WriteWholeFile(bin + "/xdg-open", "#!/bin/sh\nexit 4\n");
        ::chmod((bin + "/xdg-open").c_str(), 0755);
        ScopedEnv path("PATH", bin.c_str());
        ScopedEnv browser("BROWSER", nullptr);
        prompts_.Answer(PromptAnswer::Ok);
        Click(*dialog_, "viewButton");
        QTRY_COMPARE_WITH_TIMEOUT(prompts_.Calls().size(), std::size_t(1), 20000);
        const PromptCall& told = prompts_.Calls().back();
        QCOMPARE(told.buttons, PromptButtons::OkCopyPath);
        QVERIFY2(told.text.startsWith(QStringLiteral("The report could not be shown")) &&
                     told.text.contains(QStringLiteral("ended at once with an error")),
                 qPrintable(told.text));
        QVERIFY(told.text.endsWith(
            QString::fromStdString("\n" + App().paths.positionAnalyzerDir + "/Alpha 2024.html")));
    }

    // A readiness run made with the Nested Check is marked so beside its date.
    void aNestedReadinessRunIsMarked() {
        Project deep;
        deep.SetName("Deep");
        deep.AddUrl("deep.example");
        deep.PrepareRunNames("Deep");
        CreateFolder(App().paths.readinessDir + "/" + deep.GetReportName());
        WriteSummaryPage(deep, SummaryKind::NestedReadiness);
        Age(App().paths.readinessDir + "/" + deep.GetReportName() + "/" + deep.GetReportName() +
            ".html");
        dialog_.emplace(prompts_);
        QVERIFY(ShowActive(*dialog_));
        Tabs()->setCurrentIndex(1);
        QTreeWidget* list = List(1);
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Kind"));
        QStringList kinds;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            kinds.push_back(list->topLevelItem(row)->text(0) + ": " +
                            list->topLevelItem(row)->text(2));
        }
        QCOMPARE(kinds, QStringList({"Books 2024: One page per site", "Deep: Nested Check",
                                     "Shop.v2 2024: One page per site"}));
        QCoreApplication::processEvents();
        QCOMPARE(
            list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2),
            std::max(list->viewport()->width(), 250 + list->columnWidth(1) + list->columnWidth(2)));
    }

    // Export writes a Site Audit run's data where the user says, in the form its suffix names;
    // a run in which no site answered says so in its line.
    void exportSavesAnAuditRunsDataAndAFailedRunIsMarked() {
        const std::string audits = App().paths.siteAuditDir;
        CreateFolder(audits);
        Run(audits, "Shop 2024");
        WriteWholeFile(audits + "/Shop 2024/results.json", "{\"json\": 1}");
        WriteWholeFile(audits + "/Shop 2024/results.csv", "site,check\r\n");
        CreateFolder(audits + "/Silent 2024");
        WriteWholeFile(audits + "/Silent 2024/Silent 2024.html",
                       "<p>" + std::string(kNoSiteAnsweredBanner) + "</p>");
        dialog_.emplace(prompts_);
        QVERIFY(ShowActive(*dialog_));
        Tabs()->setCurrentIndex(4);
        // Newest first: the failed run was made last.
        QCOMPARE(Names(4), QStringList({"Silent 2024 (failed: no site answered)", "Shop 2024"}));
        List(4)->setCurrentItem(List(4)->topLevelItem(1));
        QPushButton* exportButton = ButtonOf(*dialog_, "exportButton");
        QVERIFY(exportButton->isEnabled());
        const std::string target = App().paths.workDir + "/out";
        for (const char* suffix : {".csv", ".json"}) {
            prompts_.ChooseFile(QString::fromStdString(target + suffix));
            exportButton->click();
        }
        std::string csv;
        std::string json;
        QVERIFY(ReadWholeFile(target + ".csv", csv));
        QVERIFY(ReadWholeFile(target + ".json", json));
        QCOMPARE(csv, std::string("site,check\r\n"));
        QCOMPARE(json, std::string("{\"json\": 1}"));
        // Only the audit's runs have data to export.
        Tabs()->setCurrentIndex(3);
        QVERIFY(!exportButton->isVisible());
    }

    // Each deletion asks first, No as the default; No (or closing the box) keeps the report.
    void deleteAsksThenRemovesTheReportAndItsLine() {
        const AppPaths& paths = App().paths;
        Tabs()->setCurrentIndex(1);
        prompts_.Answer(PromptAnswer::No);
        Click(*dialog_, "deleteButton");
        QVERIFY(FolderExists(paths.readinessDir + "/Books 2024"));
        QCOMPARE(Names(1), QStringList({"Books 2024", "Shop.v2 2024"}));
        QCOMPARE(prompts_.Calls().size(), std::size_t(1));
        QCOMPARE(prompts_.Calls()[0].text,
                 QStringLiteral("Delete the report \"Books 2024\" of %1?\n\nThis cannot be undone.")
                     .arg(List(1)->topLevelItem(0)->text(1)));
        QCOMPARE(prompts_.Calls()[0].buttons, PromptButtons::YesNoDefaultNo);
        Click(*dialog_, "deleteButton");
        QVERIFY(FolderExists(paths.readinessDir + "/Books 2024"));

        prompts_.Answer(PromptAnswer::Yes);
        prompts_.Answer(PromptAnswer::Yes);
        prompts_.Answer(PromptAnswer::Yes);
        Click(*dialog_, "deleteButton");
        QVERIFY(!FolderExists(paths.readinessDir + "/Books 2024"));
        QCOMPARE(Names(1), QStringList({"Shop.v2 2024"}));
        QCOMPARE(Buttons(), 0);

        Tabs()->setCurrentIndex(0);
        ClickRow(List(0), 1);
        Click(*dialog_, "deleteButton");
        QVERIFY(!FileExists(paths.positionAnalyzerDir + "/zeta 2024.html"));
        QCOMPARE(Names(0), QStringList({"Alpha 2024"}));

        // A report that went away meanwhile: the deletion fails and its line stays.
        std::filesystem::remove_all(paths.linkValidatorDir + "/Links 2024");
        Tabs()->setCurrentIndex(3);
        Click(*dialog_, "deleteButton");
        QCOMPARE(Names(3), QStringList({"Links 2024"}));
        QCOMPARE(Buttons(), 1);
        QVERIFY(opened_.empty());
        QVERIFY(prompts_.ScriptUsedUp());
    }

    // Off without a history page; with one, it opens the page through the report opener, and
    // the page is not listed among the run reports.
    void historyButtonOpensTheHistoryPage() {
        QVERIFY(!ButtonOf(*dialog_, "historyButton")->isEnabled());
        Click(*dialog_, "historyButton");
        QVERIFY(opened_.empty());

        const std::string page = App().paths.positionAnalyzerDir + "/history.html";
        QVERIFY(WriteWholeFile(page, "<html></html>"));
        dialog_.emplace(prompts_);
        QVERIFY(ShowActive(*dialog_));
        QCOMPARE(ButtonOf(*dialog_, "historyButton")->text(), QStringLiteral("Position history"));
        QVERIFY(ButtonOf(*dialog_, "historyButton")->isEnabled());
        QCOMPARE(Names(0), QStringList({"Alpha 2024", "zeta 2024"}));
        Click(*dialog_, "historyButton");
        QCOMPARE(opened_, std::vector<std::string>({page}));
        // Only where the positions are: the other tabs have no history.
        for (int tab = 0; tab < Tabs()->count(); ++tab) {
            Tabs()->setCurrentIndex(tab);
            QCOMPARE(ButtonOf(*dialog_, "historyButton")->isVisible(), tab == 0);
        }
    }

    // Runs of one project differ by their time: the newest is on top, each line named by its
    // project, and an audit run says which sites it audited and what it found.
    void runsAreNewestFirstAndAuditRunsShowTheirSitesAndFindings() {
        const AppPaths& paths = App().paths;
        AuditSite own;
        own.url = "127.0.0.1:8091/";
        own.findings.resize(3);
        own.findings[0].severity = AuditSeverity::Error;
        own.findings[1].severity = AuditSeverity::Warning;
        own.findings[2].severity = AuditSeverity::Warning;
        AuditSite rival;
        rival.url = "rival.example/";
        const std::string page =
            AuditSummaryPage({{&own, "own.html"}, {&rival, "rival.html"}}, "Shop", 0);
        // Made by the first audit.
        CreateFolder(paths.siteAuditDir);
        Run(paths.siteAuditDir, "Shop_12_31_2025[23-59-59]", page);
        Run(paths.siteAuditDir, "Shop_01_02_2026[08-00-00]");
        Age(paths.siteAuditDir + "/Shop_01_02_2026[08-00-00]/Shop_01_02_2026[08-00-00].html",
            kWritten + 86400);
        dialog_.emplace(prompts_);
        QVERIFY(ShowActive(*dialog_));
        QTreeWidget* list = List(4);
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Sites"));
        QCOMPARE(list->headerItem()->text(3), QStringLiteral("Findings"));
        QCOMPARE(Names(4), QStringList({"Shop", "Shop"}));
        QCOMPARE(list->topLevelItem(0)->toolTip(0),
                 QStringLiteral("Shop_01_02_2026[08-00-00].html"));
        // A page that says nothing of its sites leaves the cells empty.
        QCOMPARE(list->topLevelItem(0)->text(2), QString());
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("127.0.0.1:8091/, rival.example/"));
        QCOMPARE(list->topLevelItem(1)->text(3), QStringLiteral("1 error, 2 warnings, 0 notices"));
        Tabs()->setCurrentIndex(4);
        ClickRow(list, 1);
        Click(*dialog_, "viewButton");
        QCOMPARE(opened_,
                 std::vector<std::string>({paths.siteAuditDir + "/Shop_12_31_2025[23-59-59]/"
                                                                "Shop_12_31_2025[23-59-59].html"}));
    }
};

SG_REGISTER_UI_TEST(CPreviousDialogTest);

}  // namespace sg::test

#include "CPreviousDialogTest.moc"
