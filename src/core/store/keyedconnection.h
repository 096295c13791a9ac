#pragma once

#include <QString>

#include "core/store/drawstore.h"

struct sqlite3;

namespace pirumoa {

// A connection to an encrypted database for the backup, restore and salvage paths, closed
// with the object. open() returns the engine's result code (SQLITE_OK, or the failure: a
// file that is no database of ours shows as SQLITE_NOTADB).
class KeyedConnection {
public:
    KeyedConnection() = default;
    ~KeyedConnection();
    KeyedConnection(const KeyedConnection&) = delete;
    KeyedConnection& operator=(const KeyedConnection&) = delete;

    // flags: SQLITE_OPEN_* as for sqlite3_open_v2.
    int open(const QString& file, const QString& password, int flags);
    void close();
    sqlite3* get() const { return m_db; }
    // The engine's last message, for a reason the user may read.
    QString error() const;
    // One statement without results; the result code.
    int exec(const char* sql);

private:
    sqlite3* m_db = nullptr;
};

}  // namespace pirumoa
