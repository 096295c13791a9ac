#include "core/store/backups.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>

#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/sqlcipher.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#endif

namespace pirumoa {

namespace {

const QString kNamePrefix = QStringLiteral("Numbers4Pirumoa-");

// Numbers4Pirumoa-20261207-141500.mdb; a second backup within the same second gets "-2".
const QRegularExpression& backupName() {
    static const QRegularExpression re(
        QStringLiteral("^Numbers4Pirumoa-(\\d{8}-\\d{6})(?:-(\\d+))?\\.mdb$"));
    return re;
}

// Why the engine could not write a backup or a restored file into folder.
QString writeReason(int rc, const QString& folder, const QString& engine) {
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("フォルダー%1に書き込めません。").arg(quoted(folder));
    switch (rc & 0xff) {
        case SQLITE_FULL:
        case SQLITE_IOERR:
            return QStringLiteral(
                "ディスクの空き容量が足りないか、ファイルサイズの上限に達しました。");
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return QStringLiteral("データベースファイルが壊れています。");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("ほかのプログラムがデータベースを使用中です。");
        default:
            return QStringLiteral("データベースエラー：%1。").arg(engine);
    }
}

StoreError backupFailure(const QString& reason) {
    return StoreError(QStringLiteral("バックアップを作れませんでした。%1").arg(reason));
}

#ifdef Q_OS_UNIX
// Makes sure what was written reached the disk; a full disk may show only here.
bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// An empty file only the owner may read, for the engine to fill: the engine would make it
// readable by everybody. errno on failure.
int createPrivateFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}
#endif

// A keyed connection for the backup paths, which answer each engine result themselves: the
// result of opening (SQLITE_OK, or the failure; a file that is no database of ours shows as
// SQLITE_NOTADB).
class KeyedConnection : public sql::Connection {
public:
    int open(const QString& file, const QString& password, int flags) {
        try {
            sql::Connection::open(file, password, flags);
            return SQLITE_OK;
        } catch (const sql::SqlError& e) {
            m_error = e.engine;
            return e.rc == sql::kNoCipher ? SQLITE_MISUSE : e.rc;
        }
    }
    // The engine's last message, for a reason the user may read.
    QString error() const { return get() ? QString::fromUtf8(sqlite3_errmsg(get())) : m_error; }
    int exec(const char* sql) { return sqlite3_exec(get(), sql, nullptr, nullptr, nullptr); }

private:
    QString m_error;
};

void removeWithJournal(const QString& file) {
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
}

// A free name in folder for a backup made now.
QString newBackupFile(const QString& folder) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = kNamePrefix + stamp + QStringLiteral(".mdb");
    for (int n = 2; QFileInfo::exists(folder + QLatin1Char('/') + name); ++n)
        name = kNamePrefix + stamp + QStringLiteral("-%1.mdb").arg(n);
    return folder + QLatin1Char('/') + name;
}

struct Named {
    QString file;
    QDateTime time;
    int serial = 0;
};

// The backups in folder, newest first.
std::vector<Named> backupFiles(const QString& folder) {
    std::vector<Named> out;
    const QStringList names = QDir(folder).entryList({kNamePrefix + QStringLiteral("*.mdb")},
                                                     QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = backupName().match(name);
        if (!m.hasMatch()) continue;
        const QDateTime time =
            QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
        if (!time.isValid()) continue;
        out.push_back({folder + QLatin1Char('/') + name, time,
                       m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(out.begin(), out.end(), [](const Named& a, const Named& b) {
        return a.time != b.time ? a.time > b.time : a.serial > b.serial;
    });
    return out;
}

void pruneBackups(const QString& folder) {
    const std::vector<Named> files = backupFiles(folder);
    for (std::size_t i = kBackupsKept; i < files.size(); ++i) removeWithJournal(files[i].file);
}

// Copies the engine's view of source into the new file part; throws StoreError.
void copyByEngine(sqlite3* source, const QString& part, const DatabaseFile& database) {
    KeyedConnection target;
    int rc = target.open(part, database.password, SQLITE_OPEN_READWRITE);
    // The copy is renamed into place only when whole: it needs no journal of its own.
    if (rc == SQLITE_OK) rc = target.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = FULL;");
    if (rc != SQLITE_OK)
        throw backupFailure(writeReason(rc, QFileInfo(part).absolutePath(), target.error()));
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source, "main");
    if (!backup)
        throw backupFailure(writeReason(sqlite3_extended_errcode(target.get()),
                                        QFileInfo(part).absolutePath(), target.error()));
    const int step = sqlite3_backup_step(backup, -1);
    rc = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE) {
        // A failure reading the database (a damaged page) is told apart from one writing.
        const int sourceRc = sqlite3_extended_errcode(source);
        if ((sourceRc & 0xff) == SQLITE_CORRUPT || (sourceRc & 0xff) == SQLITE_NOTADB ||
            (step & 0xff) == SQLITE_CORRUPT || (step & 0xff) == SQLITE_NOTADB)
            throw backupFailure(QStringLiteral("データベースファイル%1が壊れています。")
                                    .arg(quoted(database.file)));
        throw backupFailure(writeReason(step, QFileInfo(part).absolutePath(), target.error()));
    }
    if (rc != SQLITE_OK)
        throw backupFailure(writeReason(rc, QFileInfo(part).absolutePath(), target.error()));
}

// The bytes of a file as they lie on disk, for a database the engine cannot read whole.
QString copyBytes(const QString& from, const QString& part) {
    QFile in(from);
    QFile out(part);
    if (!in.open(QIODevice::ReadOnly)) return readFailureReason(from);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return writeFailureReason(part, out.error());
    char buffer[64 * 1024];
    for (qint64 n; (n = in.read(buffer, sizeof buffer)) > 0;)
        if (out.write(buffer, n) != n) return writeFailureReason(part, QFileDevice::ResourceError);
    return QString();
}

enum class Fallback { None, RawCopy };

// Makes a backup of database; with RawCopy, a database the engine cannot read whole is
// copied as it lies, so that recover can still salvage it. locked: a connection to database
// that already holds it, to copy from.
QString backupInto(const DatabaseFile& database, Fallback fallback, sqlite3* locked = nullptr) {
    const QString folder = backupFolderFor(database.file);
    if (!QFileInfo(database.file).isFile())
        throw backupFailure(
            QStringLiteral("データベースファイル%1が見つかりません。").arg(quoted(database.file)));
    if (!QDir().mkpath(folder))
        throw backupFailure(QStringLiteral("フォルダー%1を作れません。").arg(quoted(folder)));
    const QString file = newBackupFile(folder);
    const QString part =
        folder + QStringLiteral("/.") + QFileInfo(file).fileName() + QStringLiteral(".part");
#ifdef Q_OS_UNIX
    if (const int error = createPrivateFile(part); error != 0)
        throw backupFailure(
            error == ENOSPC || error == EDQUOT
                ? writeReason(SQLITE_FULL, folder, QString())
                : QStringLiteral("フォルダー%1に書き込めません。").arg(quoted(folder)));
#endif
    try {
        KeyedConnection source;
        // Read-write, so that a write a crash cut off is rolled back before the copy.
        int rc = locked ? SQLITE_OK
                        : source.open(database.file, database.password, SQLITE_OPEN_READWRITE);
        if (rc != SQLITE_OK && fallback == Fallback::None)
            throw backupFailure(
                QStringLiteral("データベースファイル%1を開けません。%2")
                    .arg(quoted(database.file), writeReason(rc, folder, source.error())));
        try {
            if (rc != SQLITE_OK) throw backupFailure(source.error());
            copyByEngine(locked ? locked : source.get(), part, database);
        } catch (const StoreError&) {
            if (fallback == Fallback::None) throw;
            source.close();
            removeWithJournal(part);
            const QString reason = copyBytes(database.file, part);
            if (!reason.isEmpty()) throw backupFailure(reason);
            // A journal of the cut-off write belongs with the bytes it undoes.
            const QString journal = database.file + QStringLiteral("-journal");
            if (QFileInfo::exists(journal)) {
                const QString reasonJournal = copyBytes(journal, part + QStringLiteral("-journal"));
                if (!reasonJournal.isEmpty()) throw backupFailure(reasonJournal);
            }
        }
#ifdef Q_OS_UNIX
        if (!syncFile(part)) throw backupFailure(writeReason(SQLITE_FULL, folder, QString()));
        QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
        if (QFileInfo::exists(part + QStringLiteral("-journal")) &&
            !QFile::rename(part + QStringLiteral("-journal"), file + QStringLiteral("-journal")))
            throw backupFailure(writeReason(SQLITE_IOERR, folder, QString()));
        if (!QFile::rename(part, file))
            throw backupFailure(writeReason(SQLITE_IOERR, folder, QString()));
    } catch (...) {
        removeWithJournal(part);
        throw;
    }
#ifdef Q_OS_UNIX
    syncFolder(folder);
#endif
    pruneBackups(folder);
    return file;
}

struct Automatic {
    std::mutex mutex;
    std::set<QString> done;  // databases backed up in this process
    std::function<void(const QString&)> warn;
};

Automatic& automatic() {
    static Automatic a;
    return a;
}

bool hasDraws(const DatabaseFile& database) {
    KeyedConnection c;
    if (c.open(database.file, database.password, SQLITE_OPEN_READONLY) != SQLITE_OK) return true;
    sqlite3_stmt* s = nullptr;
    bool any = true;
    if (sqlite3_prepare_v2(c.get(), "SELECT 1 FROM 当選データ LIMIT 1", -1, &s, nullptr) ==
        SQLITE_OK)
        any = sqlite3_step(s) != SQLITE_DONE;
    sqlite3_finalize(s);
    return any;
}

}  // namespace

QString backupFolderFor(const QString& databaseFile) {
    return QFileInfo(databaseFile).absolutePath() + QLatin1Char('/') +
           QLatin1String(kBackupFolderName);
}

QString makeBackup(const DatabaseFile& database) { return backupInto(database, Fallback::None); }

void setBackupWarningHandler(std::function<void(const QString&)> handler) {
    std::lock_guard lock(automatic().mutex);
    automatic().warn = std::move(handler);
}

void backupBeforeFirstWrite(const DatabaseFile& database) {
    const QString key = QFileInfo(database.file).absoluteFilePath();
    {
        std::lock_guard lock(automatic().mutex);
        if (automatic().done.count(key)) return;
    }
    // A new database has nothing to lose yet; it is backed up once it holds draws.
    if (!QFileInfo(database.file).isFile() || !hasDraws(database)) return;
    {
        std::lock_guard lock(automatic().mutex);
        if (!automatic().done.insert(key).second) return;
    }
    try {
        makeBackup(database);
    } catch (const StoreError& e) {
        const QString message = e.message() + QStringLiteral("変更の書き込みはこのまま行います。");
        std::function<void(const QString&)> warn;
        {
            std::lock_guard lock(automatic().mutex);
            warn = automatic().warn;
        }
        if (warn)
            warn(message);
        else
            std::fprintf(stderr, "pirumoa: %s\n", message.toUtf8().constData());
    }
}

std::vector<BackupEntry> listBackups(const DatabaseFile& database) {
    std::vector<BackupEntry> out;
    for (const Named& n : backupFiles(backupFolderFor(database.file))) {
        BackupEntry e;
        e.file = n.file;
        e.time = n.time;
        try {
            DatabaseFile backup = database;
            backup.file = n.file;
            const DrawHistory history = loadDrawHistory(backup);
            e.draws = int(history.rows.size());
            e.latestDraw = history.latestDrawNo;
        } catch (const StoreError&) {
            e.problem = QStringLiteral("読み取れません（壊れています）");
        }
        out.push_back(e);
    }
    return out;
}

QString resolveBackupFile(const DatabaseFile& database, const QString& name) {
    if (QFileInfo::exists(name) || name.contains(QLatin1Char('/')))
        return QFileInfo(name).absoluteFilePath();
    return backupFolderFor(database.file) + QLatin1Char('/') + name;
}

QString restoreBackup(const DatabaseFile& database, const QString& backupFile) {
    DatabaseFile backup = database;
    backup.file = QFileInfo(backupFile).absoluteFilePath();
    if (backup.file == QFileInfo(database.file).absoluteFilePath())
        throw StoreError(
            QStringLiteral("復元するバックアップにデータベースファイルそのものは指定できません。"));
    // A backup that cannot be read whole is refused before anything is touched.
    try {
        loadDrawHistory(backup);
        KeyedConnection check;
        sqlite3_stmt* s = nullptr;
        bool ok =
            check.open(backup.file, backup.password, SQLITE_OPEN_READONLY) == SQLITE_OK &&
            sqlite3_prepare_v2(check.get(), "PRAGMA quick_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW &&
            qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ok") == 0;
        sqlite3_finalize(s);
        if (!ok) throw StoreError(QStringLiteral("ファイルが壊れています。"));
    } catch (const StoreError& e) {
        throw StoreError(
            QStringLiteral("バックアップ%1から復元できません。%2データベースは変更していません。")
                .arg(quoted(backup.file), e.message()));
    }

    const QString folder = QFileInfo(database.file).absolutePath();
    const bool exists = QFileInfo(database.file).isFile();
    QString kept;
    // Keeps writers out from the backup of the current file until the new one is in place:
    // a write in between would be in neither.
    KeyedConnection lock;
    if (exists) {
        int rc = lock.open(database.file, database.password, SQLITE_OPEN_READWRITE);
        if (rc == SQLITE_OK) rc = lock.exec("BEGIN EXCLUSIVE;");
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
            throw StoreError(
                QStringLiteral("ほかのプログラムがデータベースを使用中のため、復元"
                               "できません。しばらくしてからやり直してください。"
                               "データベースは変更していません。"));
        // A file too damaged to lock is replaced all the same: its bytes go to the backup.
        if (rc != SQLITE_OK) lock.close();
        try {
            kept = backupInto(database, Fallback::RawCopy, lock.get());
        } catch (const StoreError& e) {
            throw StoreError(
                e.message() +
                QStringLiteral("今のデータベースを残せないため、復元しませんでした。"));
        }
    }

    const QString part = folder + QStringLiteral("/.") + QFileInfo(database.file).fileName() +
                         QStringLiteral(".restore");
    removeWithJournal(part);
    QString reason = copyBytes(backup.file, part);
#ifdef Q_OS_UNIX
    if (reason.isEmpty() && !syncFile(part)) reason = writeReason(SQLITE_FULL, folder, QString());
#endif
    if (reason.isEmpty()) {
        const QFileDevice::Permissions mode =
            exists ? QFile::permissions(database.file)
                   : QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QFile::setPermissions(part, mode);
        // A journal of the old file would be played back into the new one.
        const QString journal = database.file + QStringLiteral("-journal");
        if (QFileInfo::exists(journal) && !QFile::remove(journal))
            reason = writeReason(SQLITE_IOERR, folder, QString());
    }
    if (reason.isEmpty()) {
#ifdef Q_OS_UNIX
        if (::rename(QFile::encodeName(part).constData(),
                     QFile::encodeName(database.file).constData()) != 0)
            reason = writeReason(SQLITE_IOERR, folder, QString());
#else
        QFile::remove(database.file);
        if (!QFile::rename(part, database.file))
            reason = writeReason(SQLITE_IOERR, folder, QString());
#endif
    }
    if (!reason.isEmpty()) {
        QFile::remove(part);
        throw StoreError(
            QStringLiteral(
                "バックアップ%1から復元できませんでした。%2データベースは変更していません。")
                .arg(quoted(backup.file), reason));
    }
#ifdef Q_OS_UNIX
    syncFolder(folder);
#endif
    return kept;
}

QString damagedDatabaseAdvice() {
    return QStringLiteral(
        "「データ管理」→「バックアップから復元...」で最新のバックアップに戻すか、"
        "pirumoa-cli recover --db データベースファイル --output 出力.csv で読み取れる当選データを"
        "取り出してください。");
}

}  // namespace pirumoa
