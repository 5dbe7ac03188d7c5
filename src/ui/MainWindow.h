#pragma once
// The main window: a picture with seven areas that open the program's functions, a row of
// buttons, and the exit question on every way of closing it. It runs modally for the life of
// the process.

#include <QDialog>
#include <QPixmap>
#include <array>

#include "ui/MainWindowArt.h"

class QLabel;

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

    // What a click on area 1..7 opens (the Project dialog first where the project needs it).
    void OpenArea(int area);
    void ShowAbout();

    // OK, Escape and the close box all ask ConfirmExit first.
    void accept() override;
    void reject() override;

  protected:
    // Enter and Space on a focused area open it; focus in and out redraw its highlight.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void Highlight(int area);
    // Each area shows its highlight while the pointer is over it or it has the focus.
    void ShowHighlights();
    void ShowSplash();
    void OpenProject();
    void OpenAnalyze(int mode);

    UserPrompts& prompts_;
    int hovered_ = 0;
    QLabel* background_;
    std::array<QLabel*, kMainAreaCount> areas_{};
    std::array<QPixmap, kMainAreaCount> normal_;
    std::array<QPixmap, kMainAreaCount> highlighted_;
    std::array<bool, kMainAreaCount> showsHighlight_{};
    // The area's focus came from the keyboard (Tab, Backtab, its Alt+digit).
    std::array<bool, kMainAreaCount> focusShown_{};
};

}  // namespace sg
