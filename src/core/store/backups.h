#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/store/drawstore.h"

struct sqlite3;

namespace pirumoa {

// The folder beside the database that holds its backups.
inline constexpr char kBackupFolderName[] = "backups";

// What is kept: every backup of the last 24 hours up to kRecentKept, the newest of each of the
// last kDaysKept days and the newest of each of the last kMonthsKept months (days and months
// as the calendar of the user's clock counts them).
inline constexpr int kRecentKept = 10;
inline constexpr int kDaysKept = 14;
inline constexpr int kMonthsKept = 12;

// <folder of the database>/backups
QString backupFolderFor(const QString& databaseFile);

// Which backups the generations keep at now, for backups made at the given times (any order):
// true for each one kept.
std::vector<bool> backupsKept(const std::vector<QDateTime>& times, const QDateTime& now);

// Copies the database file byte for byte, under a shared lock, into its backups folder as
// Numbers4Pirumoa-YYYYMMDD-HHMMSSZ.mdb (UTC; "-2" and on for a second one within the same
// second), encrypted with the same key as the file itself and readable by its owner only. The
// copy appears whole or not at all, and only after it has been checked. A database identical
// to the newest backup is not copied again: that backup is returned. Older backups are then
// thinned out by their generations. Returns the backup. Throws StoreError (the database
// itself is never changed).
QString makeBackup(const DatabaseFile& database);

// The backup before the first change of a run, for the writers' transaction, which makes it
// under its write lock: made before BEGIN IMMEDIATE, told begun() after it. Once this process
// has backed up the file, it asks nothing of the file system. Never throws: a backup that
// fails is told once through the warning handler, and the write goes on and succeeds or fails
// on its own.
class FirstChangeBackup {
public:
    FirstChangeBackup(sqlite3* db, const QString& databaseFile);
    // Inside the transaction, before the body.
    void begun();
    // Before COMMIT: when the body changed rows and this run has not backed up the file yet,
    // the file as stored (the transaction has written nothing into it yet: its changes stay
    // in memory until COMMIT) is copied into the backups folder and named. A database that
    // holds no draws and no tickets has nothing to lose yet and waits for a later change.
    // Once the change is written (the end of the object), the copy is synced to the disk, read
    // back and the older backups thinned out, on a thread of its own; a copy that does not
    // reach the disk or read back whole is taken away again and told at the next write (or
    // by finishBackupChecks).
    void beforeCommit();
    ~FirstChangeBackup();
    // Gets the run's backup ready ahead of its first change (when the data entry opens, so
    // that the first typed digit waits for no copy): the file as stored now is written beside
    // the backups, without a name. The first change names it when nobody has written to the
    // file since, and copies the file itself otherwise. A run that changes nothing leaves
    // nothing (finishBackupChecks takes the copy away; after a crash, the clean-up of cut-off
    // backups). Never throws.
    static void prepare(sqlite3* db, const QString& databaseFile);
    FirstChangeBackup(const FirstChangeBackup&) = delete;
    FirstChangeBackup& operator=(const FirstChangeBackup&) = delete;

private:
    // Names the copy prepare made when it is still the stored state; false when there is none
    // to name and the file is to be copied now.
    bool namePrepared();
    sqlite3* m_db;
    QString m_file;
    bool m_pending = false;
    bool m_holdsData = false;
    int m_changes = 0;
    QString m_made;  // the backup made, still to be read back
    QByteArray m_salt;
};

// Waits for the automatic backups of this process still on their way to the disk, and takes
// away and tells those that did not get there whole; takes away a copy made ready for a
// change that never came. The program calls it before it ends.
void finishBackupChecks();

// Where a failed automatic backup is told; standard error when none is set. The program
// shows it on the status line.
void setBackupWarningHandler(std::function<void(const QString& message)> handler);

struct BackupEntry {
    QString file;        // absolute path
    QDateTime time;      // when it was made (from its name), in UTC
    int draws = 0;       // rows in the draw table
    int latestDraw = 0;  // the last complete draw
    QString problem;     // why it cannot be read; empty for a good backup
};

// The backups of the database, newest first.
std::vector<BackupEntry> listBackups(const DatabaseFile& database);

// Puts the backup in the place of the database: the backup is checked, the current file is
// kept as a backup (a damaged one as it lies on disk, for recover), then replaced in one
// step, so a failure at any point leaves the database as it was. A database that is a link
// is restored into the file it points to, and stays a link. The backup restored and the one
// kept are never thinned out by this restore. Returns the backup of the file that was
// replaced (empty when there was none). Throws StoreError.
QString restoreBackup(const DatabaseFile& database, const QString& backupFile);

// The backup a user names: a path, or only a name in the database's backups folder.
QString resolveBackupFile(const DatabaseFile& database, const QString& name);

// What a user can do when the database is damaged; the ends of the messages that report it.
QString damagedDatabaseAdvice();

}  // namespace pirumoa
