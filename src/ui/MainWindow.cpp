#include "ui/MainWindow.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplashScreen>
#include <QTimer>
#include <algorithm>

#include "demo/DemoProject.h"
#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "ui/AnalyzeDialog.h"
#include "ui/CPreviousDialog.h"
#include "ui/CSitePosDialog.h"
#include "ui/ConfirmExit.h"
#include "ui/FtpCenterDialog.h"
#include "ui/ProjectDialog.h"
#include "ui/ProjectStart.h"
#include "ui/ProxySettingsDialog.h"
#include "ui/ReportLocation.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

constexpr int kSplashMilliseconds = 1000;
// The right end of the project strip that "Try the demo" takes while it shows.
constexpr int kDemoButtonRoom = 130;
constexpr int kStripPadding = 12;
// Room a window manager takes around a window: the title bar and the borders.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

// The first URL names something to fetch: there is one, and it is more than the bare scheme.
bool FirstUrlUsable(const Project& project) {
    const UrlEntry* first = project.GetUrl(0);
    return first != nullptr && !first->GetUrl().empty() && first->GetUrl() != "http://";
}

// The area of the main window that opens the Analyze dialog in `mode`.
int AreaOfMode(int mode) {
    switch (mode) {
        case kAnalyzeReadiness:
            return 3;
        case kAnalyzeLinkPopularity:
            return 4;
        case kAnalyzeLinkValidator:
            return 5;
        default:
            return 7;
    }
}

// The window's buttons stand on the picture's sky, where the style's own focus mark cannot be
// seen: a light button, and a thick amber ring on the one with the focus.
void StyleButton(QPushButton* button) {
    button->setStyleSheet(QStringLiteral(
        "QPushButton { color: #1b2733; background: #eef2f6; border: 1px solid #8a9bb0; "
        "border-radius: 5px; padding: 2px 8px; }"
        "QPushButton:hover { background: #ffffff; }"
        "QPushButton:pressed { background: #d5dde6; }"
        "QPushButton:focus { border: 3px solid #ffb300; padding: 0px 6px; }"));
}

QPushButton* Button(const QString& text, const char* name, int x, int width, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setGeometry(x, kMainButtonTop, width, 32);
    StyleButton(button);
    return button;
}

}  // namespace

MainWindow::MainWindow(UserPrompts& prompts, bool splash, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(ToQt(App().appTitle));
    // The window may grow (window managers show a maximise button whatever it asks): the
    // picture then stays in the middle of a sky that fills the window.
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setMinimumSize(kMainWindowWidth, kMainWindowHeight);
    resize(kMainWindowWidth, kMainWindowHeight);
    setMouseTracking(true);

    background_ = new QLabel(this);
    background_->setObjectName(QStringLiteral("background"));
    background_->setPixmap(DrawMainBackground());
    background_->setGeometry(0, 0, kMainWindowWidth, kMainWindowHeight);
    // The pictures follow their labels' size when the window has to be smaller than they are.
    background_->setScaledContents(true);
    // Pointer moves over the pictures reach the window.
    background_->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int area = 1; area <= kMainAreaCount; ++area) {
        const int i = area - 1;
        normal_[i] = DrawMainArea(area, false);
        highlighted_[i] = DrawMainArea(area, true);
        QLabel* label = new QLabel(this);
        label->setObjectName(QStringLiteral("area%1").arg(area));
        label->setToolTip(MainAreaTitle(area));
        label->setPixmap(normal_[i]);
        label->setGeometry(MainAreaRect(area));
        label->setScaledContents(true);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Reachable with Tab in the areas' order, before the buttons, and opened with Enter or
        // Space; Alt and the area's digit opens it from anywhere in the window.
        label->setFocusPolicy(Qt::StrongFocus);
        label->setAccessibleName(MainAreaTitle(area));
        label->installEventFilter(this);
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | (Qt::Key_0 + area)), this);
        connect(shortcut, &QShortcut::activated, this, [this, label, area] {
            label->setFocus(Qt::ShortcutFocusReason);
            OpenArea(area);
        });
        areas_[i] = label;
    }

    projectLabel_ = new QLabel(this);
    projectLabel_->setObjectName(QStringLiteral("projectLabel"));
    projectLabel_->setTextFormat(Qt::PlainText);
    projectLabel_->setGeometry(MainProjectStrip());
    projectLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    StyleProjectStrip();
    demoButton_ = new QPushButton(QStringLiteral("Try the demo"), this);
    demoButton_->setObjectName(QStringLiteral("tryDemoButton"));
    demoButton_->setAutoDefault(false);
    StyleButton(demoButton_);
    const QRect strip = MainProjectStrip();
    demoButton_->setGeometry(strip.right() - kDemoButtonRoom + 8, strip.top() + 4,
                             kDemoButtonRoom - 14, strip.height() - 8);
    connect(demoButton_, &QPushButton::clicked, this, &MainWindow::TryDemo);

    // Plain push buttons stand in for the bitmap buttons; their pictures are free.
    QPushButton* tutorial = Button(QStringLiteral("Tutorial"), "tutorialButton", 20, 90, this);
    QPushButton* help = Button(QStringLiteral("&Help"), "helpButton", 118, 80, this);
    QPushButton* proxy = Button(QStringLiteral("Proxy Settings"), "proxyButton", 206, 120, this);
    QPushButton* ftp = Button(QStringLiteral("FTP Center"), "ftpButton", 334, 100, this);
    // The window system here has no system menu, so About is a button of its own.
    QPushButton* about =
        Button(QStringLiteral("&About Sitegauge..."), "aboutButton", 442, 160, this);
    QPushButton* ok = Button(QStringLiteral("OK"), "okButton", 620, 80, this);
    okButton_ = ok;

    connect(tutorial, &QPushButton::clicked, this, [this] {
        OpenReport(prompts_, this, App().paths.workDir + "/tutorial/index.html",
                   ShownDocument::Page);
    });
    connect(help, &QPushButton::clicked, this, [this] {
        OpenReport(prompts_, this, App().paths.workDir + "/tutorial/help.html",
                   ShownDocument::Page);
    });
    connect(proxy, &QPushButton::clicked, this, [this] {
        ProxySettingsDialog dialog(prompts_, this);
        dialog.exec();
        // Some window managers give the focus to no window when a dialog closes.
        activateWindow();
    });
    connect(ftp, &QPushButton::clicked, this, [this] {
        FtpCenterDialog dialog(prompts_, this);
        dialog.SetLocalFolder(ftpLocalFolder_);
        dialog.exec();
        ftpLocalFolder_ = dialog.LocalFolder();
    });
    connect(about, &QPushButton::clicked, this, &MainWindow::ShowAbout);
    QWidget* previous = areas_[0];
    for (QWidget* next :
         {static_cast<QWidget*>(areas_[1]), static_cast<QWidget*>(areas_[2]),
          static_cast<QWidget*>(areas_[3]), static_cast<QWidget*>(areas_[4]),
          static_cast<QWidget*>(areas_[5]), static_cast<QWidget*>(areas_[6]),
          static_cast<QWidget*>(demoButton_), static_cast<QWidget*>(tutorial),
          static_cast<QWidget*>(help), static_cast<QWidget*>(proxy), static_cast<QWidget*>(ftp),
          static_cast<QWidget*>(about), static_cast<QWidget*>(ok)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    connect(ok, &QPushButton::clicked, this, &MainWindow::accept);

    // The window starts with the focus on OK, so the first Tab reaches area 1.
    ok->setFocus();
    ShowProject();

    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        placed_.push_back({child, child->geometry()});
    }

    if (splash) {
        QTimer::singleShot(0, this, &MainWindow::ShowSplash);
    }
}

const QPixmap& MainWindow::AreaImage(int area, bool highlighted) const {
    const int i = (area - 1) % kMainAreaCount;
    return highlighted ? highlighted_[i] : normal_[i];
}

const QPixmap& MainWindow::ShownImage(int area) const {
    return AreaImage(area, showsHighlight_[(area - 1) % kMainAreaCount]);
}

void MainWindow::Highlight(int area) {
    hovered_ = area;
    ShowHighlights();
    if (area != 0) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void MainWindow::ShowHighlights() {
    for (int i = 0; i < kMainAreaCount; ++i) {
        const bool on = i + 1 == hovered_ || (areas_[i]->hasFocus() && focusShown_[i]);
        // Only a changed picture is replaced, so moving within an area does not flicker.
        if (showsHighlight_[i] != on) {
            showsHighlight_[i] = on;
            areas_[i]->setPixmap(on ? highlighted_[i] : normal_[i]);
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    for (int area = 1; area <= kMainAreaCount; ++area) {
        if (watched != areas_[area - 1]) {
            continue;
        }
        switch (event->type()) {
            case QEvent::FocusIn: {
                // Drawn when the keyboard brought the focus, not when the window got it at
                // start or back from a dialog, so a mouse user sees only the hover.
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                focusShown_[area - 1] = reason == Qt::TabFocusReason ||
                                        reason == Qt::BacktabFocusReason ||
                                        reason == Qt::ShortcutFocusReason;
                ShowHighlights();
                break;
            }
            case QEvent::FocusOut:
                focusShown_[area - 1] = false;
                ShowHighlights();
                break;
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                    OpenArea(area);
                    return true;
                }
                break;
            }
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    int under = 0;
    for (int area = 1; area <= kMainAreaCount; ++area) {
        if (areas_[area - 1]->geometry().contains(event->position().toPoint())) {
            under = area;
        }
    }
    Highlight(under);
    QDialog::mouseMoveEvent(event);
}

void MainWindow::leaveEvent(QEvent* event) {
    Highlight(0);
    QDialog::leaveEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        for (int area = 1; area <= kMainAreaCount; ++area) {
            if (areas_[area - 1]->geometry().contains(event->position().toPoint())) {
                // The dialog that opens takes the pointer; the area is not left highlighted.
                Highlight(0);
                OpenArea(area);
                return;
            }
        }
    }
    QDialog::mousePressEvent(event);
}

void MainWindow::OpenArea(int area) {
    const Project& project = App().project;
    switch (area) {
        case 1:
            OpenProject();
            break;
        case 2: {
            if (!FirstUrlUsable(project) || project.KeywordCount() == 0) {
                OpenProject(QStringLiteral(
                    "The Position Analyzer needs the address of your site and at least one "
                    "keyword to search for. Add them here, then press Done."));
            }
            CSitePosDialog dialog(prompts_, this);
            connect(&dialog, &CSitePosDialog::projectEdited, this, &MainWindow::ShowProject);
            dialog.exec();
            break;
        }
        case 3:
            OpenAnalyze(kAnalyzeReadiness);
            break;
        case 4:
            OpenAnalyze(kAnalyzeLinkPopularity);
            break;
        case 5:
            OpenAnalyze(kAnalyzeLinkValidator);
            break;
        case 6: {
            CPreviousDialog dialog(prompts_, this);
            dialog.exec();
            break;
        }
        case 7:
            OpenAnalyze(kAnalyzeSiteAudit);
            break;
        default:
            break;
    }
    // Any of them may have changed the project (Edit Project, the demo).
    ShowProject();
}

void MainWindow::OpenProject(const QString& reason) {
    ProjectDialog dialog(prompts_, this);
    dialog.ShowNote(reason);
    dialog.exec();
    ShowProject();
}

void MainWindow::FitTo(const QRect& available) {
    const double room =
        std::min(static_cast<double>(available.width() - kFrameWidth) / kMainWindowWidth,
                 static_cast<double>(available.height() - kFrameHeight) / kMainWindowHeight);
    const double scale = std::clamp(room, 0.25, 1.0);
    const QSize smallest(static_cast<int>(kMainWindowWidth * scale),
                         static_cast<int>(kMainWindowHeight * scale));
    setMinimumSize(smallest);
    resize(std::min(width(), std::max(smallest.width(), available.width() - kFrameWidth)),
           std::min(height(), std::max(smallest.height(), available.height() - kFrameHeight)));
}

void MainWindow::FitToScreen() {
    if (const QScreen* shown = screen()) {
        FitTo(shown->availableGeometry());
    }
}

void MainWindow::StyleProjectStrip() {
    projectLabel_->setStyleSheet(
        QStringLiteral("QLabel { color: #ffffff; background: rgba(255, 255, 255, 28); "
                       "border-radius: 6px; font-size: %1pt; }")
            .arg(11 * scale_, 0, 'f', 1));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    const double scale = std::min({1.0, static_cast<double>(width()) / kMainWindowWidth,
                                   static_cast<double>(height()) / kMainWindowHeight});
    if (scale != scale_) {
        scale_ = scale;
        // The texts shrink with the buttons and the strip they stand in.
        for (QPushButton* button : findChildren<QPushButton*>()) {
            // A dialog or message box open over the window keeps its own size.
            if (button->window() != this) {
                continue;
            }
            QFont font = this->font();
            // A font sized in pixels has no point size to scale.
            if (font.pointSizeF() > 0) {
                font.setPointSizeF(font.pointSizeF() * scale_);
            } else {
                font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * scale_)));
            }
            button->setFont(font);
        }
        StyleProjectStrip();
        ShowProject();
    }
    const QPointF offset(std::max(0.0, (width() - kMainWindowWidth * scale_) / 2),
                         std::max(0.0, (height() - kMainWindowHeight * scale_) / 2));
    for (const auto& [child, rect] : placed_) {
        const QRectF scaled(rect.x() * scale_ + offset.x(), rect.y() * scale_ + offset.y(),
                            rect.width() * scale_, rect.height() * scale_);
        child->setGeometry(scaled.toRect());
    }
    QDialog::resizeEvent(event);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    PaintMainSky(painter, rect());
    QDialog::paintEvent(event);
}

void MainWindow::OpenAnalyze(int mode) {
    // The dialog opens after the Project dialog even if the project is still unusable; its
    // "Analyze Now" then stays disabled.
    if (!FirstUrlUsable(App().project)) {
        OpenProject(QStringLiteral("%1 needs the address of your site first. Add it here (and "
                                   "your competitors' sites, to compare), then press Done.")
                        .arg(MainAreaTitle(AreaOfMode(mode))));
    }
    AnalyzeDialog dialog(prompts_, mode, this);
    // The strip keeps naming the project while the dialog is open and edits it.
    connect(&dialog, &AnalyzeDialog::projectEdited, this, &MainWindow::ShowProject);
    dialog.exec();
}

void MainWindow::TryDemo() {
    if (!ConfirmReplaceProject(prompts_, this)) {
        return;
    }
    // The window's focus, whether or not the window is active now.
    const bool hadFocus = focusWidget() == demoButton_;
    LoadDemoProjectOrWarn(prompts_, this);
    ShowProject();
    // The button is gone; the focus goes back where the window starts, so the next Tab reaches
    // area 1 again rather than the button after it.
    if (hadFocus && !demoButton_->isVisible()) {
        okButton_->setFocus();
    }
}

void MainWindow::ShowProject() {
    const AppState& app = App();
    const Project& project = app.project;
    const bool empty =
        project.HasNoUrls() && project.KeywordCount() == 0 && project.GetName().empty();
    demoButton_->setVisible(empty);
    // Room for "Try the demo" at the strip's right end while it shows.
    projectLabel_->setContentsMargins(
        kStripPadding, 0, empty ? static_cast<int>(kDemoButtonRoom * scale_) : kStripPadding, 0);
    if (empty) {
        projectLabel_->setText(
            QStringLiteral("No project yet: click Project to add your site and keywords, or"));
        return;
    }
    const QString name =
        project.GetName().empty() ? QStringLiteral("(no name)") : ToQt(project.GetName());
    QString text =
        QStringLiteral("Project: %1  \u00b7  %2  \u00b7  %3")
            .arg(name,
                 project.UrlCount() == 1 ? QStringLiteral("1 site")
                                         : QStringLiteral("%1 sites").arg(project.UrlCount()),
                 project.KeywordCount() == 1
                     ? QStringLiteral("1 keyword")
                     : QStringLiteral("%1 keywords").arg(project.KeywordCount()));
    if (project.GetName() == kDemoProjectName && SharedDemoSession().Running()) {
        text += QStringLiteral("  \u00b7  demo sites running");
    } else if (app.projectModified) {
        text += QStringLiteral("  \u00b7  not saved");
    }
    // A long name keeps its start; the whole line is the tool tip.
    projectLabel_->setToolTip(PlainToolTip(text));
    projectLabel_->ensurePolished();
    const int room = static_cast<int>(MainProjectStrip().width() * scale_) - 2 * kStripPadding;
    projectLabel_->setText(projectLabel_->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
}

QString MainWindow::ProjectText() const {
    return projectLabel_->text();
}

void MainWindow::ShowAbout() {
    prompts_.Inform(this, QStringLiteral("About Sitegauge"),
                    QStringLiteral("Sitegauge\n Version 6.0"), PromptIcon::Information);
}

void MainWindow::ShowSplash() {
    static QPointer<QSplashScreen> shown;
    if (shown != nullptr) {
        return;
    }
    auto* splash = new QSplashScreen(DrawSplash());
    splash->setObjectName(QStringLiteral("splash"));
    shown = splash;
    splash->show();
    QTimer::singleShot(kSplashMilliseconds, splash, [this, splash] {
        splash->close();
        splash->deleteLater();
        update();
    });
}

void MainWindow::accept() {
    if (ConfirmExit(prompts_, this)) {
        QDialog::accept();
    }
}

void MainWindow::reject() {
    if (ConfirmExit(prompts_, this)) {
        QDialog::reject();
    }
}

}  // namespace sg
