#include "core/store/sqlcipher.h"

#include <sqlcipher/sqlite3.h>

#include <QByteArray>
#include <cstring>

#include "core/store/backups.h"
#include "core/store/cipherkey.h"

namespace pirumoa::sql {

namespace {

// Another connection (a second copy of the program, the command-line tool) may hold the file
// for a moment; a user would rather wait briefly than see a refusal.
constexpr int kBusyTimeoutMs = 2000;

QByteArray sqlText(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return '\'' + quoted.toUtf8() + '\'';
}

}  // namespace

void throwSql(sqlite3* db, int rc) {
    throw SqlError{rc, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))};
}

void exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    if (rc == SQLITE_OK) return;
    const QString text = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
    sqlite3_free(error);
    throw SqlError{sqlite3_extended_errcode(db), text};
}

Statement::Statement(sqlite3* db, const char* sql) : m_db(db) {
    const int rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK) throwSql(db, sqlite3_extended_errcode(db));
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

void Statement::check(int rc) {
    if (rc != SQLITE_OK) throwSql(m_db, rc);
}

Statement& Statement::bind(int index, int value) {
    check(sqlite3_bind_int(m_stmt, index, value));
    return *this;
}

Statement& Statement::bind64(int index, long long value) {
    check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

Statement& Statement::bindOrNull(int index, long long value) {
    check(value < 0 ? sqlite3_bind_null(m_stmt, index) : sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

Statement& Statement::bind(int index, const QString& text) {
    if (text.isEmpty()) {
        check(sqlite3_bind_null(m_stmt, index));
    } else {
        const QByteArray utf8 = text.toUtf8();
        check(
            sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    }
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throwSql(m_db, sqlite3_extended_errcode(m_db));
}

int Statement::stepCode() { return sqlite3_step(m_stmt); }

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

QString Statement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)) : QString();
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

void Connection::close() {
    if (m_db) sqlite3_close_v2(std::exchange(m_db, nullptr));
}

void Connection::open(const QString& file, const QString& password, int flags) {
    close();
    // A connection is only ever used by the thread that opened it: the engine's own lock
    // around every call would buy nothing.
    const int rc =
        sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const SqlError e{rc, QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc))};
        close();
        throw e;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);

    // With a plain SQLite bound in its place, PRAGMA key would be ignored without a word.
    bool cipher = false;
    {
        Statement version(m_db, "PRAGMA cipher_version");
        cipher = version.step() && sqlite3_column_text(version.get(), 0) != nullptr;
    }
    if (!cipher)
        throw SqlError{kNoCipher,
                       QStringLiteral("暗号化機能（SQLCipher）が使えないため開けません。")};

    exec(m_db, ("PRAGMA key = " + sqlText(password) + ";").constData());
    exec(m_db, PIRUMOA_CIPHER_SETTINGS);
    exec(m_db, "SELECT count(*) FROM sqlite_master;");
}

QString reasonFor(const SqlError& e) {
    if (e.rc == kNoCipher) return e.engine;
    switch (e.rc & 0xff) {
        case SQLITE_NOTADB:
            return QStringLiteral(
                       "パスワードが一致しないか、このプログラムのデータベースではありません"
                       "（ファイルが壊れている可能性もあります）。") +
                   damagedDatabaseAdvice();
        case SQLITE_READONLY:
            if (e.rc == SQLITE_READONLY_ROLLBACK)
                return QStringLiteral(
                    "前回の書き込みが途中で中断されていますが、ファイルに書き込めないため"
                    "元に戻せません。");
            return QStringLiteral("ファイルが読み取り専用のため書き込めません。");
        case SQLITE_FULL:
            return QStringLiteral("ディスクの空き容量が足りません。");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral(
                "ほかのプログラムがデータベースを使用中です。しばらくしてからやり直してください。");
        case SQLITE_CANTOPEN:
            return QStringLiteral(
                "ファイルを開けません。ファイルやフォルダーに書き込めない可能性があります。");
        case SQLITE_IOERR:
            return QStringLiteral(
                "ファイルの読み書きに失敗しました（ディスクがいっぱいか、"
                "ファイルサイズの上限に達した可能性があります）。");
        case SQLITE_CORRUPT:
            return QStringLiteral("ファイルが壊れています。") + damagedDatabaseAdvice();
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return QStringLiteral("ファイルへのアクセスが許可されていません。");
        case SQLITE_NOMEM:
            return QStringLiteral("メモリーが足りません。");
        case SQLITE_CONSTRAINT:
            return QStringLiteral("値が許される範囲を外れています。");
        default:
            return QStringLiteral("データベースエラー：%1。").arg(e.engine);
    }
}

bool intact(sqlite3* db) {
    Statement check(db, "PRAGMA quick_check;");
    if (!check.step()) return false;
    const auto* first = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    return first && std::strcmp(first, "ok") == 0 && !check.step();
}

bool schemaHas(sqlite3* db, const char* name) {
    Statement s(db, "SELECT 1 FROM sqlite_master WHERE name = ?1 AND type IN ('table', 'view')");
    s.bind(1, QString::fromUtf8(name));
    return s.step();
}

}  // namespace pirumoa::sql
