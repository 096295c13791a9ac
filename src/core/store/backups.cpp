#include "core/store/backups.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

#include "core/store/cipherkey.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/sqlcipher.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace pirumoa {

namespace {

const QString kNamePrefix = QStringLiteral("Numbers4Pirumoa-");
const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

// The rounds of the key derivation in the cipher settings (cipherkey.h): a raw key derived
// otherwise does not open the file, and every check falls back to the password.
constexpr int kKeyRounds = 4000;
constexpr int kKeyBytes = 32;
// The file's first bytes, in the clear: the salt of its key.
constexpr qint64 kSaltBytes = 16;
// A part that old belongs to a backup that was cut off: a backup takes milliseconds.
constexpr qint64 kStalePartSeconds = 60;

// Numbers4Pirumoa-20261207-051500Z.mdb, in UTC; a second backup within the same second gets
// "-2", and so on. Older versions named them in local time, without the Z.
const QRegularExpression& backupName() {
    static const QRegularExpression re(
        QStringLiteral("^Numbers4Pirumoa-(\\d{8}-\\d{6})(Z?)(?:-(\\d+))?\\.mdb$"));
    return re;
}

// A backup being written (NAME.part), or one that was cut off, in this version's form or the
// hidden one of older versions.
const QRegularExpression& partName() {
    static const QRegularExpression re(QStringLiteral(
        "^\\.?Numbers4Pirumoa-\\d{8}-\\d{6}Z?(?:-\\d+)?\\.mdb\\.part(?:-journal)?$"));
    return re;
}

QString fullDisk() {
    return QStringLiteral("ディスクの空き容量が足りないか、ファイルサイズの上限に達しました。");
}

QString cannotWrite(const QString& folder) {
    return QStringLiteral("フォルダー%1に書き込めません。").arg(quoted(folder));
}

StoreError backupFailure(const QString& reason) {
    return StoreError(QStringLiteral("バックアップを作れませんでした。%1").arg(reason));
}

// ---- files -----------------------------------------------------------------------------

#ifdef Q_OS_UNIX
QString reasonOfErrno(int error, const QString& folder) {
    if (error == ENOSPC || error == EDQUOT || error == EFBIG) return fullDisk();
    return cannotWrite(folder);
}

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// Writes bytes into a new file that only its owner may read, and syncs it: an empty string,
// or the reason. EEXIST is told apart by *exists.
QString writeNewFile(const QString& path, const QByteArray& bytes, bool* exists = nullptr) {
    const QString folder = QFileInfo(path).absolutePath();
    const int fd = ::open(encoded(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        if (exists) *exists = errno == EEXIST;
        return reasonOfErrno(errno, folder);
    }
    const char* at = bytes.constData();
    qint64 left = bytes.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t n = ::write(fd, at, std::size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        at += n;
        left -= n;
    }
    // A full disk may show only when the data reaches it.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    if (error == 0) return QString();
    ::unlink(encoded(path).constData());
    return reasonOfErrno(error, folder);
}

void syncFolder(const QString& folder) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Gives the finished part its name, unless another file has it already: false then, and the
// part stays.
bool nameIfFree(const QString& part, const QString& file, QString* reason) {
    if (::link(encoded(part).constData(), encoded(file).constData()) == 0) {
        ::unlink(encoded(part).constData());
        return true;
    }
    if (errno == EEXIST) return false;
    // A file system without hard links: a rename, after a look that the name is free.
    if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EXDEV) {
        if (QFileInfo::exists(file)) return false;
        if (::rename(encoded(part).constData(), encoded(file).constData()) == 0) return true;
    }
    *reason = reasonOfErrno(errno, QFileInfo(file).absolutePath());
    return false;
}

// Whether path is a folder itself: not a link to one, not a file.
bool isRealFolder(const QString& path) {
    struct stat st {};
    return ::lstat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
#else
QString writeNewFile(const QString& path, const QByteArray& bytes, bool* exists = nullptr) {
    QFile f(path);
    if (exists) *exists = f.exists();
    if (f.exists() || !f.open(QIODevice::NewOnly | QIODevice::Unbuffered))
        return writeFailureReason(path, f.error());
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const bool ok = f.write(bytes) == bytes.size() && f.flush();
    f.close();
    if (ok) return QString();
    f.remove();
    return writeFailureReason(path, QFileDevice::ResourceError);
}

void syncFolder(const QString&) {}

bool nameIfFree(const QString& part, const QString& file, QString* reason) {
    if (QFileInfo::exists(file)) return false;
    if (QFile::rename(part, file)) return true;
    *reason = writeFailureReason(file, QFileDevice::RenameError);
    return false;
}

bool isRealFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && !info.isJunction();
}
#endif

QByteArray readWhole(const QString& path, qint64 limit = -1) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return limit < 0 ? f.readAll() : f.read(limit);
}

// The backups folder, made when missing. One that is a link or a file is never written
// through: the backups would land where nobody looks for them, and thinning them out would
// remove files elsewhere.
void prepareFolder(const QString& folder) {
    if (!QFileInfo::exists(folder) && !QFileInfo(folder).isSymLink() && !QDir().mkpath(folder))
        throw backupFailure(QStringLiteral("フォルダー%1を作れません。").arg(quoted(folder)));
    if (!isRealFolder(folder))
        throw backupFailure(
            QStringLiteral("バックアップ用の%1がフォルダーではなく、リンクかファイルになっている"
                           "ため、そこには書き込みません。フォルダーに置き換えてください。")
                .arg(quoted(folder)));
}

// ---- the key ---------------------------------------------------------------------------

QByteArray pbkdf2Sha1(const QByteArray& password, const QByteArray& salt) {
    QByteArray out;
    QMessageAuthenticationCode mac(QCryptographicHash::Sha1, password);
    for (quint32 block = 1; out.size() < kKeyBytes; ++block) {
        mac.reset();
        mac.addData(salt);
        const char index[4] = {char(block >> 24), char(block >> 16), char(block >> 8), char(block)};
        mac.addData(index, sizeof index);
        QByteArray u = mac.result();
        QByteArray sum = u;
        for (int round = 1; round < kKeyRounds; ++round) {
            mac.reset();
            mac.addData(u);
            u = mac.result();
            for (qsizetype i = 0; i < sum.size(); ++i) sum[i] = char(sum[i] ^ u[i]);
        }
        out += sum;
    }
    return out.left(kKeyBytes);
}

// The key the engine derives from password for a file with this salt, as the raw key the
// engine takes instead of a password ("x'…'"): every copy of a file shares its salt, so a
// backup, its check and a restore derive the key once in this process, not once a file.
QString rawKey(const QString& password, const QByteArray& salt) {
    static std::mutex mutex;
    static std::map<std::pair<QString, QByteArray>, QString> keys;
    std::lock_guard lock(mutex);
    QString& key = keys[{password, salt}];
    if (key.isEmpty())
        key = QStringLiteral("x'%1'").arg(
            QString::fromLatin1(pbkdf2Sha1(password.toUtf8(), salt).toHex()));
    return key;
}

// Opens file with the key derived for salt (its first bytes); with the password where the
// salt is unknown or the raw key does not open it. Throws SqlError.
void openKeyed(sql::Connection& c, const QString& file, const QString& password, int flags,
               const QByteArray& salt) {
    if (salt.size() == kSaltBytes) {
        try {
            c.open(file, rawKey(password, salt), flags);
            return;
        } catch (const sql::SqlError& e) {
            if ((e.rc & 0xff) != SQLITE_NOTADB) throw;
        }
    }
    c.open(file, password, flags);
}

// ---- names and generations ---------------------------------------------------------------

struct Named {
    QString file;
    QDateTime time;  // UTC
    int serial = 1;
};

bool newerFirst(const Named& a, const Named& b) {
    return a.time != b.time ? a.time > b.time : a.serial > b.serial;
}

// The backups in folder by their names, newest first.
std::vector<Named> backupFiles(const QString& folder) {
    std::vector<Named> out;
    const QStringList names = QDir(folder).entryList({kNamePrefix + QStringLiteral("*.mdb")},
                                                     QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = backupName().match(name);
        if (!m.hasMatch()) continue;
        QDateTime time = QDateTime::fromString(m.captured(1), kStampFormat);
        if (!time.isValid()) continue;
        time =
            m.captured(2).isEmpty() ? time.toUTC() : QDateTime(time.date(), time.time(), Qt::UTC);
        out.push_back({folder + QLatin1Char('/') + name, time,
                       m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()});
    }
    std::sort(out.begin(), out.end(), newerFirst);
    return out;
}

void removeWithJournal(const QString& file) {
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
}

// Thins out the backups in folder by their generations; those in keep stay whatever their age.
void prune(const QString& folder, const std::set<QString>& keep) {
    const std::vector<Named> files = backupFiles(folder);
    std::vector<QDateTime> times;
    for (const Named& n : files) times.push_back(n.time);
    const std::vector<bool> kept = backupsKept(times, QDateTime::currentDateTimeUtc());
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!kept[i] && !keep.count(files[i].file)) removeWithJournal(files[i].file);
}

// Parts of backups that were cut off (a crash, a kill) long enough ago that no backup is
// still writing them.
void removeStaleParts(const QString& folder) {
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-kStalePartSeconds);
    const QFileInfoList parts = QDir(folder).entryInfoList(
        {QStringLiteral("*.part"), QStringLiteral("*.part-journal")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& part : parts)
        if (partName().match(part.fileName()).hasMatch() && part.lastModified().toUTC() < before)
            QFile::remove(part.absoluteFilePath());
}

// ---- writing a backup --------------------------------------------------------------------

// The newest backup when it holds exactly bytes; empty otherwise.
QString identicalNewest(const QString& folder, const QByteArray& bytes) {
    const std::vector<Named> files = backupFiles(folder);
    if (files.empty() || QFileInfo(files.front().file).size() != bytes.size()) return QString();
    return readWhole(files.front().file) == bytes ? files.front().file : QString();
}

// Whether the copy in part opens with the database's key and every page of it reads back.
void checkCopy(const QString& part, const QString& password, const QByteArray& bytes) {
    try {
        sql::Connection c;
        openKeyed(c, part, password, SQLITE_OPEN_READONLY, bytes.left(kSaltBytes));
        if (sql::intact(c.get())) return;
    } catch (const sql::SqlError&) {
    }
    throw backupFailure(QStringLiteral("データベースファイルが壊れているか、コピーを正しく読み"
                                       "返せません。") +
                        damagedDatabaseAdvice());
}

struct Kept {
    QString file;
    bool made = false;  // false: the newest backup held the same bytes
};

// Keeps bytes, the stored database, as a backup in folder: the newest backup when it holds
// the same bytes, otherwise a new file, written as NAME.part, synced, checked with check,
// given a name no other backup has (another program may be making one in the same second)
// and the folder synced. journal: a journal of a write that was cut off, which belongs with
// the bytes. The backups are thinned out after, except those in keep. Throws StoreError.
Kept keepBytes(const QString& folder, const QByteArray& bytes, const QString& password, bool check,
               std::set<QString> keep, const QByteArray& journal = {}) {
    prepareFolder(folder);
    removeStaleParts(folder);
    if (journal.isEmpty())
        if (const QString same = identicalNewest(folder, bytes); !same.isEmpty())
            return {same, false};

    const QString stamp = QDateTime::currentDateTimeUtc().toString(kStampFormat) + QLatin1Char('Z');
    const auto nameOf = [&](int serial) {
        return folder + QLatin1Char('/') + kNamePrefix + stamp +
               (serial > 1 ? QStringLiteral("-%1").arg(serial) : QString()) +
               QStringLiteral(".mdb");
    };
    int serial = 1;
    QString part;
    for (;; ++serial) {
        if (QFileInfo::exists(nameOf(serial))) continue;
        part = nameOf(serial) + QStringLiteral(".part");
        bool exists = false;
        const QString reason = writeNewFile(part, bytes, &exists);
        if (reason.isEmpty()) break;
        if (!exists) throw backupFailure(reason);
    }
    QString file;
    try {
        if (check) checkCopy(part, password, bytes);
        QString reason;
        for (; !nameIfFree(part, nameOf(serial), &reason); ++serial)
            if (!reason.isEmpty()) throw backupFailure(reason);
        file = nameOf(serial);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if (!journal.isEmpty()) {
        const QString journalPart = file + QStringLiteral(".part-journal");
        QFile::remove(journalPart);
        const QString reason = writeNewFile(journalPart, journal);
        if (!reason.isEmpty() || !QFile::rename(journalPart, file + QStringLiteral("-journal"))) {
            QFile::remove(journalPart);
            removeWithJournal(file);
            throw backupFailure(reason.isEmpty() ? cannotWrite(folder) : reason);
        }
    }
    syncFolder(folder);
    keep.insert(file);
    prune(folder, keep);
    return {file, true};
}

// The database file as stored, read through db's own handle of it while db holds a lock:
// a second handle of this process on the file would drop the engine's locks when closed.
QByteArray storedBytes(sqlite3* db) {
    sqlite3_file* handle = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &handle) != SQLITE_OK ||
        !handle || !handle->pMethods)
        throw sql::SqlError{SQLITE_IOERR, QStringLiteral("no file handle")};
    sqlite3_int64 size = 0;
    int rc = handle->pMethods->xFileSize(handle, &size);
    QByteArray bytes;
    if (rc == SQLITE_OK) bytes.resize(qsizetype(size));
    constexpr sqlite3_int64 kChunk = 1 << 20;
    for (sqlite3_int64 at = 0; rc == SQLITE_OK && at < size; at += kChunk)
        rc = handle->pMethods->xRead(handle, bytes.data() + at, int(std::min(kChunk, size - at)),
                                     at);
    if (rc != SQLITE_OK) throw sql::SqlError{rc, QString::fromUtf8(sqlite3_errstr(rc))};
    return bytes;
}

// The password every database of the program is keyed with (databaseFileIn).
QString programPassword() { return QString::number(kPasswordNumber); }

// The salt at the head of a file nobody in this process holds a lock on.
QByteArray saltOf(const QString& file) { return readWhole(file, kSaltBytes); }

// ---- the automatic backup ----------------------------------------------------------------

struct Automatic {
    std::mutex mutex;
    std::set<QString> done;  // databases backed up in this process
    std::function<void(const QString&)> warn;
};

Automatic& automatic() {
    static Automatic a;
    return a;
}

// Whether the database holds anything a user would miss: draws or tickets.
bool holdsUserData(sqlite3* db) {
    sql::Statement draws(db, "SELECT 1 FROM 当選データ LIMIT 1");
    if (draws.step()) return true;
    if (!sql::schemaHas(db, "購入数字")) return false;
    sql::Statement tickets(db, "SELECT 1 FROM 購入数字 LIMIT 1");
    return tickets.step();
}

void warn(const QString& message) {
    std::function<void(const QString&)> handler;
    {
        std::lock_guard lock(automatic().mutex);
        handler = automatic().warn;
    }
    if (handler)
        handler(message);
    else
        std::fprintf(stderr, "pirumoa: %s\n", message.toUtf8().constData());
}

// ---- restore -----------------------------------------------------------------------------

// The draws in a backup and its last complete draw, read without loading every row. Throws
// SqlError.
std::pair<int, int> drawCount(sqlite3* db) {
    sql::Statement s(db,
                     "SELECT count(*), max(CASE WHEN ifnull(第1数字, '') <> '' AND "
                     "ifnull(第2数字, '') <> '' AND ifnull(第3数字, '') <> '' AND "
                     "ifnull(第4数字, '') <> '' THEN 回数 END) FROM 全データ選択クエリ");
    s.step();
    return {sqlite3_column_int(s.get(), 0), sqlite3_column_int(s.get(), 1)};
}

// A backup that cannot be restored whole is refused before anything is touched.
void checkBackup(const DatabaseFile& backup) {
    QString reason;
    if (!QFileInfo(backup.file).isFile()) {
        reason = readFailureReason(backup.file);
    } else {
        try {
            sql::Connection c;
            openKeyed(c, backup.file, backup.password, SQLITE_OPEN_READONLY, saltOf(backup.file));
            if (!sql::intact(c.get()))
                reason = QStringLiteral("ファイルが壊れています。");
            else
                drawCount(c.get());
        } catch (const sql::SqlError& e) {
            reason = sql::reasonFor(e);
        }
    }
    if (!reason.isEmpty())
        throw StoreError(
            QStringLiteral("バックアップ%1から復元できません。%2データベースは変更していません。")
                .arg(quoted(backup.file), reason));
}

// The file a restore replaces: the database, or the file its link points to.
QString fileBehind(const QString& database) {
    const QFileInfo info(database);
    if (!info.isSymLink()) return info.absoluteFilePath();
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? QFileInfo(info.symLinkTarget()).absoluteFilePath() : target;
}

bool isBusy(int rc) { return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED; }

}  // namespace

QString backupFolderFor(const QString& databaseFile) {
    return QFileInfo(databaseFile).absolutePath() + QLatin1Char('/') +
           QLatin1String(kBackupFolderName);
}

std::vector<bool> backupsKept(const std::vector<QDateTime>& times, const QDateTime& now) {
    std::vector<std::size_t> order(times.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return times[a] > times[b]; });
    std::vector<bool> kept(times.size(), false);
    const QDateTime dayAgo = now.addSecs(-24 * 60 * 60);
    const QDate today = now.toLocalTime().date();
    const auto monthOf = [](const QDate& d) { return d.year() * 12 + d.month() - 1; };
    int recent = 0;
    std::set<QDate> days;
    std::set<int> months;
    for (std::size_t i : order) {
        const QDate day = times[i].toLocalTime().date();
        // A backup dated ahead of the clock (the clock was set back) counts as recent.
        if (times[i] > dayAgo && recent < kRecentKept) {
            ++recent;
            kept[i] = true;
        }
        if (day > today.addDays(-kDaysKept) && days.insert(day).second) kept[i] = true;
        if (monthOf(day) > monthOf(today) - kMonthsKept && months.insert(monthOf(day)).second)
            kept[i] = true;
    }
    return kept;
}

QString makeBackup(const DatabaseFile& database) {
    if (!QFileInfo(database.file).isFile())
        throw backupFailure(
            QStringLiteral("データベースファイル%1が見つかりません。").arg(quoted(database.file)));
    const QString folder = backupFolderFor(database.file);
    prepareFolder(folder);
    QByteArray bytes;
    try {
        sql::Connection c;
        // Read-write, so that a write a crash cut off is rolled back before the copy.
        openKeyed(c, database.file, database.password, SQLITE_OPEN_READWRITE,
                  saltOf(database.file));
        // A shared lock: writers wait until the bytes are read, readers go on.
        sql::exec(c.get(), "BEGIN; SELECT count(*) FROM sqlite_master;");
        bytes = storedBytes(c.get());
        sql::exec(c.get(), "COMMIT;");
    } catch (const sql::SqlError& e) {
        throw backupFailure(QStringLiteral("データベースファイル%1を読み込めません。%2")
                                .arg(quoted(database.file), sql::reasonFor(e)));
    }
    return keepBytes(folder, bytes, database.password, true, {}).file;
}

bool backupPending(const QString& databaseFile) {
    std::lock_guard lock(automatic().mutex);
    return !automatic().done.count(databaseFile);
}

void backupBeforeFirstChange(sqlite3* db, const QString& databaseFile) {
    {
        std::lock_guard lock(automatic().mutex);
        if (!automatic().done.insert(databaseFile).second) return;
    }
    try {
        if (!holdsUserData(db)) {
            // A new database has nothing to lose yet; it is backed up once it holds something.
            std::lock_guard lock(automatic().mutex);
            automatic().done.erase(databaseFile);
            return;
        }
        const QByteArray bytes = storedBytes(db);
        keepBytes(backupFolderFor(databaseFile), bytes, programPassword(), true, {});
    } catch (const sql::SqlError& e) {
        warn(backupFailure(sql::reasonFor(e)).message() +
             QStringLiteral("変更の書き込みはこのまま行います。"));
    } catch (const StoreError& e) {
        warn(e.message() + QStringLiteral("変更の書き込みはこのまま行います。"));
    }
}

void setBackupWarningHandler(std::function<void(const QString&)> handler) {
    std::lock_guard lock(automatic().mutex);
    automatic().warn = std::move(handler);
}

std::vector<BackupEntry> listBackups(const DatabaseFile& database) {
    std::vector<BackupEntry> out;
    for (const Named& n : backupFiles(backupFolderFor(database.file))) {
        BackupEntry e;
        e.file = n.file;
        e.time = n.time;
        try {
            sql::Connection c;
            openKeyed(c, n.file, database.password, SQLITE_OPEN_READONLY, saltOf(n.file));
            std::tie(e.draws, e.latestDraw) = drawCount(c.get());
        } catch (const sql::SqlError&) {
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
    const QString target = fileBehind(database.file);
    if (backup.file == QFileInfo(database.file).absoluteFilePath() ||
        QFileInfo(backup.file).canonicalFilePath() == target)
        throw StoreError(
            QStringLiteral("復元するバックアップにデータベースファイルそのものは指定できません。"));
    checkBackup(backup);

    const QString folder = backupFolderFor(database.file);
    const auto notKept = [](const QString& why) {
        return StoreError(why +
                          QStringLiteral("今のデータベースを残せないため、復元しませんでした。"));
    };
    // Writers wait from the copy of the current file until the restored one is in place: a
    // write in between would be in neither. Readers go on reading the file they have.
    sql::Connection lock;
    QString kept;
    if (QFileInfo::exists(target)) {
        QByteArray bytes, journal;
        try {
            openKeyed(lock, database.file, database.password, SQLITE_OPEN_READWRITE,
                      saltOf(database.file));
            sql::exec(lock.get(), "BEGIN IMMEDIATE;");
            // Another restore put its file in place while this one waited for the lock.
            int moved = 0;
            if (sqlite3_file_control(lock.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) ==
                    SQLITE_OK &&
                moved)
                throw sql::SqlError{SQLITE_BUSY, QString()};
            bytes = storedBytes(lock.get());
        } catch (const sql::SqlError& e) {
            if (isBusy(e.rc))
                throw StoreError(
                    QStringLiteral("ほかのプログラムがデータベースを使用中のため、復元"
                                   "できません。しばらくしてからやり直してください。"
                                   "データベースは変更していません。"));
            // A file too damaged to lock is replaced all the same: its bytes as they lie on
            // disk go to the backup, with the journal of a write that was cut off.
            lock.close();
            bytes = readWhole(target);
            journal = readWhole(database.file + QStringLiteral("-journal"));
            if (bytes.isEmpty() && QFileInfo(target).size() > 0)
                throw notKept(backupFailure(readFailureReason(target)).message());
        }
        try {
            kept = keepBytes(folder, bytes, database.password, false, {backup.file}, journal).file;
        } catch (const StoreError& e) {
            throw notKept(e.message());
        }
    }

    // The backup's bytes beside the file they replace, put in its place in one step.
    const QString targetFolder = QFileInfo(target).absolutePath();
    const QString part = targetFolder + QStringLiteral("/.") + QFileInfo(target).fileName() +
                         QStringLiteral(".restore");
    QFile::remove(part);
    const QByteArray bytes = readWhole(backup.file);
    QString reason = bytes.size() == QFileInfo(backup.file).size() ? writeNewFile(part, bytes)
                                                                   : readFailureReason(backup.file);
    if (reason.isEmpty()) {
        const QFileDevice::Permissions mode =
            QFileInfo::exists(target) ? QFile::permissions(target)
                                      : QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QFile::setPermissions(part, mode);
        // A journal of the old file would be played back into the new one.
        for (const QString& journal :
             {target + QStringLiteral("-journal"), database.file + QStringLiteral("-journal")})
            if (QFileInfo::exists(journal) && !QFile::remove(journal))
                reason = cannotWrite(QFileInfo(journal).absolutePath());
    }
    if (reason.isEmpty()) {
#ifdef Q_OS_UNIX
        if (::rename(encoded(part).constData(), encoded(target).constData()) != 0)
            reason = reasonOfErrno(errno, targetFolder);
#else
        QFile::remove(target);
        if (!QFile::rename(part, target)) reason = cannotWrite(targetFolder);
#endif
    }
    if (!reason.isEmpty()) {
        QFile::remove(part);
        throw StoreError(
            QStringLiteral(
                "バックアップ%1から復元できませんでした。%2データベースは変更していません。")
                .arg(quoted(backup.file), reason));
    }
    syncFolder(targetFolder);
    lock.close();
    // The restored backup stays, whatever its age: it is the state the user chose.
    std::set<QString> keep{backup.file};
    if (!kept.isEmpty()) keep.insert(kept);
    if (isRealFolder(folder)) prune(folder, keep);
    return kept;
}

QString damagedDatabaseAdvice() {
    return QStringLiteral(
        "「データ管理」→「バックアップから復元...」で最新のバックアップに戻すか、"
        "pirumoa-cli recover --db データベースファイル --output 出力.csv で読み取れる当選データを"
        "取り出してください。");
}

}  // namespace pirumoa
