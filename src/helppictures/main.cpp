// help-pictures FOLDER CSV: pictures of the program's windows for the help pages, taken on
// the draws of CSV as a user sees them: the main window with the prediction window, each
// built window opened from its menu entry, and the version window. Each is saved as
// FOLDER/<its menu entry's name>.png (the main window as MainFrm.png); a window that is not
// built yet gets no picture.
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "core/store/drawcsv.h"
#include "core/store/fileerror.h"
#include "gui/outlook/outlookwindow.h"
#include "gui/shell/childwindow.h"
#include "gui/shell/mainwindow.h"

using namespace pirumoa;

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

int g_failures = 0;

void fail(const QString& what) {
    std::fprintf(stderr, "help-pictures: %s\n", what.toUtf8().constData());
    ++g_failures;
}

void save(QWidget* w, const QString& folder, const QString& name) {
    settle();
    if (!w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")))
        fail(QStringLiteral("cannot write %1.png in %2").arg(name, folder));
}

}  // namespace

int main(int argc, char** argv) {
    // Pictures never need a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: help-pictures FOLDER CSV [PAYOUTS.csv]\n");
        return 2;
    }
    // Taken as given before the current folder changes below.
    const QString folder = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString csv = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();

    // A database of its own, and a current folder of its own for the options file that the
    // main window writes at its exit.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        fail(QStringLiteral("no temporary folder"));
        return 1;
    }
    try {
        QString draws = csv;
        if (argc == 4) {
            // The draws with their prizes, as one results file: each payouts line goes on
            // after the draw's own line, without its draw number.
            QFile history(csv), payouts(QString::fromLocal8Bit(argv[3]));
            if (!history.open(QIODevice::ReadOnly) || !payouts.open(QIODevice::ReadOnly))
                throw StoreError(QStringLiteral("cannot read the sample"));
            const QList<QByteArray> d = history.readAll().trimmed().split('\n');
            const QList<QByteArray> p = payouts.readAll().trimmed().split('\n');
            QByteArray both;
            for (qsizetype i = 0; i < d.size() && i < p.size(); ++i)
                both += d[i].trimmed() + p[i].trimmed().mid(p[i].indexOf(',')) + '\n';
            draws = work.filePath(QStringLiteral("sample.csv"));
            QFile out(draws);
            if (!out.open(QIODevice::WriteOnly) || out.write(both) != both.size())
                throw StoreError(QStringLiteral("cannot write the sample"));
        }
        importDrawCsv(draws, databaseFileIn(work.path()), false);
    } catch (const StoreError& e) {
        fail(e.message());
        return 1;
    }

    MainFrm::installFonts();
    MainFrm main;
    if (!main.start(work.path())) return 1;
    main.show();
    // Its first activation opens the prediction window.
    if (!waitFor([&] { return main.findWindow(QStringLiteral("一発ピルモア")) != nullptr; })) {
        fail(QStringLiteral("the prediction window did not open"));
        return 1;
    }
    save(&main, folder, QStringLiteral("MainFrm"));

    for (const WindowDesign& info : windowDesigns()) {
        // Each alone: the data entry opens only while no other window is open.
        for (QMdiSubWindow* sub : main.mdiArea()->subWindowList()) sub->close();
        waitFor([&] { return main.mdiArea()->subWindowList().isEmpty(); });
        if (auto* action = main.findChild<QAction*>(info.menuAction)) action->trigger();
        ChildWindow* window = main.findWindow(info.objectName);
        if (!window) {
            fail(QStringLiteral("%1 did not open").arg(info.objectName));
            continue;
        }
        // A number typed, as a user would.
        if (auto* outlook = qobject_cast<OutlookWindow*>(window)) outlook->setNumber("0315");
        save(window->parentWidget(), folder, info.menuAction);
    }
    for (QMdiSubWindow* sub : main.mdiArea()->subWindowList()) sub->close();

    if (auto* action = main.findChild<QAction*>(QStringLiteral("mnuAbout"))) action->trigger();
    QWidget* about = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("バージョン情報") && w->isVisible()) about = w;
    if (about)
        save(about, folder, QStringLiteral("mnuAbout"));
    else
        fail(QStringLiteral("the version window did not open"));

    main.close();
    return g_failures == 0 ? 0 : 1;
}
