#pragma once
// The pictures of the main window and the splash window, drawn at start-up so the program
// needs no image files.

#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace sg {

inline constexpr int kMainWindowWidth = 720;
inline constexpr int kMainWindowHeight = 659;
// The six designed areas in a grid, and the Site Audit's area 7 as a band across under them.
inline constexpr int kMainAreaCount = 7;

// The place of area 1..7 on the background.
QRect MainAreaRect(int area);
// The strip between the name and the areas that names the project.
QRect MainProjectStrip();
// The top of the row of buttons.
inline constexpr int kMainButtonTop = 611;
// "Project", "Position Analyzer", ...
QString MainAreaTitle(int area);

// The sky behind everything, for a window of any size.
void PaintMainSky(QPainter& painter, const QRect& window);
// The name and the gauge, on a transparent picture the size of the window's picture.
QPixmap DrawMainBackground();
QPixmap DrawMainArea(int area, bool highlighted);
QPixmap DrawSplash();

}  // namespace sg
