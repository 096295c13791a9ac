#include "core/store/salvage.h"

#include <sqlcipher/sqlite3.h>

#include <QFileInfo>
#include <QStringList>

#include "core/store/backups.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/sqlcipher.h"

namespace pirumoa {

namespace {

// The table of prize amounts kept beside the draws, where a file has one; its first column
// is the draw number and the next four the amounts, in the order of the CSV columns.
constexpr char kPrizeTable[] = "当選金";

class Query {
public:
    Query(sqlite3* db, const QByteArray& sql) {
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    explicit operator bool() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }
    // SQLITE_ROW, SQLITE_DONE or the failure; the statement is ready for the next number.
    int lookUp(int no) {
        sqlite3_reset(m_stmt);
        sqlite3_bind_int(m_stmt, 1, no);
        return sqlite3_step(m_stmt);
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::optional<long long> number(sqlite3_stmt* s, int col) {
    if (sqlite3_column_type(s, col) == SQLITE_NULL) return std::nullopt;
    if (sqlite3_column_type(s, col) == SQLITE_TEXT) {
        bool ok = false;
        const long long v =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, col)))
                .trimmed()
                .toLongLong(&ok);
        if (!ok) return std::nullopt;
        return v;
    }
    return sqlite3_column_int64(s, col);
}

// A row as the draw table holds it; nullopt for a row whose values cannot be a draw.
std::optional<DrawRecord> drawOf(sqlite3_stmt* s, int no) {
    DrawRecord r;
    r.no = no;
    if (sqlite3_column_type(s, 0) != SQLITE_NULL)
        r.date = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    for (int k = 0; k < 4; ++k) {
        const std::optional<long long> d = number(s, k + 1);
        if (!d) continue;
        if (*d < 0 || *d > 9) return std::nullopt;
        r.digits[k] = static_cast<std::int8_t>(*d);
    }
    return r;
}

void addTo(std::vector<std::pair<int, int>>& ranges, int no) {
    if (!ranges.empty() && ranges.back().second == no - 1)
        ranges.back().second = no;
    else
        ranges.emplace_back(no, no);
}

}  // namespace

Salvage salvageDatabase(const DatabaseFile& database) {
    if (!QFileInfo::exists(database.file))
        throw StoreError(QStringLiteral("データベースファイル「%1」が見つかりません。")
                             .arg(shownName(database.file)));
    sql::Connection c;
    // Read-only: a damaged file is never written, not even to roll back a journal.
    int rc = SQLITE_OK;
    QString engine;
    try {
        c.open(database.file, database.password, SQLITE_OPEN_READONLY);
    } catch (const sql::SqlError& e) {
        rc = e.rc;
        engine = e.engine;
    }
    if (rc != SQLITE_OK && rc != SQLITE_READONLY_ROLLBACK)
        throw StoreError(
            QStringLiteral("データベースファイル「%1」から何も読み取れません（%2）。"
                           "パスワードが一致しないか、ファイルの先頭が壊れています。"
                           "「データ管理」→「バックアップから復元...」で最新のバックアップに"
                           "戻してください。")
                .arg(shownName(database.file), engine));

    Query draws(
        c.get(),
        "SELECT 抽選日, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ WHERE 回数 = ?1");
    if (!draws)
        throw StoreError(
            QStringLiteral("データベースファイル「%1」の表「当選データ」を読み取れません（%2）。")
                .arg(shownName(database.file), QString::fromUtf8(sqlite3_errmsg(c.get()))));
    std::optional<Query> prizes;
    {
        const Query probe(c.get(), QByteArray("SELECT * FROM ") + kPrizeTable + " LIMIT 0");
        if (probe && sqlite3_column_count(probe.get()) >= 5) {
            // Keyed by the draw number in the first column, whatever its name.
            const QByteArray key = sqlite3_column_name(probe.get(), 0);
            prizes.emplace(c.get(), QByteArray("SELECT * FROM ") + kPrizeTable + " WHERE \"" + key +
                                        "\" = ?1");
            if (!*prizes) prizes.reset();
        }
    }

    Salvage out;
    // One lookup per number: each finds its row through the tree from the top, so a
    // damaged page fails only the numbers stored on it or below it.
    for (int no = 1; no <= kMaxDrawNo; ++no) {
        const int step = draws.lookUp(no);
        if (step == SQLITE_DONE) continue;
        std::optional<DrawRecord> r;
        if (step == SQLITE_ROW) r = drawOf(draws.get(), no);
        if (!r) {
            addTo(out.unreadable, no);
            continue;
        }
        out.draws.push_back(*r);
        if (prizes && prizes->lookUp(no) == SQLITE_ROW) {
            std::array<std::optional<long long>, 4> amounts;
            for (int k = 0; k < 4; ++k) amounts[k] = number(prizes->get(), k + 1);
            out.prizes[no] = amounts;
        }
    }
    const int last = out.draws.empty() ? 0 : out.draws.back().no;
    std::size_t next = 0;
    for (int no = 1; no <= last; ++no) {
        if (out.draws[next].no == no) {
            ++next;
            continue;
        }
        addTo(out.missing, no);
    }
    return out;
}

QByteArray salvageCsv(const Salvage& salvage) {
    const bool withPrizes = !salvage.prizes.empty();
    QByteArray out = withPrizes ? "draw,date,d1,d2,d3,d4,straight,box,set_straight,set_box\n"
                                : "draw,date,d1,d2,d3,d4\n";
    for (const DrawRecord& r : salvage.draws) {
        out += QByteArray::number(r.no) + ',' + r.date.toUtf8();
        for (std::int8_t d : r.digits) out += d < 0 ? QByteArray(",") : ',' + QByteArray::number(d);
        if (withPrizes) {
            const auto p = salvage.prizes.find(r.no);
            for (int k = 0; k < 4; ++k) {
                out += ',';
                if (p != salvage.prizes.end() && p->second[k])
                    out += QByteArray::number(*p->second[k]);
            }
        }
        out += '\n';
    }
    return out;
}

QString rangeList(const std::vector<std::pair<int, int>>& ranges) {
    QStringList parts;
    for (const auto& [first, last] : ranges) {
        if (last == kMaxDrawNo && first != last)
            parts << drawLabel(first) + QStringLiteral("以降");
        else if (first == last)
            parts << drawLabel(first);
        else
            parts << drawLabel(first) + QStringLiteral("～") + drawLabel(last);
    }
    return parts.join(QStringLiteral("、"));
}

}  // namespace pirumoa
