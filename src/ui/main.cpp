// sitegauge: the desktop program.

#include <QApplication>

#include "app/StartUp.h"
#include "ui/MainWindow.h"
#include "ui/ProjectStart.h"
#include "ui/QtUserPrompts.h"
#include "ui/SplashOption.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    sg::StartUp();
    // The project the user saved or opened last, as it was then.
    sg::ReopenLastProfile();
    sg::QtUserPrompts prompts;
    sg::MainWindow window(prompts, sg::SplashWanted(QApplication::arguments()));
    // A scaled or small screen may have less room than the picture.
    window.FitToScreen();
    // The main window runs modally; the process ends when it closes.
    window.exec();
    return 0;
}
