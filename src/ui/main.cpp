// sitegauge: the desktop program.

#include <QApplication>

#include "app/StartUp.h"
#include "ui/MainWindowPlaceholder.h"
#include "ui/QtUserPrompts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    sg::StartUp();
    sg::QtUserPrompts prompts;
    sg::MainWindowPlaceholder window(prompts);
    // The main window runs modally; the process ends when it closes.
    window.exec();
    return 0;
}
