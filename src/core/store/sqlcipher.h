#pragma once

#include <QString>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace pirumoa::sql {

// A failure inside the engine, with its extended result code and its own text; turned into a
// StoreError where the file name and the intent are known.
struct SqlError {
    int rc;
    QString engine;
};

// Not an engine code: the engine in the process cannot encrypt.
inline constexpr int kNoCipher = -1;

[[noreturn]] void throwSql(sqlite3* db, int rc);
// One or more statements without results; throws SqlError.
void exec(sqlite3* db, const char* sql);

// A prepared statement, finalized with the object. Every failure throws SqlError.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, int value);
    Statement& bind64(int index, long long value);
    // -1 is an empty value (a digit not entered, a prize not known), stored as NULL.
    Statement& bindOrNull(int index, long long value);
    // An empty text is stored as NULL.
    Statement& bind(int index, const QString& text);
    // True while there is a row.
    bool step();
    // The engine's own result of one step (SQLITE_ROW, SQLITE_DONE or a failure), for a
    // reader that goes on past a failure.
    int stepCode();
    void run();
    void reset();
    sqlite3_stmt* get() const { return m_stmt; }
    QString text(int column) const;
    bool isNull(int column) const;

private:
    void check(int rc);
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// One connection to a database file, closed with the object unless handed on.
class Connection {
public:
    Connection() = default;
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}
    Connection& operator=(Connection&& other) noexcept;

    // Opens and keys the file (SQLITE_OPEN_* flags) and reads its schema, which is where a
    // wrong key shows. Throws SqlError; the caller knows what the failure means.
    void open(const QString& file, const QString& password, int flags);
    void close();
    sqlite3* get() const { return m_db; }
    explicit operator bool() const { return m_db != nullptr; }

private:
    sqlite3* m_db = nullptr;
};

// The plain reason, as a Japanese sentence, for an engine result code: the one wording of
// every code the user can meet.
QString reasonFor(const SqlError& e);

// Whether every page of the file reads back as the engine wrote it. A damaged page either
// fails to decrypt (an error) or breaks the file's structure (a finding).
bool intact(sqlite3* db);

// Whether the schema has a table or view of that name.
bool schemaHas(sqlite3* db, const char* name);

}  // namespace pirumoa::sql
