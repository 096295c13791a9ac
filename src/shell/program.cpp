#include "program.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <thread>

#include "mainwindow.h"

#if defined(Q_OS_LINUX) && __has_include(<fontconfig/fontconfig.h>)
#include <fontconfig/fontconfig.h>
#define PIRUMOA_FONTCONFIG 1
#endif

namespace pirumoa {

namespace {

// Where the program is, before Qt is up (where the system tells it), so that the draw
// history can be read while Qt and the windows are being set up.
QString earlyProgramFolder() {
#ifdef Q_OS_LINUX
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
#else
    return QString();
#endif
}

}  // namespace

int runProgram(int argc, char** argv, bool quitWhenShown) {
#ifdef PIRUMOA_FONTCONFIG
    // Loading the font configuration is the largest part of the first window's cost; it
    // runs while Qt connects to the display.
    std::thread fonts([] { FcInit(); });
#endif
    const QString early = earlyProgramFolder();
    std::future<DrawHistory> preload;
    if (!early.isEmpty()) preload = PreloadDrawHistory(MakeConnectString(early));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pirumoa"));
    // Qt's own texts (file dialogs, standard buttons) in Japanese.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
#ifdef PIRUMOA_FONTCONFIG
    fonts.join();
#endif
    MainFrm::installFonts();

    const QString folder = QCoreApplication::applicationDirPath();
    if (preload.valid() && QFileInfo(folder).canonicalFilePath() != early) {
        preload.wait();  // read from the wrong place: read again below
        preload = {};
    }
    MainFrm window;
    if (!window.start(folder, &preload)) {
        std::fprintf(stderr, "pirumoa: %s\n", window.startError().toUtf8().constData());
        return 1;
    }
    window.show();
    if (quitWhenShown) {
        window.openWindow(QStringLiteral("一発ピルモア"));  // as the first activation does
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    }
    return app.exec();
}

}  // namespace pirumoa
