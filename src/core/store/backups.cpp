#include "core/store/backups.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "core/store/cipherkey.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/sqlcipher.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pthread.h>
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

void syncFolder(const QString& folder) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Makes a written file reach the disk: 0 or the error.
int syncFile(const QString& file) {
    const int fd = ::open(encoded(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

enum class Naming { Named, Taken, NoLinks, Failed };

// Gives the finished part a second name, file, unless another file has it already. The part
// keeps its own name until it is removed, so that a check still reading it goes on.
Naming linkIfFree(const QString& part, const QString& file, QString* reason) {
    if (::link(encoded(part).constData(), encoded(file).constData()) == 0) return Naming::Named;
    if (errno == EEXIST) return Naming::Taken;
    if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EXDEV)
        return Naming::NoLinks;
    *reason = reasonOfErrno(errno, QFileInfo(file).absolutePath());
    return Naming::Failed;
}

bool replaceFile(const QString& part, const QString& file, QString* reason) {
    if (::rename(encoded(part).constData(), encoded(file).constData()) == 0) return true;
    *reason = reasonOfErrno(errno, QFileInfo(file).absolutePath());
    return false;
}

// Whether path is a folder itself: not a link to one, not a file.
bool isRealFolder(const QString& path) {
    struct stat st {};
    return ::lstat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
#else
QString reasonOfErrno(int, const QString& folder) { return cannotWrite(folder); }

void syncFolder(const QString&) {}

int syncFile(const QString&) { return 0; }

enum class Naming { Named, Taken, NoLinks, Failed };

Naming linkIfFree(const QString&, const QString&, QString*) { return Naming::NoLinks; }

bool replaceFile(const QString& part, const QString& file, QString* reason) {
    QFile::remove(file);
    if (QFile::rename(part, file)) return true;
    *reason = cannotWrite(QFileInfo(file).absolutePath());
    return false;
}

bool isRealFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && !info.isJunction();
}
#endif

// A file written aside, only its owner may read it; removed with the object unless kept.
class PartFile {
public:
    PartFile() = default;
    ~PartFile() { discard(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Writes bytes into the new file path: an empty string, or the reason; *taken tells that
    // another file has the name already.
    QString write(const QString& path, const QByteArray& bytes, bool* taken = nullptr) {
        const QString folder = QFileInfo(path).absolutePath();
#ifdef Q_OS_UNIX
        m_fd = ::open(encoded(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                      S_IRUSR | S_IWUSR);
        if (m_fd < 0) {
            if (taken) *taken = errno == EEXIST;
            return reasonOfErrno(errno, folder);
        }
        m_path = path;
        for (qint64 at = 0; at < bytes.size();) {
            const ssize_t n = ::write(m_fd, bytes.constData() + at, std::size_t(bytes.size() - at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                const int error = n < 0 ? errno : ENOSPC;
                discard();
                return reasonOfErrno(error, folder);
            }
            at += n;
        }
#else
        QFile f(path);
        if (taken) *taken = f.exists();
        if (!f.open(QIODevice::NewOnly)) return writeFailureReason(path, f.error());
        m_path = path;
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (f.write(bytes) != bytes.size() || !f.flush()) {
            f.close();
            discard();
            return writeFailureReason(path, QFileDevice::ResourceError);
        }
#endif
        return QString();
    }
    // Makes the bytes reach the disk, where a full disk may show only now: 0 or the error.
    // Touches nothing of Qt's, so it may run on a thread of its own.
    int sync() {
#ifdef Q_OS_UNIX
        if (m_fd >= 0 && ::fsync(m_fd) != 0) return errno;
#endif
        return 0;
    }
    const QString& path() const { return m_path; }
    // The part has its place now: nothing to remove.
    void kept() {
        close();
        m_path.clear();
    }
    void discard() {
        close();
        if (!m_path.isEmpty()) QFile::remove(m_path);
        m_path.clear();
    }

private:
    void close() {
#ifdef Q_OS_UNIX
        if (m_fd >= 0) ::close(m_fd);
#endif
        m_fd = -1;
    }
    QString m_path;
    int m_fd = -1;
};

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
    // Never destroyed: a check still running while the program ends may ask for a key.
    static auto& mutex = *new std::mutex;
    static auto& keys = *new std::map<std::pair<QString, QByteArray>, QString>;
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

// "20261207-051500" as a time (in no zone yet); invalid when it is none. Read by hand: a
// backup looks through every name in the folder, and parsing by a format costs far more.
QDateTime stampTime(const QString& stamp) {
    const auto number = [&](int at, int length) { return stamp.mid(at, length).toInt(); };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const QTime time(number(9, 2), number(11, 2), number(13, 2));
    return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

// The backups in folder by their names, newest first.
std::vector<Named> backupFiles(const QString& folder) {
    std::vector<Named> out;
    const QStringList names = QDir(folder).entryList({kNamePrefix + QStringLiteral("*.mdb")},
                                                     QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = backupName().match(name);
        if (!m.hasMatch()) continue;
        QDateTime time = stampTime(m.captured(1));
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

// The file a restore replaces: the database, or the file its link points to.
QString fileBehind(const QString& database) {
    const QFileInfo info(database);
    if (!info.isSymLink()) return info.absoluteFilePath();
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? QFileInfo(info.symLinkTarget()).absoluteFilePath() : target;
}

// A restore keeps the database file itself as a backup, under a second name, just before it
// puts the restored file in its place; one cut off in between leaves a "backup" that is the
// database and would change with it. That name goes: what it holds is the database itself.
void forgetNamesOf(const QString& folder, const QString& database) {
#ifdef Q_OS_UNIX
    struct stat db {};
    if (database.isEmpty() || ::stat(encoded(database).constData(), &db) != 0 || db.st_nlink < 2)
        return;
    for (const Named& n : backupFiles(folder)) {
        struct stat st {};
        if (::stat(encoded(n.file).constData(), &st) == 0 && st.st_dev == db.st_dev &&
            st.st_ino == db.st_ino)
            ::unlink(encoded(n.file).constData());
    }
#else
    Q_UNUSED(folder);
    Q_UNUSED(database);
#endif
}

// ---- writing a backup --------------------------------------------------------------------

// The newest backup when it holds exactly bytes; empty otherwise. A file written since differs
// in its first page already, so the comparison mostly stops there.
QString identicalNewest(const QString& folder, const QByteArray& bytes) {
    const std::vector<Named> files = backupFiles(folder);
    if (files.empty()) return QString();
    QFile newest(files.front().file);
    if (newest.size() != bytes.size() || !newest.open(QIODevice::ReadOnly)) return QString();
    constexpr qint64 kChunk = 64 * 1024;
    for (qint64 at = 0; at < bytes.size(); at += kChunk)
        if (newest.read(kChunk) !=
            QByteArrayView(bytes).sliced(at, std::min(kChunk, bytes.size() - at)))
            return QString();
    return newest.fileName();
}

// Whether the copy opens with the database's key and every page of it reads back. Runs on a
// thread of its own: it touches no Qt object but strings.
bool copyReadsBack(const QString& copy, const QString& password, const QByteArray& salt) {
    try {
        sql::Connection c;
        openKeyed(c, copy, password, SQLITE_OPEN_READONLY, salt);
        return sql::intact(c.get());
    } catch (const sql::SqlError&) {
        return false;
    }
}

StoreError damagedCopy() {
    return backupFailure(
        QStringLiteral("データベースファイルが壊れているか、コピーを正しく読み返せません。") +
        damagedDatabaseAdvice());
}

// A backup of bytes, the stored database, on its way into folder: the newest backup when it
// holds the same bytes; otherwise a new file, written as NAME.part now, checked on a thread of
// its own while it is synced, and given its name once its bytes are on the disk. NAME is one
// no other backup has: another program may be making one in the same second. With source, a
// file that holds bytes and is on the disk already, that file itself gets the name (a hard
// link): nothing is copied unless the backups folder cannot link to it.
class NewBackup {
public:
    NewBackup(const QString& folder, const QByteArray& bytes, const QString& database,
              bool compare = true, const QString& source = QString())
        : m_folder(folder), m_source(source) {
        prepareFolder(folder);
        forgetNamesOf(folder, database);
        if (compare) m_file = identicalNewest(folder, bytes);
        m_same = !m_file.isEmpty();
        if (m_same) return;
        m_stamp = QDateTime::currentDateTimeUtc().toString(kStampFormat) + QLatin1Char('Z');
        // After every backup of the same second, so that the names keep the order they were
        // made in, whatever gaps a removed one left.
        const QStringList sameSecond = QDir(folder).entryList(
            {kNamePrefix + m_stamp + QStringLiteral("*.mdb")}, QDir::Files | QDir::Hidden);
        for (const QString& name : sameSecond)
            if (const QRegularExpressionMatch m = backupName().match(name); m.hasMatch())
                m_serial =
                    std::max(m_serial, m.captured(3).isEmpty() ? 2 : m.captured(3).toInt() + 1);
        if (m_source.isEmpty())
            writePart(bytes);
        else
            m_bytes = bytes;
    }
    NewBackup(const NewBackup&) = delete;
    NewBackup& operator=(const NewBackup&) = delete;

    // Whether a new file is on its way (false: the newest backup holds the bytes already).
    bool isNew() const { return !m_same; }
    // The backup, once named (or the newest one that holds the bytes).
    const QString& file() const { return m_file; }
    PartFile& part() { return m_part; }

    // Makes the part reach the disk; throws StoreError.
    void sync() {
        if (const int error = m_part.sync(); error != 0)
            throw backupFailure(reasonOfErrno(error, m_folder));
    }
    // Names the synced part (or the source), with journal beside it (that of a write a crash
    // cut off, which belongs with the bytes), and syncs the folder (or leaves that to the
    // caller). Throws StoreError.
    void name(const QByteArray& journal = {}, bool syncNow = true) {
        if (m_same) return;
        QString reason;
        for (; !m_source.isEmpty(); ++m_serial) {
            const Naming naming = linkIfFree(m_source, nameOf(m_serial), &reason);
            if (naming == Naming::Named) {
                m_linked = true;
                break;
            }
            if (naming == Naming::Taken) continue;
            // Another file system, or one without hard links: a copy after all.
            m_source.clear();
            writePart(m_bytes);
            sync();
        }
        for (; !m_linked; ++m_serial) {
            const Naming naming = linkIfFree(m_part.path(), nameOf(m_serial), &reason);
            if (naming == Naming::Named) {
                m_part.discard();  // the bytes stay under their new name
                break;
            }
            if (naming == Naming::Failed) throw backupFailure(reason);
            if (naming == Naming::NoLinks && !QFileInfo::exists(nameOf(m_serial))) {
                if (!replaceFile(m_part.path(), nameOf(m_serial), &reason))
                    throw backupFailure(reason);
                m_part.kept();
                break;
            }
        }
        m_file = nameOf(m_serial);
        if (!journal.isEmpty()) {
            PartFile part;
            reason = part.write(m_file + QStringLiteral(".part-journal"), journal);
            if (reason.isEmpty() && part.sync() != 0) reason = fullDisk();
            if (reason.isEmpty() &&
                replaceFile(part.path(), m_file + QStringLiteral("-journal"), &reason))
                part.kept();
            if (!reason.isEmpty()) {
                withdraw();
                throw backupFailure(reason);
            }
        }
        if (syncNow) syncFolder(m_folder);
    }
    // Takes the named backup away again: its copy did not read back.
    void withdraw() {
        if (!m_same && !m_file.isEmpty()) removeWithJournal(m_file);
        m_file.clear();
    }
    // Lets the part go and thins out the backups, except this one and those in keep.
    void finish(const std::set<QString>& keep) {
        m_part.discard();
        secure();
        thinOut(keep);
    }
    // Thins out the backups by their generations, except this one and those in keep.
    void thinOut(std::set<QString> keep) const {
        if (m_same || m_file.isEmpty()) return;
        keep.insert(m_file);
        prune(m_folder, keep);
    }
    // A source that has become the backup is readable by its owner only from now on: no longer
    // the database, it is one of the backups.
    void secure() const {
        if (m_linked && !m_file.isEmpty())
            QFile::setPermissions(m_file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

private:
    void writePart(const QByteArray& bytes) {
        for (;; ++m_serial) {
            if (QFileInfo::exists(nameOf(m_serial))) continue;
            bool taken = false;
            const QString reason =
                m_part.write(nameOf(m_serial) + QStringLiteral(".part"), bytes, &taken);
            if (reason.isEmpty()) return;
            if (!taken) throw backupFailure(reason);
        }
    }
    QString nameOf(int serial) const {
        return m_folder + QLatin1Char('/') + kNamePrefix + m_stamp +
               (serial > 1 ? QStringLiteral("-%1").arg(serial) : QString()) +
               QStringLiteral(".mdb");
    }
    QString m_folder;
    QString m_source;
    QByteArray m_bytes;  // the source's, for a copy when it cannot be linked
    bool m_linked = false;
    QString m_file;
    bool m_same = false;
    QString m_stamp;
    int m_serial = 1;
    PartFile m_part;
};

// Reads the copy back on a thread of its own, with the key of the file whose salt it carries.
std::future<bool> checkCopy(const QString& copy, const QString& password, const QByteArray& bytes) {
    return std::async(std::launch::async, [copy, password, salt = bytes.left(kSaltBytes)] {
        return copyReadsBack(copy, password, salt);
    });
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

// What tells that a file is still the one it was: its place on the disk, size and last change.
struct FileState {
    qint64 device = 0, inode = 0, size = 0, seconds = 0, nanoseconds = 0;
    friend bool operator==(const FileState&, const FileState&) = default;
};

std::optional<FileState> fileState(const QString& file) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(encoded(file).constData(), &st) != 0) return std::nullopt;
    return FileState{qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec)};
#else
    const QFileInfo info(file);
    if (!info.exists()) return std::nullopt;
    return FileState{0, 0, info.size(), info.lastModified().toMSecsSinceEpoch(), 0};
#endif
}

// Changes when another connection has committed to the file since db last read it.
qint64 dataVersion(sqlite3* db) {
    sql::Statement s(db, "PRAGMA data_version;");
    s.step();
    return sqlite3_column_int64(s.get(), 0);
}

// The run's backup got ready ahead of its first change: the file as it was then, written
// beside the backups but not named yet.
struct Prepared {
    QString database;
    sqlite3* db = nullptr;
    qint64 dataVersion = 0;
    FileState state;
    QByteArray salt;
    std::unique_ptr<NewBackup> backup;  // none: the newest backup holds those bytes already
};

struct Automatic {
    std::mutex mutex;
    std::set<QString> done;  // databases backed up in this process
    std::function<void(const QString&)> warn;
    // Backups whose copies are still being read back; the end of the program waits for them.
    std::vector<std::pair<QString, std::future<QString>>> checks;
    std::optional<Prepared> prepared;
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

// Why the backup cannot be restored whole; empty when it can. Runs on a thread of its own
// while the restore makes its copies: it touches no Qt object but strings.
QString backupProblem(const QString& file, const QString& key, const QString& password) {
    try {
        sql::Connection c;
        try {
            c.open(file, key, SQLITE_OPEN_READONLY);
        } catch (const sql::SqlError& e) {
            if ((e.rc & 0xff) != SQLITE_NOTADB || key == password) throw;
            c.open(file, password, SQLITE_OPEN_READONLY);
        }
        if (!sql::intact(c.get())) return QStringLiteral("ファイルが壊れています。");
        // The draws can be counted: the file is one of this program's databases.
        sql::Statement draws(c.get(), "SELECT count(*) FROM 当選データ");
        draws.step();
    } catch (const sql::SqlError& e) {
        return sql::reasonFor(e);
    }
    return QString();
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
    removeStaleParts(folder);
    NewBackup backup(folder, bytes, fileBehind(database.file));
    if (backup.isNew()) {
        // Read back while it reaches the disk, and named only when whole.
        std::future<bool> check = checkCopy(backup.part().path(), database.password, bytes);
        try {
            backup.sync();
        } catch (...) {
            check.wait();
            throw;
        }
        if (!check.get()) throw damagedCopy();
        backup.name();
    }
    backup.finish({});
    return backup.file();
}

// The checks of automatic backups still reading their copies back: a copy that does not read
// back whole is taken away again and told.
void collectChecks(bool wait = false) {
    std::vector<std::pair<QString, std::future<QString>>> done;
    {
        std::lock_guard lock(automatic().mutex);
        auto& running = automatic().checks;
        for (auto it = running.begin(); it != running.end();) {
            if (wait || it->second.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
                done.push_back(std::move(*it));
                it = running.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& [file, check] : done) {
        const QString problem = check.get();
        if (problem.isEmpty()) continue;
        removeWithJournal(file);
        warn(problem);
    }
}

FirstChangeBackup::FirstChangeBackup(sqlite3* db, const QString& databaseFile)
    : m_db(db), m_file(databaseFile) {
    {
        std::lock_guard lock(automatic().mutex);
        m_pending = !automatic().done.count(databaseFile);
        if (!m_pending && automatic().checks.empty()) return;
    }
    collectChecks();
    // The changes stay in memory until COMMIT, whatever their size: the file on disk is the
    // stored state until the copy is taken. The engine takes this only outside a transaction.
    if (m_pending) sqlite3_exec(db, "PRAGMA cache_spill = OFF;", nullptr, nullptr, nullptr);
}

void FirstChangeBackup::begun() {
    if (!m_pending) return;
    m_changes = sqlite3_total_changes(m_db);
    try {
        m_holdsData = holdsUserData(m_db);
    } catch (const sql::SqlError&) {
        m_pending = false;
    }
}

void FirstChangeBackup::prepare(sqlite3* db, const QString& databaseFile) {
    {
        std::lock_guard lock(automatic().mutex);
        const auto& ready = automatic().prepared;
        if (automatic().done.count(databaseFile) || (ready && ready->database == databaseFile))
            return;
    }
    if (!sqlite3_get_autocommit(db)) return;
    try {
        Prepared ready;
        QByteArray bytes;
        {
            // A shared lock while the bytes are read: what is read is one stored state.
            sql::exec(db, "BEGIN; SELECT count(*) FROM sqlite_master;");
            const auto end =
                qScopeGuard([db] { sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr); });
            const std::optional<FileState> state = fileState(databaseFile);
            if (!state || !holdsUserData(db)) return;
            ready.state = *state;
            ready.dataVersion = dataVersion(db);
            bytes = storedBytes(db);
        }
        ready.database = databaseFile;
        ready.db = db;
        ready.salt = bytes.left(kSaltBytes);
        auto backup = std::make_unique<NewBackup>(backupFolderFor(databaseFile), bytes,
                                                  fileBehind(databaseFile));
        std::future<QString> synced;
        if (backup->isNew()) {
            // On its way to the disk while the user reaches for the keys: the first change's
            // own sync need not take it along.
            synced = std::async(std::launch::async, [part = backup->part().path()] {
                syncFile(part);
                return QString();
            });
            ready.backup = std::move(backup);
        }
        std::lock_guard lock(automatic().mutex);
        automatic().prepared = std::move(ready);
        if (synced.valid()) automatic().checks.emplace_back(QString(), std::move(synced));
    } catch (const sql::SqlError&) {
        // The first change copies the file itself.
    } catch (const StoreError&) {
    }
}

bool FirstChangeBackup::namePrepared() {
    std::optional<Prepared> ready;
    {
        std::lock_guard lock(automatic().mutex);
        if (!automatic().prepared || automatic().prepared->database != m_file) return false;
        ready = std::move(automatic().prepared);
        automatic().prepared.reset();
    }
    try {
        // Nobody has written to the file since it was copied: the copy is the stored state.
        if (ready->db != m_db || ready->dataVersion != dataVersion(m_db) ||
            fileState(m_file) != ready->state)
            return false;
        if (!ready->backup) return true;  // the newest backup holds the file as it is
        ready->backup->name({}, false);
        m_made = ready->backup->file();
        m_salt = ready->salt;
        return true;
    } catch (const sql::SqlError&) {
        return false;
    } catch (const StoreError&) {
        // Its part was taken away in the meantime (the clean-up of cut-off backups).
        return false;
    }
}

void FirstChangeBackup::beforeCommit() {
    if (!m_pending || !m_holdsData || sqlite3_total_changes(m_db) == m_changes) return;
    {
        std::lock_guard lock(automatic().mutex);
        if (!automatic().done.insert(m_file).second) return;
    }
    if (namePrepared()) return;
    try {
        const QByteArray bytes = storedBytes(m_db);
        NewBackup backup(backupFolderFor(m_file), bytes, fileBehind(m_file));
        if (!backup.isNew()) return;
        // Named now, while its bytes are still on their way to the disk: a program killed
        // after the commit leaves it all the same. It reaches the disk, is read back and
        // thins out the older backups once the change is written.
        backup.name({}, false);
        m_made = backup.file();
        m_salt = bytes.left(kSaltBytes);
    } catch (const sql::SqlError& e) {
        warn(backupFailure(sql::reasonFor(e)).message() +
             QStringLiteral("変更の書き込みはこのまま行います。"));
    } catch (const StoreError& e) {
        warn(e.message() + QStringLiteral("変更の書き込みはこのまま行います。"));
    }
}

FirstChangeBackup::~FirstChangeBackup() {
    if (!m_pending) return;
    sqlite3_exec(m_db, "PRAGMA cache_spill = ON;", nullptr, nullptr, nullptr);
    if (m_made.isEmpty()) return;
    // The copy has its name already; it is synced, read back and the older backups thinned
    // out once the change is written, on a thread of its own: the change waits for nothing
    // but its own commit.
    try {
        std::future<QString> check = std::async(
            std::launch::async, [made = m_made, salt = m_salt, folder = backupFolderFor(m_file)] {
                if (const int error = syncFile(made); error != 0)
                    return backupFailure(reasonOfErrno(error, folder)).message();
                syncFolder(folder);
                if (!copyReadsBack(made, programPassword(), salt)) return damagedCopy().message();
                removeStaleParts(folder);
                prune(folder, {made});
                return QString();
            });
        std::lock_guard lock(automatic().mutex);
        automatic().checks.emplace_back(m_made, std::move(check));
#ifdef Q_OS_UNIX
        // A process forked while a check runs would copy the engine's locks as that thread
        // holds them: the fork waits for the checks.
        static std::once_flag forking;
        std::call_once(forking, [] {
            ::pthread_atfork(
                [] {
                    std::lock_guard waiting(automatic().mutex);
                    for (auto& running : automatic().checks) running.second.wait();
                },
                nullptr, nullptr);
        });
#endif
    } catch (...) {
        // No thread for the check: the copy stays as it was made.
    }
}

void finishBackupChecks() {
    std::optional<Prepared> unused;
    {
        std::lock_guard lock(automatic().mutex);
        unused = std::move(automatic().prepared);
        automatic().prepared.reset();
    }
    unused.reset();  // its part goes
    collectChecks(true);
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
    const auto refused = [&](const QString& reason) {
        return StoreError(
            QStringLiteral("バックアップ%1から復元できません。%2データベースは変更していません。")
                .arg(quoted(backup.file), reason));
    };
    if (!QFileInfo(backup.file).isFile()) throw refused(readFailureReason(backup.file));
    const QByteArray restored = readWhole(backup.file);
    if (restored.size() != QFileInfo(backup.file).size())
        throw refused(readFailureReason(backup.file));
    // The backup is checked on a thread of its own while the copies are made here; nothing
    // takes the place of anything before the check has passed.
    const QString key = restored.size() >= kSaltBytes
                            ? rawKey(backup.password, restored.left(kSaltBytes))
                            : backup.password;
    std::future<QString> problem = std::async(std::launch::async, [&backup, key] {
        return backupProblem(backup.file, key, backup.password);
    });

    const QString folder = backupFolderFor(database.file);
    const auto notKept = [](const QString& why) {
        return StoreError(why +
                          QStringLiteral("今のデータベースを残せないため、復元しませんでした。"));
    };
    // Writers wait from the copy of the current file until the restored one is in place: a
    // write in between would be in neither. Readers go on reading the file they have.
    sql::Connection lock;
    std::optional<NewBackup> kept;
    QByteArray journal;
    if (QFileInfo::exists(target)) {
        QByteArray current;
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
            current = storedBytes(lock.get());
        } catch (const sql::SqlError& e) {
            if (isBusy(e.rc))
                throw StoreError(
                    QStringLiteral("ほかのプログラムがデータベースを使用中のため、復元"
                                   "できません。しばらくしてからやり直してください。"
                                   "データベースは変更していません。"));
            // A file too damaged to lock is replaced all the same: its bytes as they lie on
            // disk go to the backup, with the journal of a write that was cut off.
            lock.close();
            current = readWhole(target);
            journal = readWhole(database.file + QStringLiteral("-journal"));
            if (current.size() != QFileInfo(target).size())
                throw notKept(backupFailure(readFailureReason(target)).message());
        }
        try {
            prepareFolder(folder);
            removeStaleParts(folder);
            // The file itself is kept: it is what is stored, on the disk already. With the
            // journal of a write a crash cut off, its bytes are copied with the journal.
            kept.emplace(folder, current, target, journal.isEmpty(),
                         journal.isEmpty() ? target : QString());
        } catch (const StoreError& e) {
            throw notKept(e.message());
        }
    }

    // The current file has its backup name before the restored one takes its place; until
    // then, any failure takes that name away again.
    bool replaced = false;
    const auto keepOnlyIfReplaced = qScopeGuard([&] {
        if (kept && !replaced) kept->withdraw();
    });
    std::future<void> keptSynced;
    if (kept) {
        try {
            kept->sync();
            kept->name(journal, false);
        } catch (const StoreError& e) {
            throw notKept(e.message());
        }
        // Its folder reaches the disk while the restored bytes are written.
        keptSynced = std::async(std::launch::async, [&folder] { syncFolder(folder); });
    }

    // The backup's bytes beside the file they replace, put in its place in one step.
    const QString targetFolder = QFileInfo(target).absolutePath();
    PartFile part;
    const QString partPath = targetFolder + QStringLiteral("/.") + QFileInfo(target).fileName() +
                             QStringLiteral(".restore");
    QFile::remove(partPath);
    QString reason = part.write(partPath, restored);
    if (reason.isEmpty() && part.sync() != 0) reason = fullDisk();
    // The older backups are thinned out while the check and the folder are still busy.
    // The restored backup stays, whatever its age: it is the state the user chose.
    if (kept && reason.isEmpty()) kept->thinOut({backup.file});
    if (keptSynced.valid()) keptSynced.get();
    if (const QString bad = problem.get(); !bad.isEmpty()) throw refused(bad);
    const auto notRestored = [&](const QString& why) {
        return StoreError(
            QStringLiteral(
                "バックアップ%1から復元できませんでした。%2データベースは変更していません。")
                .arg(quoted(backup.file), why));
    };
    if (!reason.isEmpty()) throw notRestored(reason);
    QFile::setPermissions(partPath, QFileInfo::exists(target)
                                        ? QFile::permissions(target)
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A journal of the old file would be played back into the new one.
    for (const QString& old :
         {target + QStringLiteral("-journal"), database.file + QStringLiteral("-journal")})
        if (reason.isEmpty() && QFileInfo::exists(old) && !QFile::remove(old))
            reason = cannotWrite(QFileInfo(old).absolutePath());
    if (reason.isEmpty() && replaceFile(partPath, target, &reason)) part.kept();
    if (!reason.isEmpty()) throw notRestored(reason);
    replaced = true;
    syncFolder(targetFolder);
    if (!kept) return QString();
    kept->secure();
    return kept->file();
}

QString damagedDatabaseAdvice() {
    return QStringLiteral(
        "「データ管理」→「バックアップから復元...」で最新のバックアップに戻すか、"
        "pirumoa-cli recover --db データベースファイル --output 出力.csv で読み取れる当選データを"
        "取り出してください。");
}

}  // namespace pirumoa
