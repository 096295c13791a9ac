// Gives the help collection the window Qt Assistant opens at the first time: Assistant keeps
// its window in its own settings inside the collection and, when it has none, opens at a size
// too small to read a page. A user's copy of the collection starts from this file, so the
// first window is readable; from then on Assistant keeps the size the user gives it.
//
// Run at build time only. It uses Qt SQL, which must never be in the program's own process.
//
// help-window COLLECTION.qhc WIDTH HEIGHT
#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QRect>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace {

// A window's geometry in the form QWidget::saveGeometry wrote it first (version 1.0): it
// names no screen width, so every screen accepts it, and restoreGeometry moves and shrinks it
// to fit the screen it is shown on.
QByteArray savedGeometry(const QRect& window) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    out << quint32(0x1D9D0CB) << quint16(1) << quint16(0) << window << window << qint32(0)
        << quint8(0) << quint8(0);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool wideOk = false, highOk = false;
    const int width = args.value(2).toInt(&wideOk), height = args.value(3).toInt(&highOk);
    if (args.size() != 4 || !wideOk || !highOk) {
        std::fprintf(stderr, "usage: help-window COLLECTION.qhc WIDTH HEIGHT\n");
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(args[1]);
    QSqlQuery query(db);
    const bool ok =
        db.open() &&
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO SettingsTable VALUES(?, ?)")) &&
        (query.addBindValue(QStringLiteral("MainWindowGeometry")),
         query.addBindValue(savedGeometry(QRect(48, 32, width, height))), query.exec());
    if (!ok) {
        std::fprintf(stderr, "help-window: %s: %s\n", qPrintable(args[1]),
                     qPrintable(db.lastError().isValid() ? db.lastError().text()
                                                         : query.lastError().text()));
        return 1;
    }
    return 0;
}
