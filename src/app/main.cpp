// pirumoa: the desktop program.
#include <QApplication>
#include <cstdio>

#include "shell/mainwindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pirumoa"));
    pirumoa::MainFrm::installFonts();

    pirumoa::MainFrm window;
    if (!window.start(QCoreApplication::applicationDirPath())) {
        std::fprintf(stderr, "pirumoa: %s\n", window.startError().toUtf8().constData());
        return 1;
    }
    window.show();
    return app.exec();
}
