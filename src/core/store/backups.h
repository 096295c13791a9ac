#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

#include "core/store/drawstore.h"

namespace pirumoa {

// The folder beside the database that holds its backups, and how many of them are kept.
inline constexpr char kBackupFolderName[] = "backups";
inline constexpr int kBackupsKept = 10;

// <folder of the database>/backups
QString backupFolderFor(const QString& databaseFile);

// Copies the database, as the engine sees it, into its backups folder as
// Numbers4Pirumoa-YYYYMMDD-HHMMSS.mdb, encrypted with the same key and readable by its owner
// only. The copy appears whole or not at all; after it, only the newest kBackupsKept are
// kept. Returns the new file. Throws StoreError (the database itself is never changed).
QString makeBackup(const DatabaseFile& database);

// Called by every write path before it writes: the first call for a database in this
// process makes a backup of it (none for a database without draws); later calls return at
// once. Never throws: a backup that fails is reported once through the warning handler, and
// the write goes on and succeeds or fails on its own.
void backupBeforeFirstWrite(const DatabaseFile& database);

// Where a failed automatic backup is told; standard error when none is set. The program
// shows it on the status line.
void setBackupWarningHandler(std::function<void(const QString& message)> handler);

struct BackupEntry {
    QString file;        // absolute path
    QDateTime time;      // when it was made (from its name)
    int draws = 0;       // rows in the draw table
    int latestDraw = 0;  // the last complete draw
    QString problem;     // why it cannot be read; empty for a good backup
};

// The backups of the database, newest first.
std::vector<BackupEntry> listBackups(const DatabaseFile& database);

// Puts the backup in the place of the database: the backup is checked, the current file is
// backed up (a damaged one as it lies on disk, for recover), then replaced in one step, so a
// failure at any point leaves the database as it was. Returns the backup of the file that
// was replaced. Throws StoreError.
QString restoreBackup(const DatabaseFile& database, const QString& backupFile);

// The backup a user names: a path, or only a name in the database's backups folder.
QString resolveBackupFile(const DatabaseFile& database, const QString& name);

// What a user can do when the database is damaged; the ends of the messages that report it.
QString damagedDatabaseAdvice();

}  // namespace pirumoa
