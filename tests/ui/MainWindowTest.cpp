// The main window: what each area opens (the Project dialog first where the project needs
// it), the highlight and cursor following the pointer, the buttons, and the splash option.

#include <QElapsedTimer>
#include <QSplashScreen>
#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "platform/OpenDocument.h"
#include "ui/AnalyzeDialog.h"
#include "ui/MainWindow.h"
#include "ui/ModalCloser.h"
#include "ui/ProjectDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/SplashOption.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::optional<MainWindow> window_;

    QPoint Centre(int area) { return MainAreaRect(area).center(); }
    void ClickArea(int area) { QTest::mouseClick(&*window_, Qt::LeftButton, {}, Centre(area)); }
    void MoveTo(const QPoint& point) {
        QMouseEvent move(QEvent::MouseMove, point, window_->mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&*window_, &move);
    }
    bool Shows(int area, bool highlighted) {
        return window_->ShownImage(area).cacheKey() ==
               window_->AreaImage(area, highlighted).cacheKey();
    }
    // The share of pixels whose colour differs enough to be seen at a glance.
    static double PlainlyDifferent(const QImage& a, const QImage& b) {
        if (a.size() != b.size() || a.isNull()) {
            return 0;
        }
        int plain = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QColor p = a.pixelColor(x, y);
                const QColor q = b.pixelColor(x, y);
                const int distance = std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                                     std::abs(p.blue() - q.blue());
                plain += distance > 120 ? 1 : 0;
            }
        }
        return static_cast<double>(plain) / (a.width() * a.height());
    }
    // The dialogs a click on `area` opened, each closed as it came.
    QStringList Opens(int area) {
        ModalCloser closer;
        ClickArea(area);
        return closer.Titles();
    }

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        window_.emplace(*prompts_, false);
        QVERIFY(ShowActive(*window_));
    }
    void cleanup() {
        window_.reset();
        prompts_.reset();
        fixture_.reset();
    }

    void analyzeAreasAskForTheProjectFirstOnlyWhenTheFirstUrlIsUnusable() {
        // Left empty, the Project dialog (which says why it opened) is followed by the Analyze
        // dialog all the same.
        QStringList notes;
        {
            ModalCloser closer([&](QDialog& dialog) {
                if (auto* project = qobject_cast<ProjectDialog*>(&dialog)) {
                    notes.push_back(project->Note());
                }
            });
            ClickArea(3);
            QCOMPARE(closer.Titles(), QStringList({"Project", "Search Engine Readiness"}));
            App().project.AddUrl("www.shop.com");
            ClickArea(2);
        }
        QCOMPARE(notes.size(), 2);
        QVERIFY2(notes[0].startsWith(QStringLiteral("Search Engine Readiness needs the address "
                                                    "of your site")),
                 qPrintable(notes[0]));
        QVERIFY2(notes[1].contains(QStringLiteral("at least one keyword")), qPrintable(notes[1]));
        App().project.ClearUrls();
        App().project.AddUrl("http://");
        QCOMPARE(Opens(5), QStringList({"Project", "Link Validator"}));
        App().project.ClearUrls();
        App().project.AddUrl("www.shop.com");
        QCOMPARE(Opens(4), QStringList({"Link Popularity"}));
        QCOMPARE(Opens(3), QStringList({"Search Engine Readiness"}));
        QCOMPARE(Opens(1), QStringList({"Project"}));
        QCOMPARE(Opens(6), QStringList({"Previous Reports Results"}));
        QVERIFY(prompts_->Calls().empty());
    }

    // Each analysis area names itself in the note, Alt+7 (the Site Audit) included; edits made
    // from the Analyze dialog show on the main window while that dialog is still open.
    void eachAreaNamesItselfAndTheStripFollowsEditsFromItsDialog() {
        for (const auto& [area, title] :
             std::vector<std::pair<int, QString>>{{3, "Search Engine Readiness"},
                                                  {4, "Link Popularity"},
                                                  {5, "Link Validator"},
                                                  {7, "Site Audit"}}) {
            QString note;
            ModalCloser closer([&](QDialog& dialog) {
                if (auto* project = qobject_cast<ProjectDialog*>(&dialog)) {
                    note = project->Note();
                }
            });
            QTest::keyClick(&*window_, static_cast<Qt::Key>(Qt::Key_0 + area), Qt::AltModifier);
            QVERIFY2(note.startsWith(title + QStringLiteral(" needs the address of your site")),
                     qPrintable(note));
            QVERIFY(ShowActive(*window_));
        }

        App().project.AddUrl("www.shop.com");
        QString stripMeanwhile;
        QStringList inner;
        ModalCloser closer([&](QDialog& analyze) {
            // A closer of its own: the outer one is busy in this call.
            ModalCloser project(
                [](QDialog& dialog) { Retype(EditOf(dialog, "nameEdit"), "Named Meanwhile"); });
            Click(analyze, "editProjectButton");
            inner = project.Titles();
            stripMeanwhile = window_->ProjectText();
        });
        ClickArea(5);
        QCOMPARE(closer.Titles(), QStringList({"Link Validator"}));
        QCOMPARE(inner, QStringList({"Project"}));
        QVERIFY2(stripMeanwhile.startsWith(QStringLiteral("Project: Named Meanwhile")),
                 qPrintable(stripMeanwhile));
    }

    void thePositionAreaAlsoNeedsAKeyword() {
        App().project.AddUrl("www.shop.com");
        QCOMPARE(Opens(2), QStringList({"Project", "Analyze position"}));
        App().project.AddKeyword("shoes");
        QCOMPARE(Opens(2), QStringList({"Analyze position"}));
        App().project.ClearUrls();
        QCOMPARE(Opens(2), QStringList({"Project", "Analyze position"}));
        QVERIFY(prompts_->Calls().empty());
    }

    // Tab walks the seven areas in order, each drawn lit while it has the focus from the
    // keyboard; Enter, Space and Alt with the area's digit open them.
    void theAreasAreReachedAndOpenedFromTheKeyboard() {
        App().project.AddUrl("www.shop.com");
        App().project.AddKeyword("shoes");
        // Not empty now, so "Try the demo" is gone from the way.
        window_->ShowProject();
        auto area = [this](int n) {
            return window_->findChild<QWidget*>(QStringLiteral("area%1").arg(n));
        };
        for (int n = 1; n <= kMainAreaCount; ++n) {
            QVERIFY(Shows(n, false));
        }
        ButtonOf(*window_, "okButton")->setFocus();
        for (int n = 1; n <= kMainAreaCount; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), area(n));
            for (int other = 1; other <= kMainAreaCount; ++other) {
                QVERIFY2(Shows(other, other == n), qPrintable(QString::number(other)));
            }
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QPushButton* tutorial = ButtonOf(*window_, "tutorialButton");
        QCOMPARE(QApplication::focusWidget(), tutorial);
        QVERIFY(Shows(6, false));
        // The button with the focus is marked plainly, as Space would press it.
        const QImage focused = tutorial->grab().toImage();
        QTest::keyClick(tutorial, Qt::Key_Tab);
        const QImage unfocused = tutorial->grab().toImage();
        QVERIFY2(PlainlyDifferent(focused, unfocused) > 0.15,
                 qPrintable(QString::number(PlainlyDifferent(focused, unfocused))));

        ModalCloser closer;
        QTest::keyClick(area(3), Qt::Key_Return);
        QTest::keyClick(area(6), Qt::Key_Space);
        QTest::keyClick(area(2), Qt::Key_Enter);
        // A shortcut needs its window active, as it is again once a dialog closes.
        QVERIFY(ShowActive(*window_));
        QTest::keyClick(&*window_, Qt::Key_5, Qt::AltModifier);
        QVERIFY(ShowActive(*window_));
        QTest::keyClick(&*window_, Qt::Key_1, Qt::AltModifier);
        QCOMPARE(closer.Titles(),
                 QStringList({"Search Engine Readiness", "Previous Reports Results",
                              "Analyze position", "Link Validator", "Project"}));
    }

    void theFtpButtonOpensTheFtpCenter() {
        ModalCloser closer;
        Click(*window_, "ftpButton");
        QCOMPARE(closer.Titles(), QStringList({"FTP CENTER"}));
    }

    void theHighlightAndTheHandFollowThePointer() {
        for (int area = 1; area <= kMainAreaCount; ++area) {
            QVERIFY(Shows(area, false));
            QVERIFY(window_->AreaImage(area, true).cacheKey() !=
                    window_->AreaImage(area, false).cacheKey());
        }
        MoveTo(Centre(1));
        QCOMPARE(window_->HighlightedArea(), 1);
        QVERIFY(Shows(1, true));
        QCOMPARE(window_->cursor().shape(), Qt::PointingHandCursor);
        MoveTo(Centre(2));
        QCOMPARE(window_->HighlightedArea(), 2);
        QVERIFY(Shows(2, true));
        QVERIFY(Shows(1, false));
        MoveTo(MainAreaRect(6).bottomRight() - QPoint(2, 2));
        QCOMPARE(window_->HighlightedArea(), 6);
        for (int area = 1; area <= kMainAreaCount; ++area) {
            QVERIFY(Shows(area, area == 6));
        }
        // Between two areas nothing is lit and the pointer is the plain arrow.
        MoveTo(QPoint(MainAreaRect(1).right() + 8, Centre(1).y()));
        QCOMPARE(window_->HighlightedArea(), 0);
        QVERIFY(Shows(6, false));
        QCOMPARE(window_->cursor().shape(), Qt::ArrowCursor);
        MoveTo(Centre(4));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&*window_, &leave);
        QCOMPARE(window_->HighlightedArea(), 0);
        QVERIFY(Shows(4, false));
    }

    void buttonsOpenTheTutorialHelpAndAbout() {
        std::vector<std::string> opened;
        SetDocumentOpener([&](const std::string& path) { opened.push_back(path); });
        Click(*window_, "tutorialButton");
        Click(*window_, "helpButton");
        const std::string work = App().paths.workDir;
        QCOMPARE(opened, (std::vector<std::string>{work + "/tutorial/index.html",
                                                   work + "/tutorial/help.html"}));
        Click(*window_, "aboutButton");
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QVERIFY(prompts_->Calls().back().text.contains(QStringLiteral("Sitegauge")));
        QVERIFY(prompts_->Calls().back().text.contains(QStringLiteral(" Version 6.0")));
        ModalCloser closer;
        Click(*window_, "proxyButton");
        QCOMPARE(closer.Titles(), QStringList({"Proxy Settings"}));
    }

    // A screen with less room than the picture (1920x1080 at scale 2 is 960x540, less a panel)
    // gets the whole window, its buttons included, shrunk to fit; the areas still open what
    // they open. A screen with room keeps the picture whole.
    void theWindowFitsTheScreen() {
        for (const QRect& screen : {QRect(0, 0, 960, 540), QRect(0, 30, 1366, 738),
                                    QRect(0, 0, 800, 600), QRect(0, 0, 1920, 1080)}) {
            window_.emplace(*prompts_, false);
            window_->FitTo(screen);
            QVERIFY(ShowActive(*window_));
            const QString where = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
            QVERIFY2(window_->width() <= screen.width() - 16 &&
                         window_->height() <= screen.height() - 48,
                     qPrintable(where));
            QVERIFY2(window_->minimumHeight() <= screen.height() - 48, qPrintable(where));
            const bool roomy = screen.height() >= kMainWindowHeight + 48;
            QCOMPARE(window_->PictureScale() == 1.0, roomy);
            for (QWidget* child :
                 window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->isVisible()) {
                    QVERIFY2(window_->rect().contains(child->geometry()),
                             qPrintable(where + QLatin1Char(' ') + child->objectName()));
                }
            }
            auto* area1 = window_->findChild<QWidget*>(QStringLiteral("area1"));
            ModalCloser closer;
            QTest::mouseClick(&*window_, Qt::LeftButton, {}, area1->geometry().center());
            QCOMPARE(closer.Titles(), QStringList({"Project"}));
        }
    }

    // The window may grow (maximised, say): the picture stays whole in its middle and its
    // areas still open what they open.
    void theWindowGrowsAroundThePicture() {
        QVERIFY(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
        QCOMPARE(window_->minimumSize(), QSize(kMainWindowWidth, kMainWindowHeight));
        window_->resize(kMainWindowWidth + 280, kMainWindowHeight + 256);
        QCoreApplication::processEvents();
        const QPoint offset(140, 128);
        auto* area1 = window_->findChild<QWidget*>(QStringLiteral("area1"));
        QCOMPARE(area1->geometry(), MainAreaRect(1).translated(offset));
        QCOMPARE(ButtonOf(*window_, "okButton")->y(), kMainButtonTop + offset.y());
        ModalCloser closer;
        QTest::mouseClick(&*window_, Qt::LeftButton, {}, Centre(1) + offset);
        QCOMPARE(closer.Titles(), QStringList({"Project"}));
    }

    // The window names the project; an empty one gets a hint and "Try the demo", which asks
    // first about a changed project.
    void theProjectIsNamedAndAnEmptyOneLeadsToTheDemo() {
        QPushButton* demo = ButtonOf(*window_, "tryDemoButton");
        QVERIFY(window_->ProjectText().startsWith(QStringLiteral("No project yet")));
        QVERIFY(demo->isVisible());

        ModalCloser closer;
        Project& project = App().project;
        project.SetName("Shop");
        project.AddUrl("www.shop.com");
        project.AddKeyword("shoes");
        project.AddKeyword("boots");
        App().projectModified = true;
        ClickArea(1);
        QCOMPARE(window_->ProjectText(), QString::fromUtf8("Project: Shop  \u00b7  1 site  \u00b7  "
                                                           "2 keywords  \u00b7  not saved"));
        QVERIFY(!demo->isVisible());

        project.ClearUrls();
        project.ClearKeywords();
        project.SetName("");
        window_->ShowProject();
        QVERIFY(demo->isVisible());
        prompts_->Answer(PromptAnswer::Cancel);
        demo->click();
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        QCOMPARE(prompts_->Calls().back().text,
                 QStringLiteral("Do you want to save your projects setings ?"));
        QVERIFY(!SharedDemoSession().Running());
        prompts_->Answer(PromptAnswer::No);
        // Pressed with the keyboard, as a keyboard user would: the button goes away with the
        // focus on it, and the next Tab still reaches area 1.
        QVERIFY(ShowActive(*window_));
        demo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(demo, Qt::Key_Space);
        QVERIFY(SharedDemoSession().Running());
        QVERIFY(!demo->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(),
                 window_->findChild<QWidget*>(QStringLiteral("area1")));
        QVERIFY2(window_->ProjectText().startsWith(QStringLiteral("Project: Coffee Demo")) &&
                     window_->ProjectText().endsWith(QStringLiteral("demo sites running")),
                 qPrintable(window_->ProjectText()));
        QCOMPARE(prompts_->Calls().size(), std::size_t(2));
        // Other test classes of this program expect no demo in the way.
        SharedDemoSession().Stop();
    }

    void closingAsksAboutAChangedProject() {
        App().projectModified = true;
        prompts_->Answer(PromptAnswer::Cancel);
        QTest::keyClick(&*window_, Qt::Key_Escape);
        QCOMPARE(prompts_->Calls().size(), size_t(1));
        QVERIFY(window_->isVisible());
        prompts_->Answer(PromptAnswer::No);
        Click(*window_, "okButton");
        QVERIFY(!window_->isVisible());
        QCOMPARE(window_->result(), int(QDialog::Accepted));
    }

    void theSplashShowsForAboutASecond() {
        auto splashShown = [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<QSplashScreen*>(top) != nullptr && top->isVisible()) {
                    return true;
                }
            }
            return false;
        };
        QVERIFY(!splashShown());
        MainWindow withSplash(*prompts_, true);
        withSplash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&withSplash));
        QTRY_VERIFY(splashShown());
        QElapsedTimer shown;
        shown.start();
        QTRY_VERIFY_WITH_TIMEOUT(!splashShown(), 3000);
        QVERIFY(shown.elapsed() >= 800);
    }

    void onlyEmbeddedAutomatedOrNoSplashStartsSkipTheSplash() {
        QVERIFY(SplashWanted({"sitegauge"}));
        QVERIFY(SplashWanted({"sitegauge", "project.swp"}));
        // The program's own name is not an option.
        QVERIFY(SplashWanted({"-Embedding"}));
        for (const char* option : {"-Embedding", "/Automation", "-automation", "--no-splash"}) {
            QVERIFY2(!SplashWanted({"sitegauge", "x", option}), option);
        }
        QVERIFY(SplashWanted({"sitegauge", "-Embeddings"}));
    }
};

SG_REGISTER_UI_TEST(MainWindowTest);

}  // namespace sg::test

#include "MainWindowTest.moc"
