#include "core/store/salvage.h"

#include <sqlcipher/sqlite3.h>

#include <QFileInfo>
#include <QStringList>
#include <functional>

#include "core/store/backups.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/sqlcipher.h"

namespace pirumoa {

namespace {

// The table of prize amounts kept beside the draws, where a file has one; its first column
// is the draw number and the next four the amounts, in the order of the CSV columns.
constexpr char kPrizeTable[] = "当選金";

// A statement finalized with the object; null when it cannot be prepared.
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

// A row of "回数, 抽選日, 第1数字 … 第4数字"; nullopt for a row whose values cannot be a draw.
std::optional<DrawRecord> drawOf(sqlite3_stmt* s, int no) {
    DrawRecord r;
    r.no = no;
    if (sqlite3_column_type(s, 1) != SQLITE_NULL)
        r.date = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    for (int k = 0; k < 4; ++k) {
        const std::optional<long long> d = number(s, k + 2);
        if (!d) continue;
        if (*d < 0 || *d > 9) return std::nullopt;
        r.digits[k] = static_cast<std::int8_t>(*d);
    }
    return r;
}

// Numbers 1 … kMaxDrawNo, each marked or not.
using NumberSet = std::vector<bool>;

std::vector<std::pair<int, int>> rangesOf(const NumberSet& marked) {
    std::vector<std::pair<int, int>> ranges;
    for (int no = 1; no <= kMaxDrawNo; ++no) {
        if (!marked[std::size_t(no)]) continue;
        if (!ranges.empty() && ranges.back().second == no - 1)
            ranges.back().second = no;
        else
            ranges.emplace_back(no, no);
    }
    return ranges;
}

// Reads a table in order of its draw number (query: its rows from number ?1 on, the number
// first), going on past every damaged page: after a failure the statement is reset (the
// engine holds on to a read error until every statement that met it is reset) and the
// reading starts again from the next number, one at a time, until a number reads again. The
// numbers it had to step over are marked in lost.
void readPast(Query& query, NumberSet& lost, const std::function<void(int no)>& row) {
    sqlite3_stmt* s = query.get();
    int next = 1;
    int lostFrom = 0;  // the first number stepped over since the last good read
    const auto markLost = [&](int last) {
        for (int no = lostFrom; lostFrom > 0 && no <= last; ++no) lost[std::size_t(no)] = true;
        lostFrom = 0;
    };
    while (next <= kMaxDrawNo) {
        sqlite3_reset(s);
        sqlite3_bind_int(s, 1, next);
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
            markLost(next - 1);
            for (; rc == SQLITE_ROW; rc = sqlite3_step(s)) {
                const sqlite3_int64 no = sqlite3_column_int64(s, 0);
                if (no < next || no > kMaxDrawNo) continue;
                row(int(no));
                next = int(no) + 1;
            }
            if (rc == SQLITE_DONE) break;
        }
        if (lostFrom == 0) lostFrom = next;
        ++next;
    }
    markLost(kMaxDrawNo);
    sqlite3_reset(s);
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

    Query draws(c.get(),
                "SELECT 回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字 FROM 当選データ "
                "WHERE 回数 >= ?1 ORDER BY 回数");
    if (!draws)
        throw StoreError(
            QStringLiteral("データベースファイル「%1」の表「当選データ」を読み取れません（%2）。")
                .arg(shownName(database.file), QString::fromUtf8(sqlite3_errmsg(c.get()))));
    std::optional<Query> prizes;
    {
        const Query probe(c.get(), QByteArray("SELECT * FROM ") + kPrizeTable + " LIMIT 0");
        if (probe && sqlite3_column_count(probe.get()) >= 5) {
            // Keyed by the draw number in the first column, whatever its name.
            const QByteArray key = '"' + QByteArray(sqlite3_column_name(probe.get(), 0)) + '"';
            prizes.emplace(c.get(), QByteArray("SELECT * FROM ") + kPrizeTable + " WHERE " + key +
                                        " >= ?1 ORDER BY " + key);
            if (!*prizes) prizes.reset();
        }
    }

    Salvage out;
    NumberSet lostDraws(kMaxDrawNo + 1, false), read(kMaxDrawNo + 1, false);
    readPast(draws, lostDraws, [&](int no) {
        const std::optional<DrawRecord> r = drawOf(draws.get(), no);
        if (!r) {
            lostDraws[std::size_t(no)] = true;
            return;
        }
        out.draws.push_back(*r);
        read[std::size_t(no)] = true;
    });
    out.unreadable = rangesOf(lostDraws);
    if (prizes) {
        NumberSet lostPrizes(kMaxDrawNo + 1, false);
        readPast(*prizes, lostPrizes, [&](int no) {
            std::array<std::optional<long long>, 4> amounts;
            for (int k = 0; k < 4; ++k) amounts[k] = number(prizes->get(), k + 1);
            if (read[std::size_t(no)]) out.prizes[no] = amounts;
        });
        for (std::size_t no = 0; no < lostPrizes.size(); ++no)
            lostPrizes[no] = lostPrizes[no] && read[no];
        out.prizesLost = rangesOf(lostPrizes);
    }
    const int last = out.draws.empty() ? 0 : out.draws.back().no;
    NumberSet missing(kMaxDrawNo + 1, false);
    for (int no = 1; no <= last; ++no) missing[std::size_t(no)] = !read[std::size_t(no)];
    out.missing = rangesOf(missing);
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
