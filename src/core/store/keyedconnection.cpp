#include "core/store/keyedconnection.h"

#include <sqlcipher/sqlite3.h>

#include <utility>

namespace pirumoa {

KeyedConnection::~KeyedConnection() { close(); }

void KeyedConnection::close() {
    if (m_db) sqlite3_close_v2(std::exchange(m_db, nullptr));
}

QString KeyedConnection::error() const {
    return QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
}

int KeyedConnection::exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

int KeyedConnection::open(const QString& file, const QString& password, int flags) {
    close();
    int rc = sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);
    // A plain SQLite in the process would ignore the key and write plaintext.
    sqlite3_stmt* version = nullptr;
    bool cipher = false;
    if (sqlite3_prepare_v2(m_db, "PRAGMA cipher_version", -1, &version, nullptr) == SQLITE_OK)
        cipher = sqlite3_step(version) == SQLITE_ROW && sqlite3_column_text(version, 0);
    sqlite3_finalize(version);
    if (!cipher) return SQLITE_MISUSE;
    QString quoted = password;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    const QByteArray key = "PRAGMA key = '" + quoted.toUtf8() + "';";
    if ((rc = exec(key.constData())) != SQLITE_OK) return rc;
    if ((rc = exec(kCipherSettings)) != SQLITE_OK) return rc;
    // A wrong key or a damaged first page shows here.
    return exec("SELECT count(*) FROM sqlite_master;");
}

}  // namespace pirumoa
