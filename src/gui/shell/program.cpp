#include "gui/shell/program.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <future>

#include "core/store/backups.h"
#include "core/store/databasefolder.h"
#include "gui/maintenance/updatecommands.h"
#include "gui/shell/mainwindow.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

#if defined(Q_OS_LINUX) && __has_include(<fontconfig/fontconfig.h>)
#include <fontconfig/fontconfig.h>
#define PIRUMOA_FONTCONFIG 1
#endif

namespace pirumoa {

namespace {

#ifdef Q_OS_UNIX
// A signal only writes a byte here; the event loop reads it and ends the program in order.
int g_signalPipe[2] = {-1, -1};

// The first signal that asked the program to end; it ends with 128 + its number, as shells
// and service managers expect of a program a signal ended.
int g_endSignal = 0;

void onSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// Plain POSIX, before Qt exists: a signal that comes while the program is still starting
// waits in the pipe instead of killing it.
void catchEndSignals() {
    if (g_signalPipe[0] >= 0 || ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &action, nullptr);
}
#endif

// The history of the database the rule of chooseDatabaseFolder picks, being read; the folder
// goes to folder. A database that cannot be made arrives as the history's failure, so that
// start-up reports it as it reports a database that cannot be read.
std::future<DrawHistory> startReadingHistory(QString& folder) {
    const DatabasePlaces places = databasePlaces();
    auto failure = [](std::exception_ptr error) {
        std::promise<DrawHistory> failed;
        failed.set_exception(error);
        return failed.get_future();
    };
    try {
        folder = chooseDatabaseFolder(places);
    } catch (const StoreError&) {
        folder = places.programFolder;
        return failure(std::current_exception());
    }
    // A copy of the program without its database (a portable copy, a new build folder):
    // the user is told where one belongs rather than only which file is missing.
    const DatabaseFile database = databaseFileIn(folder);
    if (!QFileInfo::exists(database.file))
        return failure(std::make_exception_ptr(StoreError(missingDatabase(places))));
    return preloadDrawHistory(database);
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    QDirIterator pictures(QStringLiteral(":/icons/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                          QDirIterator::Subdirectories);
    while (pictures.hasNext()) {
        // A title bar or a task bar asks for 64 pixels at most; the menu entry takes its icon
        // from the installed theme. Reading the large pictures would cost every start.
        const QString path = pictures.next();
        const int side =
            path.section(QLatin1Char('/'), -3, -3).section(QLatin1Char('x'), 0, 0).toInt();
        if (side > 0 && side <= 64) icon.addFile(path, QSize(side, side));
    }
    return icon;
}

Program::BeforeQt::BeforeQt() {
#ifdef Q_OS_UNIX
    catchEndSignals();
#endif
#ifdef PIRUMOA_FONTCONFIG
    // Loading the font configuration is the largest part of the first window's cost; it runs
    // while Qt connects to the display.
    fonts = std::thread([] { FcInit(); });
#endif
}

Program::BeforeQt::~BeforeQt() { join(); }

void Program::BeforeQt::join() {
    if (fonts.joinable()) fonts.join();
}

Program::Program(int& argc, char** argv) : m_app(argc, argv) {
    QApplication::setApplicationName(QLatin1String(kApplicationName));
    // The remembered settings (window size, CSV folder) go to ~/.config/pirumoa/pirumoa.conf.
    QApplication::setOrganizationName(QLatin1String(kApplicationName));
    // The desktop entry's name: a Wayland desktop finds the icon and the menu entry by it.
    QGuiApplication::setDesktopFileName(QLatin1String(kApplicationName));
    QApplication::setWindowIcon(programIcon());
    // Qt's own texts (file dialogs, standard buttons) in Japanese: those of the Qt the program
    // runs on, else the copy that the package installs.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QString ours = installedDataFolder(QCoreApplication::applicationDirPath()) +
                         QStringLiteral("/translations");
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath), ours}) {
        if (m_qtTexts.load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(&m_qtTexts);
            break;
        }
    }
}

Program::~Program() = default;

bool Program::start() {
    // Qt is up, so the history can be read on a thread of its own while the fonts and the
    // windows are set up.
    QString folder;
    std::future<DrawHistory> history = startReadingHistory(folder);

    m_beforeQt.join();
    MainFrm::installFonts();
    m_window = std::make_unique<MainFrm>();
    MainFrm* window = m_window.get();

#ifdef Q_OS_UNIX
    if (g_signalPipe[0] >= 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, window);
        QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
            char bytes[16];
            for (ssize_t n; (n = ::read(g_signalPipe[0], bytes, sizeof bytes)) > 0;)
                if (g_endSignal == 0) g_endSignal = bytes[0];
            window->endFromOutside();
        });
    }
#endif
    // The desktop session is ending: the program ends the way "終了" ends it.
    QObject::connect(&m_app, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager&) { window->endFromOutside(); });

    if (!window->start(folder, &history)) {
        std::fprintf(stderr, "pirumoa: %s\n", window->startError().toUtf8().constData());
        return false;
    }
    window->show();
    // Once the window and its prediction are on screen.
    QTimer::singleShot(0, window, [window] { window->updateCommands().checkAtStart(); });
    return true;
}

int Program::exec() {
    const int code = QApplication::exec();
    // The run's backup may still be on its way to the disk.
    finishBackupChecks();
#ifdef Q_OS_UNIX
    if (g_endSignal != 0) return 128 + g_endSignal;
#endif
    return code;
}

int runProgram(int argc, char** argv) {
    Program program(argc, argv);
    if (!program.start()) return 1;
    return program.exec();
}

}  // namespace pirumoa
