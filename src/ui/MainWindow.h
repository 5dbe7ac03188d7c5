#pragma once
// The main window: a picture with seven areas that open the program's functions, a row of
// buttons, and the exit question on every way of closing it. It runs modally for the life of
// the process.

#include <QDialog>
#include <QPixmap>
#include <array>
#include <utility>
#include <vector>

#include "ui/MainWindowArt.h"

class QLabel;
class QPushButton;

namespace sg {

class UserPrompts;

class MainWindow : public QDialog {
    Q_OBJECT

  public:
    // `splash`: show the splash window for a second once the window is up.
    MainWindow(UserPrompts& prompts, bool splash, QWidget* parent = nullptr);

    // The area under the pointer (1..7), or 0.
    int HighlightedArea() const { return hovered_; }
    const QPixmap& AreaImage(int area, bool highlighted) const;
    // The image an area shows now.
    const QPixmap& ShownImage(int area) const;

    // What a click on area 1..7 opens (the Project dialog first where the project needs it,
    // saying why).
    void OpenArea(int area);
    void ShowAbout();
    // "Try the demo": asks first when the project has unsaved changes, then loads the demo.
    void TryDemo();
    // Makes the window fit `available` (a screen's room for windows, title bar included): on a
    // screen too small for the picture (a scaled one, say), the picture and everything on it
    // shrink to fit, and the window may be made that small. FitToScreen does it for the
    // window's screen.
    void FitTo(const QRect& available);
    void FitToScreen();
    // How much the picture is shrunk (1: not at all).
    double PictureScale() const { return scale_; }

    // The strip that names the project, redrawn from it.
    void ShowProject();
    QString ProjectText() const;

    // OK, Escape and the close box all ask ConfirmExit first.
    void accept() override;
    void reject() override;

  protected:
    // Enter and Space on a focused area open it; focus in and out redraw its highlight.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // A window larger than the picture keeps the picture in its middle; a smaller one (only
    // after FitTo) shrinks it.
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The strip's look, its text at the picture's scale.
    void StyleProjectStrip();
    void Highlight(int area);
    // Each area shows its highlight while the pointer is over it or it has the focus.
    void ShowHighlights();
    void ShowSplash();
    // `reason`: why the dialog opens on its own, shown at its top.
    void OpenProject(const QString& reason = QString());
    void OpenAnalyze(int mode);

    UserPrompts& prompts_;
    int hovered_ = 0;
    double scale_ = 1.0;
    QLabel* background_;
    QLabel* projectLabel_;
    // Every child and its place on the picture, moved with the picture.
    std::vector<std::pair<QWidget*, QRect>> placed_;
    // The FTP Center's local folder, from one opening to the next.
    QString ftpLocalFolder_;
    QPushButton* demoButton_;
    QPushButton* okButton_;
    std::array<QLabel*, kMainAreaCount> areas_{};
    std::array<QPixmap, kMainAreaCount> normal_;
    std::array<QPixmap, kMainAreaCount> highlighted_;
    std::array<bool, kMainAreaCount> showsHighlight_{};
    // The area's focus came from the keyboard (Tab, Backtab, its Alt+digit).
    std::array<bool, kMainAreaCount> focusShown_{};
};

}  // namespace sg
