// The site position dialog: what it shows, when "Search" is enabled, and whole Position
// Analyzer runs against the engine emulator with the status window, a skip, a stop and a close
// in the middle of a run.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "demo/EngineEmulator.h"
#include "engines/EngineCatalogue.h"
#include "engines/LiveSearch.h"
#include "engines/PositionAnalyzerRun.h"
#include "model/AppState.h"
#include "net/MetasearchSetting.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "ui/CPosAnStatus.h"
#include "ui/CSitePosDialog.h"
#include "ui/HeldEngine.h"
#include "ui/ModalCloser.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {
namespace {

using Search = std::pair<int, std::string>;  // engine, encoded keyword

QTreeWidget* EnginesOf(QWidget& dialog) {
    return Control<QTreeWidget>(dialog, "engineList");
}

void CheckOnly(QWidget& dialog, const std::vector<EngineId>& engines) {
    QTreeWidget* list = EnginesOf(dialog);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        bool wanted = false;
        for (EngineId id : engines) {
            wanted = wanted || EngineIndex(id) == row;
        }
        list->topLevelItem(row)->setCheckState(0, wanted ? Qt::Checked : Qt::Unchecked);
    }
}

// The status window's log, newest line first.
QStringList LogTexts(CPosAnStatus& status) {
    auto* log = Control<QTreeWidget>(status, "logList");
    QStringList texts;
    for (int row = 0; row < log->topLevelItemCount(); ++row) {
        texts.push_back(log->topLevelItem(row)->text(0));
    }
    return texts;
}

std::vector<std::string> Filler(int count) {
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i) {
        addresses.push_back("http://www.r" + std::to_string(i) + ".test/");
    }
    return addresses;
}

// The run reports, without the history table and page beside them.
std::vector<std::string> ReportFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(App().paths.positionAnalyzerDir)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("history.")) {
            names.push_back(name);
        }
    }
    return names;
}

// Prompts whose every question closes the dialog while it is being asked, as ending the
// program with the question open would.
class ClosingPrompts : public ScriptedPrompts {
  public:
    QDialog* dialog = nullptr;
    PromptAnswer Ask(QWidget* parent, const QString& caption, const QString& text,
                     PromptButtons buttons, PromptIcon icon) override {
        ScriptedPrompts::Ask(parent, caption, text, buttons, icon);
        dialog->done(QDialog::Rejected);
        return PromptAnswer::Yes;
    }
};

}  // namespace

class CSitePosDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::optional<EngineEmulator> emulator_;
    std::mutex openedMutex_;
    std::vector<std::string> opened_;

    std::vector<std::string> Opened() {
        std::lock_guard<std::mutex> lock(openedMutex_);
        return opened_;
    }
    std::vector<Search> Searches() const {
        std::vector<Search> searches;
        for (const EmulatorRequest& request : emulator_->Requests()) {
            if (request.query == EmulatorQuery::KeywordSearch) {
                searches.emplace_back(request.engine, request.term);
            }
        }
        return searches;
    }
    static void Project(const char* name, std::vector<const char*> sites,
                        std::vector<const char*> keywords) {
        sg::Project& project = App().project;
        project.SetName(name);
        for (const char* site : sites) {
            project.AddUrl(site);
        }
        for (const char* keyword : keywords) {
            project.AddKeyword(keyword);
        }
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
        emulator_.emplace();
        QVERIFY(emulator_->Start());
        emulator_->PointEngineHostsHere();
    }
    void cleanup() {
        SetMetasearchInstance("");
        emulator_.reset();
        SetOnlineCheck({});
        SetDocumentOpener({});
        prompts_.reset();
        fixture_.reset();
    }

    void openingShowsTheProjectEveryEngineCheckedAndTheDepths() {
        Project("Shop", {"www.zeta.test", "www.alpha.test"}, {"socks", "blue shoes"});
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Analyze position"));
        // Project order, not sorted.
        QCOMPARE(Texts(Control<QListWidget>(dialog, "keywordList")),
                 QStringList({"socks", "blue shoes"}));
        QCOMPARE(Texts(Control<QListWidget>(dialog, "siteList")),
                 QStringList({"www.zeta.test", "www.alpha.test"}));
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            labels.push_back(label->text());
        }
        for (const char* text : {"Keywords", "Web sites", "Engines", "Search to Position :"}) {
            QVERIFY2(labels.contains(QString::fromLatin1(text)), text);
        }

        QTreeWidget* engines = EnginesOf(dialog);
        QVERIFY(engines->isHeaderHidden());
        QCOMPARE(engines->columnCount(), 1);
        QCOMPARE(engines->headerItem()->text(0), QStringLiteral("Search Engines"));
        QCOMPARE(engines->selectionMode(), QAbstractItemView::SingleSelection);
        // Whole names: the designed labels ("oogle", "TheWeb", "ahoo", "verture") left their
        // first letters to logos the list does not show.
        const QStringList expected = {"Altavista", "Google",    "AllTheWeb", "MSN",
                                      "HotBot",    "Euroseek",  "Yahoo",     "Overture",
                                      "Excite",    "AskJeeves", "AOL"};
        QStringList shown;
        QImage previous;
        for (int row = 0; row < engines->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = engines->topLevelItem(row);
            shown.push_back(item->text(0));
            QCOMPARE(item->checkState(0), Qt::Checked);
            const QImage icon = item->icon(0).pixmap(16, 16).toImage();
            QCOMPARE(icon.size(), QSize(16, 16));
            QVERIFY2(icon != previous, qPrintable(item->text(0)));
            previous = icon;
        }
        QCOMPARE(shown, expected);

        auto* depth = Control<QComboBox>(dialog, "depthCombo");
        QCOMPARE(depth->currentText(), QStringLiteral("100"));
        QStringList depthTexts;
        QList<int> depths;
        for (int i = 0; i < depth->count(); ++i) {
            depthTexts.push_back(depth->itemText(i));
            depth->setCurrentIndex(i);
            depths.push_back(dialog.DepthFromSelection());
            // The run reads the depth from the snapshot, which follows the choice.
            QCOMPARE(dialog.Depth(), dialog.DepthFromSelection());
        }
        QCOMPARE(depthTexts, QStringList({"100", "200", "300", "400", "500", "600", "700", "800",
                                          "900", "1000", "5000", "All"}));
        QCOMPARE(depths, QList<int>({100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 5000, 0}));
        depth->setCurrentIndex(-1);
        QCOMPARE(dialog.DepthFromSelection(), 0);
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
    }

    // Every engine name is shown whole, also a long live one: the column is as wide as the
    // widest name with its icon (ctest runs this at scale 1 and, as ui.CSitePosDialogScale2,
    // at QT_SCALE_FACTOR=2).
    void engineNamesAreShownWhole() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        emulator_->Metasearch().SetResults("wikimedia commons images", "socks", {});
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        QTreeWidget* list = EnginesOf(dialog);
        QCOMPARE(list->textElideMode(), Qt::ElideNone);
        auto wholeNames = [list] {
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                const QString text = list->topLevelItem(row)->text(0);
                const int needed =
                    list->fontMetrics().horizontalAdvance(text) + list->iconSize().width();
                if (list->columnWidth(0) < needed) {
                    return text;
                }
            }
            return QString();
        };
        QCOMPARE(wholeNames(), QString());
        // The designed engines fit without scrolling sideways.
        QVERIFY2(list->columnWidth(0) <= list->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2")
                                .arg(list->columnWidth(0))
                                .arg(list->viewport()->width())));

        // A live engine's long name widens the column; the list scrolls instead of cutting it.
        QSignalSpy loaded(&dialog, &CSitePosDialog::liveEnginesLoaded);
        Control<QLineEdit>(dialog, "metasearchEdit")
            ->setText(QString::fromStdString(emulator_->MetasearchAddress()));
        dialog.LoadLiveEngines();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QCOMPARE(list->topLevelItemCount(), kEngineCount + 1);
        QCOMPARE(wholeNames(), QString());
    }

    void searchNeedsAnEngineAKeywordAndASite() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        {
            CSitePosDialog dialog(*prompts_);
            QPushButton* search = ButtonOf(dialog, "searchButton");
            QTreeWidget* engines = EnginesOf(dialog);
            for (int row = 0; row < kEngineCount; ++row) {
                QVERIFY(search->isEnabled());
                QVERIFY(dialog.EngineChecked(static_cast<EngineId>(row)));
                engines->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
                QVERIFY(!dialog.EngineChecked(static_cast<EngineId>(row)));
            }
            QVERIFY(!search->isEnabled());
            QVERIFY(!dialog.UpdateSearchButton());
            engines->topLevelItem(EngineIndex(EngineId::AOL))->setCheckState(0, Qt::Checked);
            QVERIFY(search->isEnabled());
            QVERIFY(dialog.EngineChecked(EngineId::AOL));
        }
        App().project.ClearUrls();
        {
            CSitePosDialog dialog(*prompts_);
            QVERIFY(!ButtonOf(dialog, "searchButton")->isEnabled());
        }

        // Sites but no keyword: disabled until "Edit Project" adds one.
        App().project.ClearKeywords();
        App().project.AddUrl("www.alpha.test");
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        QVERIFY(!ButtonOf(dialog, "searchButton")->isEnabled());
        std::string keyword;
        QVERIFY(!dialog.KeywordAt(0, keyword));
        ModalCloser closer([](QDialog& project) {
            Type(EditOf(project, "keywordEdit"), QStringLiteral("red socks"));
            Click(project, "keywordAddButton");
            Type(EditOf(project, "urlEdit"), QStringLiteral("www.beta.test"));
            Click(project, "urlAddButton");
        });
        Click(dialog, "editProjectButton");
        QCOMPARE(closer.Titles(), QStringList({"Project"}));
        QCOMPARE(Texts(Control<QListWidget>(dialog, "keywordList")), QStringList({"red socks"}));
        QCOMPARE(Texts(Control<QListWidget>(dialog, "siteList")),
                 QStringList({"www.alpha.test", "www.beta.test"}));
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
        // The run's snapshot has the new lists too.
        QVERIFY(dialog.KeywordAt(0, keyword));
        QCOMPARE(keyword, std::string("red socks"));
        QVERIFY(!dialog.KeywordAt(1, keyword));
        QCOMPARE(dialog.Sites(), std::vector<std::string>({"www.alpha.test", "www.beta.test"}));
    }

    void aRunSearchesEachKeywordOnTheCheckedEnginesAndOpensTheReport() {
        Project("Shop", {"www.alpha.test", "beta.test"}, {"blue shoes", "socks"});
        for (EngineId id : {EngineId::AltaVista, EngineId::MSN, EngineId::AOL}) {
            for (const char* keyword : {"blue shoes", "socks"}) {
                emulator_->SetResults(id, keyword, {"http://www.alpha.test/", "http://beta.test/"});
            }
        }
        // Google would find the sites too, but it is not checked.
        emulator_->SetResults(EngineId::Google, "socks", {"http://www.alpha.test/"});
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        CheckOnly(dialog, {EngineId::AltaVista, EngineId::MSN, EngineId::AOL});
        QSignalSpy ended(&dialog, &CSitePosDialog::runEnded);
        Click(dialog, "searchButton");
        QVERIFY(dialog.Running());
        QVERIFY(!ButtonOf(dialog, "searchButton")->isEnabled());
        QVERIFY(!ButtonOf(dialog, "closeButton")->isEnabled());
        QVERIFY(ButtonOf(dialog, "editProjectButton")->isEnabled());
        QPointer<CPosAnStatus> status = dialog.Status();
        QVERIFY(status != nullptr);
        QVERIFY(status->isVisible());
        QVERIFY(!status->isModal());
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toInt(), kPositionReportWritten);

        const std::vector<Search> expected = {
            {EngineIndex(EngineId::AltaVista), "blue%20shoes"},
            {EngineIndex(EngineId::MSN), "blue%20shoes"},
            {EngineIndex(EngineId::AOL), "blue%20shoes"},
            {EngineIndex(EngineId::AltaVista), "socks"},
            {EngineIndex(EngineId::MSN), "socks"},
            {EngineIndex(EngineId::AOL), "socks"},
        };
        QVERIFY(Searches() == expected);

        const std::vector<std::string> files = ReportFiles();
        QCOMPARE(files.size(), size_t(1));
        QCOMPARE(Opened(),
                 std::vector<std::string>({App().paths.positionAnalyzerDir + "/" + files.front()}));
        const std::string report = FileText(Opened().front());
        for (const char* header : {"Altavista", "MSN", "AOL"}) {
            QVERIFY2(report.find(header) != std::string::npos, header);
        }
        QVERIFY(report.find("Google") == std::string::npos);

        // No warning: the window closed by itself and is gone; the dialog is usable again.
        QTRY_VERIFY(status == nullptr);
        QCOMPARE(dialog.Status(), nullptr);
        QVERIFY(!dialog.Running());
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
        QVERIFY(ButtonOf(dialog, "closeButton")->isEnabled());
        QVERIFY(prompts_->Calls().empty());
    }

    void liveEnginesFollowTheDesignedOnesAndAreSearched() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        SetLivePagePause(std::chrono::milliseconds(0));
        emulator_->Metasearch().SetResults("google", "socks",
                                           {"http://www.r1.test/", "http://www.alpha.test/"});
        emulator_->Metasearch().SetResults("bing", "socks", {"http://www.alpha.test/"});
        // Names as an instance may give them: with a blank, with a leading digit.
        emulator_->Metasearch().SetResults("loop back", "socks", {"http://www.alpha.test/"});
        emulator_->Metasearch().SetResults("9lives", "socks", {"http://www.alpha.test/"});
        SetMetasearchInstance(emulator_->MetasearchAddress());
        CSitePosDialog dialog(*prompts_);
        QSignalSpy loaded(&dialog, &CSitePosDialog::liveEnginesLoaded);
        QVERIFY(ShowActive(dialog));
        QCOMPARE(Control<QLineEdit>(dialog, "metasearchEdit")->text(),
                 QString::fromStdString(emulator_->MetasearchAddress()));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QTreeWidget* list = EnginesOf(dialog);
        QCOMPARE(list->topLevelItemCount(), kEngineCount + 4);
        QCOMPARE(list->topLevelItem(kEngineCount)->text(0), QStringLiteral("google (live)"));
        QCOMPARE(list->topLevelItem(kEngineCount + 2)->text(0), QStringLiteral("loop back (live)"));
        QCOMPARE(list->topLevelItem(kEngineCount + 3)->text(0), QStringLiteral("9lives (live)"));
        QCOMPARE(list->topLevelItem(kEngineCount + 1)->checkState(0), Qt::Unchecked);
        QVERIFY(Control<QLabel>(dialog, "liveStatus")->text().startsWith("4 live engines"));

        // A live engine alone is enough to search.
        CheckOnly(dialog, {});
        QVERIFY(!ButtonOf(dialog, "searchButton")->isEnabled());
        list->topLevelItem(kEngineCount)->setCheckState(0, Qt::Checked);
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
        list->topLevelItem(kEngineCount + 2)->setCheckState(0, Qt::Checked);
        list->topLevelItem(kEngineCount + 3)->setCheckState(0, Qt::Checked);
        QSignalSpy ended(&dialog, &CSitePosDialog::runEnded);
        Click(dialog, "searchButton");
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toInt(), kPositionReportWritten);
        QVERIFY(Searches().empty());
        const std::string report = FileText(Opened().front());
        QVERIFY(report.find(">google (live)</font>") != std::string::npos);
        QVERIFY(report.find("bing") == std::string::npos);
        QVERIFY(report.find("/metasearch/search?q=socks&amp;engines=google&amp;pageno=1") !=
                std::string::npos);
        QVERIFY(report.find(">loop back (live)</font>") != std::string::npos);
        QVERIFY(report.find("engines=loop%20back&amp;pageno=1\"><u> 1 </u>") != std::string::npos);
        QVERIFY(report.find("engines=9lives&amp;pageno=1\"><u> 1 </u>") != std::string::npos);
        SetLivePagePause(std::chrono::milliseconds(1000));
    }

    void aBadOrSilentInstanceLeavesTheDesignedEngines() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        QSignalSpy loaded(&dialog, &CSitePosDialog::liveEnginesLoaded);
        auto* edit = Control<QLineEdit>(dialog, "metasearchEdit");

        // Not an address: refused with a message, nothing kept, nothing asked.
        edit->setText("ftp://127.0.0.1:1");
        Click(dialog, "liveEnginesButton");
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QCOMPARE(prompts_->Calls().back().icon, PromptIcon::Warning);
        QVERIFY(MetasearchInstance().empty());
        QVERIFY(!FileExists(App().paths.metasearchFile));

        // A port nobody listens on: kept and in force, but the list says why it is empty.
        edit->setText("http://127.0.0.1:1/");
        Click(dialog, "liveEnginesButton");
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 15000);
        QCOMPARE(MetasearchInstance(), std::string("http://127.0.0.1:1"));
        QCOMPARE(FileText(App().paths.metasearchFile), std::string("http://127.0.0.1:1\n"));
        QCOMPARE(EnginesOf(dialog)->topLevelItemCount(), kEngineCount);
        QVERIFY(Control<QLabel>(dialog, "liveStatus")->text().contains("could not be reached"));
        QCOMPARE(prompts_->Calls().size(), size_t(2));
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
        QVERIFY(ButtonOf(dialog, "liveEnginesButton")->isEnabled());
    }

    void anOfflineMachineGetsTheErrorLineAndTheWindowStays() {
        SetOnlineCheck([] { return false; });
        Project("Shop", {"www.alpha.test"}, {"socks"});
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        QSignalSpy ended(&dialog, &CSitePosDialog::runEnded);
        Click(dialog, "searchButton");
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toInt(), kPositionOffline);
        CPosAnStatus* status = dialog.Status();
        QVERIFY(status != nullptr);
        QVERIFY(status->isVisible());
        QCOMPARE(LogTexts(*status),
                 QStringList({"The application has detected that you are not connected to the "
                              "internet."}));
        QVERIFY(!ButtonOf(*status, "skipButton")->isEnabled());
        QVERIFY(ButtonOf(*status, "closeButton")->isEnabled());
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
        QVERIFY(ButtonOf(dialog, "closeButton")->isEnabled());
        QVERIFY(emulator_->Requests().empty());
        QVERIFY(ReportFiles().empty());
        QVERIFY(Opened().empty());
    }

    void aSkipMidSearchIsLoggedAndLeavesTheWindowOpen() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        emulator_->SetResults(EngineId::Google, "socks", Filler(30));
        emulator_->SetResults(EngineId::AOL, "socks", {"http://www.alpha.test/"});
        HeldEngine google(*emulator_, EngineId::Google, 1);
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        CheckOnly(dialog, {EngineId::Google, EngineId::AOL});
        QSignalSpy ended(&dialog, &CSitePosDialog::runEnded);
        Click(dialog, "searchButton");
        CPosAnStatus* status = dialog.Status();
        QVERIFY(status != nullptr);

        // Page 1 is read and page 2 is held: Google is being searched.
        QTRY_COMPARE(google.Arrived(), 2);
        QTRY_COMPARE(Control<QLabel>(*status, "positionText")->text(), QStringLiteral("10"));
        QCOMPARE(Control<QLabel>(*status, "engineText")->text(), QStringLiteral("Google"));
        QCOMPARE(Control<QLabel>(*status, "keywordText")->text(), QStringLiteral("socks"));
        QCOMPARE(status->ShownLogo(), EngineIndex(EngineId::Google));
        QTRY_VERIFY(ButtonOf(*status, "skipButton")->isEnabled());
        prompts_->Answer(PromptAnswer::Yes);
        Click(*status, "skipButton");
        QVERIFY(!ButtonOf(*status, "skipButton")->isEnabled());
        QVERIFY(!ButtonOf(*status, "closeButton")->isEnabled());
        // The held page does not hold the skip: it is asked and done while Google still waits.
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toInt(), kPositionReportWritten);
        google.Release();

        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QCOMPARE(prompts_->Calls().front().text,
                 QStringLiteral("Are you sure you want to skip current engine ?"));
        QCOMPARE(prompts_->Calls().front().caption, QStringLiteral("Sitegauge Version 6.0"));
        QCOMPARE(LogTexts(*status),
                 QStringList({"AOL found www.alpha.test on position 1", "Connected to AOL",
                              "User skipped Google on position 10", "Connected to Google"}));
        // Google's third page was never asked for.
        QCOMPARE(google.Arrived(), 2);

        // The window stays, scrolled to the skip line; the report is still written and opened.
        QCOMPARE(dialog.Status(), status);
        QVERIFY(status->isVisible());
        auto* log = Control<QTreeWidget>(*status, "logList");
        QCOMPARE(log->currentItem(), log->topLevelItem(2));
        QVERIFY(!ButtonOf(*status, "skipButton")->isEnabled());
        QVERIFY(ButtonOf(*status, "closeButton")->isEnabled());
        // The last keyword, engine and counts stay in view beside the end line.
        QCOMPARE(Control<QLabel>(*status, "engineText")->text(), QStringLiteral("AOL"));
        QCOMPARE(Control<QLabel>(*status, "keywordText")->text(), QStringLiteral("socks"));
        QCOMPARE(Control<QLabel>(*status, "positionText")->text(), QStringLiteral("1"));
        QCOMPARE(Control<QLabel>(*status, "endText")->text(),
                 QStringLiteral("The run is finished: the report is written and opened in your "
                                "browser."));
        QVERIFY(Control<QLabel>(*status, "endText")->isVisible());
        QCOMPARE(Opened().size(), size_t(1));
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());

        // Now "Close" ends the window for good.
        QPointer<CPosAnStatus> watched = status;
        Click(*status, "closeButton");
        QCOMPARE(dialog.Status(), nullptr);
        QTRY_VERIFY(watched == nullptr);
    }

    // Against a held (slow) engine whose page has nothing left to read: the window shows the
    // depth while it waits, and a Close made then is still asked about when the page comes.
    void aCloseWhileASlowEngineAnswersIsAskedAndTheWindowKeepsItsPlace() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        emulator_->SetResults(EngineId::AOL, "socks", {"http://www.alpha.test/"});
        HeldEngine google(*emulator_, EngineId::Google, 0);
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        CheckOnly(dialog, {EngineId::Google, EngineId::AOL});
        QSignalSpy ended(&dialog, &CSitePosDialog::runEnded);
        Click(dialog, "searchButton");
        CPosAnStatus* status = dialog.Status();
        QVERIFY(status != nullptr);
        QTRY_COMPARE(google.Arrived(), 1);
        QTRY_COMPARE(Control<QLabel>(*status, "searchToText")->text(), QStringLiteral("100"));
        prompts_->Answer(PromptAnswer::Yes);
        Click(*status, "closeButton");
        google.Release();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toInt(), kPositionStopped);
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QCOMPARE(prompts_->Calls().front().text,
                 QStringLiteral("Are you sure you want to skip searching  ?"));
        QCOMPARE(LogTexts(*status).front(), QStringLiteral("User skip searching "));
        QVERIFY(Opened().empty());
        QCOMPARE(emulator_->RequestCount(EngineId::AOL, EmulatorQuery::KeywordSearch), 0);
        // Still open, above the dialog, where the run stopped.
        QVERIFY(status->isVisible());
        QCOMPARE(status->parentWidget(), &dialog);
        QCOMPARE(Control<QLabel>(*status, "keywordText")->text(), QStringLiteral("socks"));
        QVERIFY(ButtonOf(*status, "closeButton")->isEnabled());
    }

    void aStopConfirmedInTheSecondKeywordWritesNoReport() {
        Project("Shop", {"www.alpha.test"}, {"boots", "socks"});
        emulator_->SetResults(EngineId::Google, "socks", Filler(30));
        emulator_->SetResults(EngineId::AOL, "boots", {"http://www.alpha.test/"});
        emulator_->SetResults(EngineId::AOL, "socks", {"http://www.alpha.test/"});
        // Passed: Google and "boots", Google's first page of "socks"; held: its second page.
        HeldEngine google(*emulator_, EngineId::Google, 2);
        CSitePosDialog dialog(*prompts_);
        QVERIFY(ShowActive(dialog));
        CheckOnly(dialog, {EngineId::Google, EngineId::AOL});
        QSignalSpy ended(&dialog, &CSitePosDialog::runEnded);
        Click(dialog, "searchButton");
        CPosAnStatus* status = dialog.Status();
        QVERIFY(status != nullptr);
        QTRY_COMPARE(google.Arrived(), 3);
        QTRY_COMPARE(Control<QLabel>(*status, "positionText")->text(), QStringLiteral("10"));
        QCOMPARE(Control<QLabel>(*status, "keywordText")->text(), QStringLiteral("socks"));
        QTRY_VERIFY(ButtonOf(*status, "closeButton")->isEnabled());

        prompts_->Answer(PromptAnswer::Yes);
        Click(*status, "closeButton");
        QVERIFY(status->StopRequested());
        google.Release();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(0).toInt(), kPositionStopped);

        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QCOMPARE(prompts_->Calls().front().text,
                 QStringLiteral("Are you sure you want to skip searching  ?"));
        QCOMPARE(LogTexts(*status).front(), QStringLiteral("User skip searching "));
        QTRY_COMPARE(Control<QLabel>(*status, "endText")->text(),
                     QStringLiteral("The run was stopped: no report was written."));
        QCOMPARE(Control<QLabel>(*status, "engineText")->text(), QStringLiteral("Google"));
        QCOMPARE(emulator_->RequestCount(EngineId::AOL, EmulatorQuery::KeywordSearch), 1);
        QVERIFY(ReportFiles().empty());
        QTest::qWait(50);
        QVERIFY(Opened().empty());
        QVERIFY(ButtonOf(dialog, "searchButton")->isEnabled());
        QVERIFY(ButtonOf(dialog, "closeButton")->isEnabled());
        // The skip line is a warning: the window stays for the user to read.
        QCOMPARE(dialog.Status(), status);
        QVERIFY(status->isVisible());

        // A new run replaces the old window.
        QPointer<CPosAnStatus> old = status;
        Click(dialog, "searchButton");
        QVERIFY(dialog.Status() != nullptr);
        QVERIFY(dialog.Status() != status);
        QVERIFY(old == nullptr || !old->isVisible());
        QTRY_VERIFY(old == nullptr);
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(1).at(0).toInt(), kPositionReportWritten);
    }

    void closingTheDialogDuringARunCancelsAndJoinsIt() {
        Project("Shop", {"www.alpha.test"}, {"socks"});
        emulator_->SetResults(EngineId::Google, "socks", Filler(30));
        {
            // The run waits for a result page.
            HeldEngine google(*emulator_, EngineId::Google, 0);
            CSitePosDialog dialog(*prompts_);
            QVERIFY(ShowActive(dialog));
            CheckOnly(dialog, {EngineId::Google});
            Click(dialog, "searchButton");
            QTRY_COMPARE(google.Arrived(), 1);
            // Escape is ignored while the run goes on; closing the dialog ends the run.
            dialog.reject();
            QVERIFY(dialog.isVisible());
            QVERIFY(dialog.Running());
            dialog.done(QDialog::Rejected);
            QVERIFY(!dialog.isVisible());
            QVERIFY(!dialog.Running());
            QCOMPARE(dialog.Status(), nullptr);
            QCOMPARE(dialog.LastOutcome(), kPositionCancelled);
        }
        {
            // The run waits for the answer to a question that the closing interrupts.
            ClosingPrompts closing;
            HeldEngine google(*emulator_, EngineId::Google, 1);
            CSitePosDialog dialog(closing);
            closing.dialog = &dialog;
            QVERIFY(ShowActive(dialog));
            CheckOnly(dialog, {EngineId::Google});
            Click(dialog, "searchButton");
            QTRY_COMPARE(google.Arrived(), 2);
            QTRY_VERIFY(ButtonOf(*dialog.Status(), "skipButton")->isEnabled());
            Click(*dialog.Status(), "skipButton");
            google.Release();
            QTRY_VERIFY(!dialog.isVisible());
            QCOMPARE(closing.Calls().size(), size_t(1));
            QCOMPARE(dialog.LastOutcome(), kPositionCancelled);
            QCOMPARE(dialog.Status(), nullptr);
            QTest::qWait(50);
        }
        {
            // Destroyed with the run going, as when the program ends.
            HeldEngine google(*emulator_, EngineId::Google, 0);
            auto dialog = std::make_unique<CSitePosDialog>(*prompts_);
            QVERIFY(ShowActive(*dialog));
            Click(*dialog, "searchButton");
            QTRY_VERIFY(google.Arrived() >= 1);
            dialog.reset();
        }
        QVERIFY(ReportFiles().empty());
        QVERIFY(Opened().empty());
        QVERIFY(prompts_->Calls().empty());
    }
};

SG_REGISTER_UI_TEST(CSitePosDialogTest);

}  // namespace sg::test

#include "CSitePosDialogTest.moc"
