#pragma once

#include <QString>
#include <functional>

#include "core/store/drawstore.h"
#include "core/store/sqlcipher.h"

struct sqlite3;

// What the readers and writers of the draw database share; not for use outside the store.
namespace pirumoa::store {

using sql::Connection;
using sql::exec;
using sql::reasonFor;
using sql::schemaHas;
using sql::SqlError;
using sql::Statement;

// The messages of the store, each naming the file.
QString openFailure(const QString& file, const QString& reason);
QString readFailure(const QString& file, const QString& reason);
QString writeFailure(const QString& file, const QString& reason);
QString badRecord(const QString& file, const QString& row, const QString& what);

// What can be told from the file itself before the engine sees it; throws StoreError.
void checkFile(const QString& file);
// A reading connection; a write cut off by a crash is rolled back first. Throws SqlError or
// StoreError.
void openForReading(sql::Connection& conn, const DatabaseFile& connect);

// The history as loadHistory reads it, on an open connection; inside one read transaction of
// its own unless the caller has begun one.
DrawHistory readFullHistory(sqlite3* db, const QString& file, bool full);
// The rows of the view, without dates; with prizes, the stored prizes too.
std::vector<DrawRecord> readViewRows(sqlite3* db, const QString& file,
                                     std::vector<DrawPrizes>* prizes);
PrizeTable prizeTableOf(const std::vector<DrawPrizes>& stored);

// Runs body as one transaction. Any failure rolls it back, so the file keeps its last stored
// state, and reaches the caller as a StoreError that names the reason.
void transaction(sqlite3* db, const QString& file, const std::function<void()>& body);

}  // namespace pirumoa::store
