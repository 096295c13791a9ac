#pragma once

#include <QString>

namespace pirumoa {

// The name both programs run under: the user's data folder is named after it.
inline constexpr char kApplicationName[] = "pirumoa";

// Where the draw database may be. A database beside the program is used as it is (a build
// folder, a folder the user unpacked, a copy on a USB stick). An installed program lives in a
// folder the user cannot write, so it keeps the user's draws in the user's data folder,
// starting them from the sample that the package installs read-only.
struct DatabasePlaces {
    QString programFolder;  // the folder of the executable
    QString userFolder;     // the user's data folder
    QString sample;         // the installed sample database, never written
};

// The places for this process: its executable's folder, the data folder of kApplicationName
// (a folder of that name in QStandardPaths::GenericDataLocation, ~/.local/share/pirumoa) and
// the sample in the installed data folder.
DatabasePlaces databasePlaces();

// The folder whose Numbers4Pirumoa.mdb the program reads and writes, in this order: the
// program's folder when it holds one; the user's folder when it holds one; the user's folder
// after the sample has been copied there, when there is a sample; otherwise the program's
// folder, where a missing database is then reported or made. The user's database is never
// replaced. Throws StoreError, naming the user's folder, when the copy cannot be made.
QString chooseDatabaseFolder(const DatabasePlaces& places);

// What the program says when no database is in any of the places: where to put one.
QString missingDatabase(const DatabasePlaces& places);

// The folder of the files the package installs beside the program's own (the sample
// database, translations): <prefix>/share/pirumoa for <prefix>/bin/pirumoa.
QString installedDataFolder(const QString& programFolder);

// Copies from into to, unless to exists, which is then kept as it is (another start may have
// made it while the copy was written). to appears whole or not at all: the copy is written and
// synced under another name in to's folder and then put in place without replacing anything. Empty
// on success, otherwise why it failed (a plain Japanese sentence).
QString copyToNewFile(const QString& from, const QString& to);

}  // namespace pirumoa
