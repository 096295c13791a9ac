// Start-up as the program does it, ending as soon as the main window and the prediction
// window are on screen; timed as a whole process against empty_window.
#include <QTimer>

#include "gui/shell/mainwindow.h"
#include "gui/shell/program.h"

int main(int argc, char** argv) {
    pirumoa::Program program(argc, argv);
    if (!program.start()) return 1;
    program.mainWindow().openWindow(
        QStringLiteral("一発ピルモア"));  // as the first activation does
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return program.exec();
}
