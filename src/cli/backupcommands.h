#pragma once

#include <QString>

#include "core/store/drawstore.h"

namespace pirumoa {

// The commands that keep the draws safe. Each prints its result on standard output and
// returns the exit status; a failure the user can meet is thrown as StoreError.

// `backups`: the backups of the database, newest first: file, time, draws, latest draw.
int runBackupsCommand(const DatabaseFile& database);

// `restore FILE`: FILE (a path, or a name in the backups folder) replaces the database,
// after the current one has been backed up.
int runRestoreCommand(const DatabaseFile& database, const QString& backup);

// `recover --db FILE --output OUT.csv`: every draw that can be read from a damaged
// database, as CSV; says how many, which numbers are missing and which could not be read.
int runRecoverCommand(const DatabaseFile& damaged, const QString& output);

}  // namespace pirumoa
