// Start-up as the program does it, ending as soon as the main window and the prediction
// window have been painted once; timed as a whole process against empty_window.
#include <QApplication>
#include <QTimer>

#include "shell/mainwindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    pirumoa::MainFrm::installFonts();
    pirumoa::MainFrm window;
    if (!window.start(argc > 1 ? QString::fromLocal8Bit(argv[1])
                               : QCoreApplication::applicationDirPath()))
        return 1;
    window.show();
    window.openWindow(QStringLiteral("一発ピルモア"));  // as activation does, where it is built
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
