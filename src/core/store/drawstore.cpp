#include "core/store/drawstore.h"

#include <sqlcipher/sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include "core/store/backups.h"
#include "core/store/cipherkey.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/sqlcipher.h"
#include "core/store/storeparts.h"

namespace pirumoa {

const char kCipherSettings[] = PIRUMOA_CIPHER_SETTINGS;

// The parts every reader and writer of the file shares (storeparts.h).
namespace store {

constexpr char kDrawQuery[] = "select * from 全データ選択クエリ order by 回数";
constexpr char kViewName[] = "全データ選択クエリ";
constexpr char kTableName[] = "当選データ";
constexpr std::array<const char*, 4> kDigitFields{"第1数字", "第2数字", "第3数字", "第4数字"};

constexpr char kInsertDraw[] =
    "INSERT INTO 当選データ (回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6)";

constexpr char kSchema[] =
    "CREATE TABLE 当選データ ("
    " 回数 INTEGER PRIMARY KEY CHECK (回数 BETWEEN 1 AND 32767),"
    " 抽選日 TEXT,"
    " 第1数字 INTEGER CHECK (第1数字 BETWEEN 0 AND 9),"
    " 第2数字 INTEGER CHECK (第2数字 BETWEEN 0 AND 9),"
    " 第3数字 INTEGER CHECK (第3数字 BETWEEN 0 AND 9),"
    " 第4数字 INTEGER CHECK (第4数字 BETWEEN 0 AND 9));"
    "CREATE VIEW 全データ選択クエリ AS"
    " SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ;";

// The prizes of each draw in yen, NULL where unknown. A table of its own, so that the draw
// table keeps the shape older versions read; a database they made gains it inside its first
// write's transaction.
constexpr char kPrizeTableName[] = "当選金";
constexpr char kPrizeSchema[] =
    "CREATE TABLE IF NOT EXISTS 当選金 ("
    " 回数 INTEGER PRIMARY KEY CHECK (回数 BETWEEN 1 AND 32767),"
    " ストレート INTEGER CHECK (ストレート >= 0),"
    " ボックス INTEGER CHECK (ボックス >= 0),"
    " セットストレート INTEGER CHECK (セットストレート >= 0),"
    " セットボックス INTEGER CHECK (セットボックス >= 0));";
constexpr char kPrizeQuery[] =
    "SELECT 回数, ストレート, ボックス, セットストレート, セットボックス FROM 当選金 "
    "ORDER BY 回数";

// ---- messages --------------------------------------------------------------------------

QString openFailure(const QString& file, const QString& reason) {
    return QStringLiteral("データベースファイル%1を開けません。%2").arg(quoted(file), reason);
}

QString readFailure(const QString& file, const QString& reason) {
    return QStringLiteral("データベースファイル%1を読み込めません。%2").arg(quoted(file), reason);
}

QString writeFailure(const QString& file, const QString& reason) {
    return QStringLiteral(
               "データベースファイル%1に書き込めませんでした。%2変更は保存されていません。")
        .arg(quoted(file), reason);
}

QString badRecord(const QString& file, const QString& row, const QString& what) {
    return QStringLiteral(
               "データベースファイル%1の%2が正しくありません。%3"
               "ほかのプログラムで変更された可能性があります。何も変更していません。")
        .arg(quoted(file), row, what);
}

QString missingFile(const QString& file) {
    return QStringLiteral("データベースファイル%1が見つかりません。").arg(quoted(file));
}

// ---- opening ---------------------------------------------------------------------------

// What can be told from the file itself, before the engine sees it. A plain SQLite file is
// refused: it would mean the password protects nothing.
void checkFile(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists()) throw StoreError(missingFile(file));
    if (!info.isFile())
        throw StoreError(openFailure(file, QStringLiteral("ファイルではありません。")));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) throw StoreError(openFailure(file, readFailureReason(file)));
    const QByteArray head = f.read(16);
    if (head.isEmpty())
        throw StoreError(
            openFailure(file, QStringLiteral("空のファイルです。データベースではありません。")));
    if (head == QByteArray("SQLite format 3\0", 16))
        throw StoreError(
            openFailure(file, QStringLiteral("暗号化されていないデータベースです。このプログラムの"
                                             "データベースではありません。")));
}

// Opens and keys the file and reads its schema, which is where a wrong password shows.
// Throws SqlError; the caller knows what the failure means.
void openKeyed(Connection& conn, const DatabaseFile& connect, int flags) {
    conn.open(connect.file, connect.password, flags);
}

// Rolls back a write that was cut off (a crash in the middle of a commit). A read-only
// connection cannot do that and would refuse the file; a writing one does it on its first
// read, which puts back the last stored state.
void recoverInterruptedWrite(const DatabaseFile& connect) {
    Connection conn;
    openKeyed(conn, connect, SQLITE_OPEN_READWRITE);
}

// ---- reading rows ----------------------------------------------------------------------

// Where each field is in a result row.
struct Fields {
    int no = -1;
    int date = -1;  // optional
    std::array<int, 4> digits{-1, -1, -1, -1};
};

// The field of each name; the names of required fields that the result lacks.
Fields findFields(sqlite3_stmt* stmt, QStringList& missing) {
    Fields f;
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        if (name == QStringLiteral("回数")) f.no = i;
        if (name == QStringLiteral("抽選日")) f.date = i;
        for (int k = 0; k < 4; ++k)
            if (name == QString::fromUtf8(kDigitFields[k])) f.digits[k] = i;
    }
    if (f.no < 0) missing << QStringLiteral("回数");
    for (int k = 0; k < 4; ++k)
        if (f.digits[k] < 0) missing << QString::fromUtf8(kDigitFields[k]);
    return f;
}

// A field as a whole number; nullopt for NULL or ''; throws the text of a bad value. The
// field is fetched once: every further question goes to the value itself.
std::optional<long long> wholeNumber(sqlite3_stmt* stmt, int col, const char* field) {
    sqlite3_value* value = sqlite3_column_value(stmt, col);
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            return sqlite3_value_int64(value);
        case SQLITE_FLOAT: {
            // Only a whole number within reach of the checks that follow is converted: a
            // conversion of 1e300 would be undefined.
            const double v = sqlite3_value_double(value);
            constexpr double kReach = 1e15;
            if (std::isfinite(v) && std::fabs(v) <= kReach && v == std::trunc(v))
                return static_cast<long long>(v);
            if (std::isfinite(v) && v == std::trunc(v))
                throw QStringLiteral("%1が範囲外です（%2）。").arg(QString::fromUtf8(field)).arg(v);
            break;
        }
        case SQLITE_TEXT: {
            const QString text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)))
                    .trimmed();
            if (text.isEmpty()) return std::nullopt;
            bool ok = false;
            const long long v = text.toLongLong(&ok);
            if (ok) return v;
            break;
        }
        default:
            break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const int bytes = std::min(sqlite3_value_bytes(value), 256);
    const QString shown = shownField(QString::fromUtf8(text, bytes));
    throw QStringLiteral("%1「%2」が数値ではありません。").arg(QString::fromUtf8(field), shown);
}

// The common row, read at the least cost: every field a whole number in range, or an empty
// digit. False for anything else, which readChecked then reads or refuses.
bool readQuickly(sqlite3_stmt* stmt, const Fields& f, DrawRecord& r) {
    sqlite3_value* value = sqlite3_column_value(stmt, f.no);
    if (sqlite3_value_type(value) != SQLITE_INTEGER) return false;
    const sqlite3_int64 no = sqlite3_value_int64(value);
    if (no < 1 || no > kMaxDrawNo) return false;
    r.no = int(no);
    for (int k = 0; k < 4; ++k) {
        value = sqlite3_column_value(stmt, f.digits[k]);
        const int type = sqlite3_value_type(value);
        if (type == SQLITE_NULL) continue;
        if (type != SQLITE_INTEGER) return false;
        const sqlite3_int64 d = sqlite3_value_int64(value);
        if (d < 0 || d > 9) return false;
        r.digits[k] = std::int8_t(d);
    }
    return true;
}

// One row, checked: a value out of range would wrap in the 16-bit world of the analyses or
// index outside their tables.
[[gnu::noinline]] DrawRecord readChecked(sqlite3_stmt* stmt, const Fields& f, const QString& file) {
    DrawRecord r;
    std::optional<long long> no;
    try {
        no = wholeNumber(stmt, f.no, "回数");
        if (!no) throw QStringLiteral("回数は空にできません。");
        if (*no < 1 || *no > kMaxDrawNo)
            throw QStringLiteral("回数が 1～%1 の範囲外です。").arg(kMaxDrawNo);
        r.no = int(*no);
        for (int k = 0; k < 4; ++k) {
            // Texts are made only for a message: this runs for every draw at start-up.
            const std::optional<long long> d = wholeNumber(stmt, f.digits[k], kDigitFields[k]);
            if (!d) continue;
            if (*d < 0 || *d > 9)
                throw QStringLiteral("%1が 0～9 の範囲外です（%2）。")
                    .arg(QString::fromUtf8(kDigitFields[k]))
                    .arg(*d);
            r.digits[k] = std::int8_t(*d);
        }
    } catch (const QString& what) {
        const QString row = !no ? QStringLiteral("回数が空の行")
                            : (*no < 1 || *no > kMaxDrawNo)
                                ? QStringLiteral("回数 %1 の行").arg(*no)
                                : drawLabel(int(*no));
        throw StoreError(badRecord(file, row, what));
    }
    return r;
}

DrawRecord readRecord(sqlite3_stmt* stmt, const Fields& f, const QString& file) {
    DrawRecord r;
    if (!readQuickly(stmt, f, r)) r = readChecked(stmt, f, file);
    if (f.date >= 0) {
        sqlite3_value* date = sqlite3_column_value(stmt, f.date);
        if (sqlite3_value_type(date) != SQLITE_NULL)
            r.date = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(date)),
                                       sqlite3_value_bytes(date));
    }
    return r;
}

// About how many rows the draw table holds, found without reading them (the largest rowid
// is the last page's last key); 0 when that cannot be told.
int lastDrawNo(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT max(rowid) FROM 当選データ", -1, &stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(stmt);
        return 0;
    }
    const sqlite3_int64 last = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    return int(std::clamp<sqlite3_int64>(last, 0, kMaxDrawNo));
}

std::vector<DrawRecord> readRows(Statement& s, const Fields& f, const QString& file) {
    std::vector<DrawRecord> rows;
    // Most files hold a draw for every number up to the last.
    rows.reserve(std::size_t(lastDrawNo(sqlite3_db_handle(s.get()))));
    while (s.step()) rows.push_back(readRecord(s.get(), f, file));
    return rows;
}

// A reading connection; a write cut off by a crash is rolled back first.
void openForReading(Connection& conn, const DatabaseFile& connect) {
    try {
        openKeyed(conn, connect, SQLITE_OPEN_READONLY);
    } catch (const SqlError& e) {
        if (e.rc != SQLITE_READONLY_ROLLBACK) throw;
        conn.close();
        try {
            recoverInterruptedWrite(connect);
        } catch (const SqlError&) {
            // Rolling back removes the journal beside the file: the folder must be writable.
            const QString folder = QFileInfo(connect.file).absolutePath();
            if (QFileInfo(folder).isWritable()) throw;
            throw StoreError(openFailure(
                connect.file,
                QStringLiteral(
                    "前回の書き込みが途中で中断されていますが、フォルダー%1に書き込めない"
                    "ため元に戻せません。フォルダーに書き込めるようにしてから、"
                    "もう一度開いてください。")
                    .arg(quoted(folder))));
        }
        openKeyed(conn, connect, SQLITE_OPEN_READONLY);
    }
}

constexpr char kTableQuery[] =
    "SELECT 回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ ORDER BY 回数";

std::vector<DrawPrizes> readPrizeRows(sqlite3* db, const QString& file);

std::vector<DrawRecord> readViewRows(sqlite3* db, const QString& file,
                                     std::vector<DrawPrizes>* prizes) {
    if (prizes) *prizes = readPrizeRows(db, file);
    if (!schemaHas(db, kViewName))
        throw StoreError(openFailure(
            file, QStringLiteral("クエリ「%1」がありません。").arg(QString::fromUtf8(kViewName))));

    std::optional<Statement> query;
    try {
        query.emplace(db, kDrawQuery);
    } catch (const SqlError& e) {
        if ((e.rc & 0xff) != SQLITE_ERROR) throw;
        throw StoreError(openFailure(file, QStringLiteral("クエリ「%1」を実行できません（%2）。")
                                               .arg(QString::fromUtf8(kViewName), e.engine)));
    }
    QStringList missing;
    const Fields fields = findFields(query->get(), missing);
    if (!missing.isEmpty())
        throw StoreError(openFailure(
            file, QStringLiteral("クエリ「%1」に項目「%2」がありません。")
                      .arg(QString::fromUtf8(kViewName), missing.join(QStringLiteral("」「")))));
    return readRows(*query, fields, file);
}

// The prize rows that hold at least one amount; none when the table is not there yet.
std::vector<DrawPrizes> readPrizeRows(sqlite3* db, const QString& file) {
    std::vector<DrawPrizes> out;
    if (!schemaHas(db, kPrizeTableName)) return out;
    Statement s(db, kPrizeQuery);
    while (s.step()) {
        DrawPrizes p;
        p.no = sqlite3_column_int(s.get(), 0);
        for (int k = 0; k < kPrizeKinds; ++k) {
            if (sqlite3_column_type(s.get(), k + 1) == SQLITE_NULL) continue;
            const sqlite3_int64 yen = sqlite3_column_int64(s.get(), k + 1);
            if (yen < 0)
                throw StoreError(
                    badRecord(file, drawLabel(p.no), QStringLiteral("当選金が負の値です。")));
            p.prizes.yen[std::size_t(k)] = yen;
        }
        if (p.prizes.any()) out.push_back(p);
    }
    return out;
}

PrizeTable prizeTableOf(const std::vector<DrawPrizes>& stored) {
    PrizeTable table;
    for (const DrawPrizes& d : stored) table.set(d.no, amountsOf(d.prizes));
    return table;
}

// The dates of the draws, which the view leaves out, put into rows (both in draw order).
void readDates(sqlite3* db, std::vector<DrawRecord>& rows) {
    Statement s(db, "SELECT 回数, 抽選日 FROM 当選データ WHERE 抽選日 IS NOT NULL ORDER BY 回数");
    auto row = rows.begin();
    while (s.step()) {
        const int no = sqlite3_column_int(s.get(), 0);
        while (row != rows.end() && row->no < no) ++row;
        if (row == rows.end()) break;
        if (row->no == no) row->date = s.text(1);
    }
}

// The history as the program holds it: the view's draws and, when full, their dates and
// prizes, all inside one read so that they agree.
DrawHistory readFullHistory(sqlite3* db, const QString& file, bool full) {
    if (!full) return DrawHistory::fromRows(readViewRows(db, file, nullptr));
    const bool outside = sqlite3_get_autocommit(db) != 0;
    if (outside) exec(db, "BEGIN;");
    try {
        std::vector<DrawPrizes> stored;
        std::vector<DrawRecord> rows = readViewRows(db, file, &stored);
        readDates(db, rows);
        if (outside) exec(db, "COMMIT;");
        DrawHistory history = DrawHistory::fromRows(std::move(rows));
        history.prizes = prizeTableOf(stored);
        return history;
    } catch (...) {
        if (outside) sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
        throw;
    }
}

// ---- writing ---------------------------------------------------------------------------

// Runs body as one transaction. Any failure rolls it back, so the file keeps its last
// stored state, and reaches the caller as a StoreError that names the reason.
void transaction(sqlite3* db, const QString& file, const std::function<void()>& body) {
    // The run's first change keeps the draws of before it, copied under the write lock once
    // the body has changed rows; a write that is refused or changes nothing makes no backup.
    FirstChangeBackup backup(db, file);
    try {
        // IMMEDIATE takes the write lock up front: a busy or read-only file refuses here,
        // before anything is half done.
        exec(db, "BEGIN IMMEDIATE;");
        try {
            // Another program (the command-line tool's restore) may have put a new file in
            // this one's place since it was opened: the change would go to the replaced file,
            // which nobody reads again. Asked under the write lock, so no replacement can
            // slip in between.
            int moved = 0;
            if (sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
                moved)
                throw StoreError(writeFailure(
                    file, QStringLiteral("データベースファイルが開いた後でほかのプログラム"
                                         "（バックアップからの復元など）に置き換えられました。"
                                         "ウィンドウを閉じて開き直してから、もう一度入力して"
                                         "ください。")));
            backup.begun();
            exec(db, kPrizeSchema);
            body();
            backup.beforeCommit();
            exec(db, "COMMIT;");
        } catch (...) {
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (const SqlError& e) {
        throw StoreError(writeFailure(file, reasonFor(e)));
    }
}

// A statement prepared on its first use.
class LazyStatement {
public:
    LazyStatement(sqlite3* db, const char* sql) : m_db(db), m_sql(sql) {}
    Statement& operator*() {
        if (!m_statement) m_statement.emplace(m_db, m_sql);
        return *m_statement;
    }
    Statement* operator->() { return &**this; }

private:
    sqlite3* m_db;
    const char* m_sql;
    std::optional<Statement> m_statement;
};

void checkDraw(const DrawRecord& d, const QString& file) {
    if (d.no < 1 || d.no > kMaxDrawNo)
        throw StoreError(writeFailure(
            file,
            QStringLiteral("回数は 1～%1 で指定してください（%2）。").arg(kMaxDrawNo).arg(d.no)));
    for (std::int8_t digit : d.digits)
        if (digit < -1 || digit > 9)
            throw StoreError(writeFailure(
                file, QStringLiteral("%1の数字は 0～9 で指定してください。").arg(drawLabel(d.no))));
}

}  // namespace store

using namespace store;

QString drawList(const std::vector<int>& nos) {
    constexpr std::size_t kShown = 10;
    QStringList shown;
    for (std::size_t i = 0; i < nos.size() && i < kShown; ++i) shown << drawLabel(nos[i]);
    QString list = shown.join(QStringLiteral("、"));
    if (nos.size() > kShown) list += QStringLiteral(" ほか %1 件").arg(nos.size() - kShown);
    return list;
}

QString drawRanges(const std::vector<int>& nos) {
    constexpr int kShown = 5;
    QStringList shown;
    int runs = 0;
    for (std::size_t i = 0; i < nos.size();) {
        std::size_t j = i;
        while (j + 1 < nos.size() && nos[j + 1] == nos[j] + 1) ++j;
        if (++runs <= kShown)
            shown << (i == j ? drawLabel(nos[i])
                             : QStringLiteral("第%1～%2回").arg(nos[i]).arg(nos[j]));
        i = j + 1;
    }
    QString list = shown.join(QStringLiteral("、"));
    if (runs > kShown) list += QStringLiteral(" ほか %1 か所").arg(runs - kShown);
    return list;
}

DatabaseFile databaseFileIn(const QString& folder) {
    DatabaseFile c;
    c.file =
        QFileInfo(folder + QLatin1Char('/') + QLatin1String(kDatabaseFileName)).absoluteFilePath();
    c.password = QString::number(kPasswordNumber);
    return c;
}

DrawHistory loadDrawHistory(const DatabaseFile& connect, PrizeTable* prizes) {
    DrawHistory history = loadHistory(connect, prizes != nullptr);
    if (prizes) *prizes = std::move(history.prizes);
    return history;
}

DrawHistory loadHistory(const DatabaseFile& connect, bool full) {
    checkFile(connect.file);
    try {
        Connection conn;
        openForReading(conn, connect);
        return readFullHistory(conn.get(), connect.file, full);
    } catch (const SqlError& e) {
        throw StoreError(openFailure(connect.file, reasonFor(e)));
    }
}

std::vector<DrawPrizes> loadPrizes(const DatabaseFile& connect) {
    checkFile(connect.file);
    try {
        Connection conn;
        openForReading(conn, connect);
        return readPrizeRows(conn.get(), connect.file);
    } catch (const SqlError& e) {
        throw StoreError(openFailure(connect.file, reasonFor(e)));
    }
}

std::vector<DrawRecord> readDrawTable(const DatabaseFile& connect,
                                      std::vector<DrawPrizes>* prizes) {
    checkFile(connect.file);
    const QString& file = connect.file;
    Connection conn;
    try {
        openForReading(conn, connect);
        if (!schemaHas(conn.get(), kTableName))
            throw StoreError(openFailure(
                file, QStringLiteral("表「%1」がありません。").arg(QString::fromUtf8(kTableName))));
    } catch (const SqlError& e) {
        throw StoreError(openFailure(file, reasonFor(e)));
    }
    try {
        if (prizes) *prizes = readPrizeRows(conn.get(), file);
        Statement s(conn.get(), kTableQuery);
        QStringList missing;
        return readRows(s, findFields(s.get(), missing), file);
    } catch (const SqlError& e) {
        throw StoreError(readFailure(file, reasonFor(e)));
    }
}

std::future<DrawHistory> preloadDrawHistory(const DatabaseFile& connect) {
    return std::async(std::launch::async, [connect] { return loadHistory(connect, true); });
}

DrawStore::DrawStore(Connection conn, QString file)
    : m_conn(std::move(conn)), m_db(m_conn.get()), m_file(std::move(file)) {}

DrawStore::~DrawStore() = default;

std::unique_ptr<DrawStore> DrawStore::open(const DatabaseFile& connect, bool create) {
    const QString& file = connect.file;
    const bool exists = QFileInfo(file).exists() || QFileInfo(file).isSymLink();
    if (!exists && !create) throw StoreError(missingFile(file));
    if (exists) checkFile(file);

    Connection conn;
    try {
        // A file that cannot be written still opens, read-only; every write then says why.
        openKeyed(conn, connect, SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE));
        // A rollback journal synced in full: once a write has returned, a crash or a kill
        // cannot take it back.
        exec(conn.get(), "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL;");
        if (!exists) {
            exec(conn.get(), "BEGIN IMMEDIATE;");
            exec(conn.get(), kSchema);
            exec(conn.get(), kPrizeSchema);
            exec(conn.get(), "COMMIT;");
        } else if (!schemaHas(conn.get(), kTableName)) {
            throw StoreError(openFailure(
                file, QStringLiteral("表「%1」がありません。").arg(QString::fromUtf8(kTableName))));
        } else if (!sql::intact(conn.get())) {
            // Writing into a damaged file would spread the damage; the readers refuse it too.
            throw StoreError(openFailure(file, reasonFor(SqlError{SQLITE_CORRUPT, {}})));
        }
    } catch (const SqlError& e) {
        conn.close();
        // Only a file this call made is taken away again.
        if (!exists) {
            QFile::remove(file);
            QFile::remove(file + QStringLiteral("-journal"));
        }
        throw StoreError(openFailure(file, reasonFor(e)));
    }
    return std::unique_ptr<DrawStore>(new DrawStore(std::move(conn), file));
}

std::vector<DrawRecord> DrawStore::readAll() {
    try {
        Statement s(m_db, kTableQuery);
        QStringList missing;
        const Fields fields = findFields(s.get(), missing);
        return readRows(s, fields, m_file);
    } catch (const SqlError& e) {
        throw StoreError(readFailure(m_file, reasonFor(e)));
    }
}

std::vector<DrawPrizes> DrawStore::readPrizes() {
    try {
        return readPrizeRows(m_db, m_file);
    } catch (const SqlError& e) {
        throw StoreError(readFailure(m_file, reasonFor(e)));
    }
}

DrawHistory DrawStore::readHistory() {
    try {
        return readFullHistory(m_db, m_file, true);
    } catch (const SqlError& e) {
        throw StoreError(readFailure(m_file, reasonFor(e)));
    }
}

long long DrawStore::dataVersion() {
    try {
        Statement s(m_db, "PRAGMA data_version;");
        return s.step() ? sqlite3_column_int64(s.get(), 0) : 0;
    } catch (const SqlError& e) {
        throw StoreError(readFailure(m_file, reasonFor(e)));
    }
}

void DrawStore::prepareBackup() { FirstChangeBackup::prepare(m_db, m_file); }

bool DrawStore::fileReplaced() {
    int moved = 0;
    return sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
           moved != 0;
}

ImportResult DrawStore::importDraws(const std::vector<ImportedDraw>& draws, bool replace) {
    for (const ImportedDraw& d : draws) {
        checkDraw(d.draw, m_file);
        for (std::int64_t yen : d.prizes.yen)
            if (yen < -1)
                throw StoreError(writeFailure(
                    m_file, QStringLiteral("%1の当選金が負の値です。").arg(drawLabel(d.draw.no))));
    }
    struct Refused {};
    ImportResult result;
    try {
        transaction(m_db, m_file, [&] {
            Statement find(m_db,
                           "SELECT 抽選日, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ "
                           "WHERE 回数 = ?1");
            Statement findPrizes(m_db,
                                 "SELECT ストレート, ボックス, セットストレート, セットボックス "
                                 "FROM 当選金 WHERE 回数 = ?1");
            Statement insert(m_db, kInsertDraw);
            Statement update(m_db,
                             "UPDATE 当選データ SET 抽選日 = ?2, 第1数字 = ?3, 第2数字 = ?4, "
                             "第3数字 = ?5, 第4数字 = ?6 WHERE 回数 = ?1");
            Statement writePrizes(m_db,
                                  "INSERT OR REPLACE INTO 当選金 (回数, ストレート, ボックス, "
                                  "セットストレート, セットボックス) VALUES (?1, ?2, ?3, ?4, ?5)");
            Statement removePrizes(m_db, "DELETE FROM 当選金 WHERE 回数 = ?1");
            for (const ImportedDraw& d : draws) {
                std::optional<ImportedDraw> stored;
                find.bind(1, d.draw.no);
                if (find.step()) {
                    ImportedDraw s;
                    s.draw.no = d.draw.no;
                    if (sqlite3_column_type(find.get(), 0) != SQLITE_NULL)
                        s.draw.date = QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0)));
                    for (int k = 0; k < 4; ++k)
                        if (sqlite3_column_type(find.get(), k + 1) != SQLITE_NULL)
                            s.draw.digits[k] = std::int8_t(sqlite3_column_int(find.get(), k + 1));
                    findPrizes.bind(1, d.draw.no);
                    if (findPrizes.step())
                        for (int k = 0; k < kPrizeKinds; ++k)
                            if (sqlite3_column_type(findPrizes.get(), k) != SQLITE_NULL)
                                s.prizes.yen[std::size_t(k)] =
                                    sqlite3_column_int64(findPrizes.get(), k);
                    findPrizes.reset();
                    stored = s;
                }
                find.reset();

                const DrawChange change = classifyDraw(d, stored ? &*stored : nullptr);
                if (change == DrawChange::Equal) {
                    ++result.skipped;
                    continue;
                }
                if (change == DrawChange::Differs && !replace) {
                    result.conflicts.push_back(d.draw.no);
                    continue;
                }
                const ImportedDraw merged = mergedDraw(d, stored ? &*stored : nullptr);
                Statement& write = stored ? update : insert;
                write.bind(1, merged.draw.no).bind(2, merged.draw.date);
                for (int k = 0; k < 4; ++k) write.bindOrNull(3 + k, merged.draw.digits[k]);
                write.run();
                if (merged.prizes.any() && (!stored || merged.prizes != stored->prizes)) {
                    writePrizes.bind(1, merged.draw.no);
                    for (int k = 0; k < kPrizeKinds; ++k)
                        writePrizes.bindOrNull(k + 2, merged.prizes.yen[std::size_t(k)]);
                    writePrizes.run();
                } else if (!merged.prizes.any() && stored && stored->prizes.any()) {
                    // Replaced by other digits: what the old number paid is not theirs.
                    removePrizes.bind(1, merged.draw.no);
                    removePrizes.run();
                }
                switch (change) {
                    case DrawChange::New:
                        ++result.added;
                        break;
                    case DrawChange::Completes:
                        ++result.completed;
                        break;
                    default:
                        ++result.replaced;
                        break;
                }
            }
            // All or nothing: a refused file leaves the database exactly as it was.
            if (!result.conflicts.empty()) throw Refused{};
        });
    } catch (const Refused&) {
        result.added = result.replaced = result.skipped = result.completed = 0;
    }
    return result;
}

void DrawStore::applyEdits(std::vector<DrawEdit>& edits) {
    for (const DrawEdit& e : edits)
        if (e.after) checkDraw(*e.after, m_file);
    std::vector<std::pair<Prizes, Prizes>> prizes;  // before and after, for each edit
    transaction(m_db, m_file, [&] {
        prizes.clear();
        Statement find(m_db,
                       "SELECT 回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ "
                       "WHERE 回数 = ?1");
        QStringList missing;
        const Fields fields = findFields(find.get(), missing);
        Statement findPrizes(m_db,
                             "SELECT ストレート, ボックス, セットストレート, セットボックス "
                             "FROM 当選金 WHERE 回数 = ?1");
        // Most edits need only two or three of these: each is prepared on its first use.
        LazyStatement insert(m_db, kInsertDraw);
        LazyStatement update(m_db,
                             "UPDATE 当選データ SET 抽選日 = ?2, 第1数字 = ?3, 第2数字 = ?4, "
                             "第3数字 = ?5, 第4数字 = ?6 WHERE 回数 = ?1");
        LazyStatement remove(m_db, "DELETE FROM 当選データ WHERE 回数 = ?1");
        LazyStatement removePrizes(m_db, "DELETE FROM 当選金 WHERE 回数 = ?1");
        LazyStatement writePrizes(m_db,
                                  "INSERT OR REPLACE INTO 当選金 (回数, ストレート, ボックス, "
                                  "セットストレート, セットボックス) VALUES (?1, ?2, ?3, ?4, ?5)");
        for (const DrawEdit& e : edits) {
            find.bind(1, e.no);
            std::optional<DrawRecord> now;
            if (find.step()) now = readRecord(find.get(), fields, m_file);
            find.reset();
            if (e.before && !now)
                throw StoreError(writeFailure(
                    m_file, QStringLiteral("%1はデータベースにありません。").arg(drawLabel(e.no))));
            if (!e.before && now)
                throw StoreError(writeFailure(
                    m_file, QStringLiteral("%1は既に登録されています。").arg(drawLabel(e.no))));
            if (e.before && *now != *e.before)
                throw StoreError(
                    writeFailure(m_file, QStringLiteral("%1はほかのプログラムで変更されています。")
                                             .arg(drawLabel(e.no))));
            Prizes stored;
            findPrizes.bind(1, e.no);
            if (findPrizes.step())
                for (int k = 0; k < kPrizeKinds; ++k)
                    if (!findPrizes.isNull(k))
                        stored.yen[std::size_t(k)] = sqlite3_column_int64(findPrizes.get(), k);
            findPrizes.reset();

            // The prizes go with the digits they were paid for.
            Prizes kept;
            if (e.afterPrizes && e.after)
                kept = *e.afterPrizes;
            else if (now && e.after && now->digits == e.after->digits)
                kept = stored;
            prizes.emplace_back(stored, kept);

            if (!e.after) {
                remove->bind(1, e.no);
                remove->run();
            } else {
                Statement& write = now ? *update : *insert;
                write.bind(1, e.no).bind(2, e.after->date);
                for (int k = 0; k < 4; ++k) write.bindOrNull(3 + k, e.after->digits[k]);
                write.run();
            }
            if (kept == stored) continue;
            if (!kept.any()) {
                removePrizes->bind(1, e.no);
                removePrizes->run();
                continue;
            }
            writePrizes->bind(1, e.no);
            for (int k = 0; k < kPrizeKinds; ++k)
                writePrizes->bindOrNull(k + 2, kept.yen[std::size_t(k)]);
            writePrizes->run();
        }
    });
    for (std::size_t i = 0; i < edits.size(); ++i) {
        edits[i].beforePrizes = prizes[i].first;
        edits[i].afterPrizes = prizes[i].second;
    }
}

PrizeTable loadPrizeTable(const DatabaseFile& connect) { return prizeTableOf(loadPrizes(connect)); }

}  // namespace pirumoa
