#pragma once
// The pictures of the main window and the splash window, drawn at start-up so the program
// needs no image files.

#include <QPixmap>
#include <QRect>
#include <QString>

namespace sg {

inline constexpr int kMainWindowWidth = 720;
inline constexpr int kMainWindowHeight = 615;
// The six designed areas in a grid, and the Site Audit's area 7 as a band across under them.
inline constexpr int kMainAreaCount = 7;
// The top of the row of buttons.
inline constexpr int kMainButtonTop = 567;

// The place of area 1..7 on the background.
QRect MainAreaRect(int area);
// "Project", "Position Analyzer", ...
QString MainAreaTitle(int area);

QPixmap DrawMainBackground();
QPixmap DrawMainArea(int area, bool highlighted);
QPixmap DrawSplash();

}  // namespace sg
