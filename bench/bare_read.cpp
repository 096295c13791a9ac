// The yardstick for the command-line tool's reading: the draw table read with nothing but
// the SQLCipher C API, every row and field, with the program's key and cipher settings.
// Usage: bare_read FILE. Prints the number of rows. Built a second time as bare_read_qt,
// which also loads Qt Core (the libraries every pirumoa-cli command loads) and nothing more.
#include <sqlcipher/sqlite3.h>

#include <cstdio>
#ifdef BARE_READ_WITH_QT
#include <QtGlobal>
#endif

#include "core/store/cipherkey.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bare_read FILE\n", stderr);
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
        return 1;
    char key[64];
    std::snprintf(key, sizeof key, "PRAGMA key = '%d';", pirumoa::kPasswordNumber);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_exec(db, key, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, PIRUMOA_CIPHER_SETTINGS, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(
            db,
            "SELECT 回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ "
            "ORDER BY 回数",
            -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bare_read: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    long long rows = 0, sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        sum += sqlite3_column_int(stmt, 0) + sqlite3_column_bytes(stmt, 1);
        for (int k = 2; k < 6; ++k) sum += sqlite3_column_int(stmt, k);
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
#ifdef BARE_READ_WITH_QT
    std::printf("%lld rows (%lld), Qt %s\n", rows, sum, qVersion());
#else
    std::printf("%lld rows (%lld)\n", rows, sum);
#endif
    return 0;
}
