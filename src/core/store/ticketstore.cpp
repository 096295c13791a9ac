// The user's tickets in the draw database: their table and its SQL.
#include <sqlcipher/sqlite3.h>

#include "core/store/drawstore.h"
#include "core/store/labels.h"
#include "core/store/storeparts.h"

namespace pirumoa {

using namespace store;
namespace {

constexpr char kTicketTable[] = "購入数字";
#define TICKET_COLUMNS                                                         \
    " (番号 INTEGER PRIMARY KEY,"                                            \
    " 数字 TEXT NOT NULL CHECK (length(数字) = 4),"                        \
    " 種類 TEXT NOT NULL CHECK (種類 IN ('straight', 'box', 'set')),"      \
    " 口数 INTEGER NOT NULL CHECK (口数 BETWEEN 1 AND 10),"                \
    " 開始回 INTEGER NOT NULL CHECK (開始回 BETWEEN 1 AND 32767),"       \
    " 継続回数 INTEGER NOT NULL CHECK (継続回数 BETWEEN 0 AND 32767)," \
    " メモ TEXT);"
constexpr char kTicketSchema[] = "CREATE TABLE IF NOT EXISTS 購入数字" TICKET_COLUMNS;
// The table as earlier versions made it: runs of 20 draws at most.
constexpr char kNarrowRuns[] = "継続回数 BETWEEN 0 AND 20)";
constexpr char kWidenTable[] =
    "CREATE TABLE 購入数字_移行中" TICKET_COLUMNS
    "INSERT INTO 購入数字_移行中 (番号, 数字, 種類, 口数, 開始回, 継続回数, メモ)"
    " SELECT 番号, 数字, 種類, 口数, 開始回, 継続回数, メモ FROM 購入数字;"
    "DROP TABLE 購入数字;"
    "ALTER TABLE 購入数字_移行中 RENAME TO 購入数字;";
#undef TICKET_COLUMNS
constexpr char kTicketColumns[] =
    "SELECT 番号, 数字, 種類, 口数, 開始回, 継続回数, メモ FROM 購入数字 ORDER BY 番号";

QString columnText(sqlite3_stmt* stmt, int col) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return text ? QString::fromUtf8(text) : QString();
}

std::vector<Ticket> readTicketRows(sqlite3* db, const QString& file) {
    std::vector<Ticket> out;
    if (!schemaHas(db, kTicketTable)) return out;
    Statement s(db, kTicketColumns);
    while (s.step()) {
        sqlite3_stmt* st = s.get();
        Ticket t;
        t.id = sqlite3_column_int64(st, 0);
        const auto digits = parseTicketNumber(columnText(st, 1));
        const auto type = parseTicketType(columnText(st, 2));
        t.units = sqlite3_column_int(st, 3);
        t.firstDraw = sqlite3_column_int(st, 4);
        t.draws = sqlite3_column_int(st, 5);
        t.note = columnText(st, 6);
        if (digits) t.digits = *digits;
        if (type) t.type = *type;
        const QString problem =
            !digits || !type ? QStringLiteral("数字か種類が読めません。") : ticketProblem(t);
        if (!problem.isEmpty())
            throw StoreError(badRecord(file, QStringLiteral("購入数字 %1").arg(t.id), problem));
        out.push_back(t);
    }
    return out;
}

void bindTicket(Statement& s, const Ticket& t) {
    s.bind(1, numberText(t.digits))
        .bind(2, typeKey(t.type))
        .bind(3, t.units)
        .bind(4, t.firstDraw)
        .bind(5, t.draws)
        .bind(6, t.note);
}

// The tickets table made when missing, and one of an earlier version, which held runs of 20
// draws at most, made anew with the wider check, its rows copied with their numbers: inside
// the write's own transaction, so a failure leaves the old table as it was.
void ensureTicketTable(sqlite3* db) {
    if (!schemaHas(db, kTicketTable)) {
        exec(db, kTicketSchema);
        return;
    }
    bool narrow = false;
    {
        Statement s(db, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = '購入数字'");
        narrow = s.step() && columnText(s.get(), 0).contains(QString::fromUtf8(kNarrowRuns));
    }
    if (narrow) exec(db, kWidenTable);
}

void insertTickets(sqlite3* db, std::vector<Ticket>& tickets) {
    Statement insert(db,
                     "INSERT INTO 購入数字 (数字, 種類, 口数, 開始回, 継続回数, メモ) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    for (Ticket& t : tickets) {
        bindTicket(insert, t);
        insert.run();
        t.id = sqlite3_last_insert_rowid(db);
    }
}

void refuseBadTicket(const Ticket& t, const QString& file) {
    const QString problem = ticketProblem(t);
    if (!problem.isEmpty()) throw StoreError(writeFailure(file, problem));
}

}  // namespace

std::vector<Ticket> loadTickets(const DatabaseFile& connect) {
    checkFile(connect.file);
    Connection conn;
    try {
        openForReading(conn, connect);
        return readTicketRows(conn.get(), connect.file);
    } catch (const SqlError& e) {
        throw StoreError(readFailure(connect.file, reasonFor(e)));
    }
}

DrawHistory loadTicketHistory(const DatabaseFile& connect, bool dates,
                              std::vector<Ticket>* tickets) {
    checkFile(connect.file);
    Connection conn;
    try {
        openForReading(conn, connect);
        exec(conn.get(), "BEGIN;");
        if (tickets) *tickets = readTicketRows(conn.get(), connect.file);
        DrawHistory history;
        if (dates) {
            history = readFullHistory(conn.get(), connect.file, true);
        } else {
            std::vector<DrawPrizes> prizes;
            history = DrawHistory::fromRows(readViewRows(conn.get(), connect.file, &prizes));
            history.prizes = prizeTableOf(prizes);
        }
        exec(conn.get(), "COMMIT;");
        return history;
    } catch (const SqlError& e) {
        throw StoreError(readFailure(connect.file, reasonFor(e)));
    }
}

std::vector<Ticket> DrawStore::readTickets() {
    try {
        return readTicketRows(m_db, m_file);
    } catch (const SqlError& e) {
        throw StoreError(readFailure(m_file, reasonFor(e)));
    }
}

void DrawStore::addTickets(std::vector<Ticket>& tickets) {
    for (const Ticket& t : tickets) refuseBadTicket(t, m_file);
    std::vector<Ticket> stored = tickets;
    transaction(m_db, m_file, [&] {
        ensureTicketTable(m_db);
        insertTickets(m_db, stored);
    });
    // Only once the transaction stands do the tickets carry their rows.
    tickets = std::move(stored);
}

TicketImportPlan DrawStore::importTickets(const std::vector<Ticket>& incoming) {
    for (const Ticket& t : incoming) refuseBadTicket(t, m_file);
    TicketImportPlan plan;
    transaction(m_db, m_file, [&] {
        // Planned against what is stored under the write lock: a second import of the same
        // file, even by another program meanwhile, adds nothing.
        plan = planTicketImport(readTicketRows(m_db, m_file), incoming);
        if (plan.toAdd.empty()) return;
        ensureTicketTable(m_db);
        insertTickets(m_db, plan.toAdd);
    });
    return plan;
}

void DrawStore::updateTicket(const Ticket& ticket) {
    refuseBadTicket(ticket, m_file);
    transaction(m_db, m_file, [&] {
        ensureTicketTable(m_db);
        Statement update(m_db,
                         "UPDATE 購入数字 SET 数字 = ?1, 種類 = ?2, 口数 = ?3, 開始回 = ?4, "
                         "継続回数 = ?5, メモ = ?6 WHERE 番号 = ?7");
        bindTicket(update, ticket);
        update.bind(7, QString::number(ticket.id));
        update.run();
        if (sqlite3_changes(m_db) == 0)
            throw StoreError(writeFailure(
                m_file, QStringLiteral("購入数字 %1 は登録されていません。").arg(ticket.id)));
    });
}

void DrawStore::removeTicket(long long id) {
    transaction(m_db, m_file, [&] {
        ensureTicketTable(m_db);
        Statement remove(m_db, "DELETE FROM 購入数字 WHERE 番号 = ?1");
        remove.bind(1, QString::number(id));
        remove.run();
        if (sqlite3_changes(m_db) == 0)
            throw StoreError(
                writeFailure(m_file, QStringLiteral("購入数字 %1 は登録されていません。").arg(id)));
    });
}

void DrawStore::removeTickets(const std::vector<long long>& ids) {
    transaction(m_db, m_file, [&] {
        exec(m_db, kTicketSchema);
        Statement remove(m_db, "DELETE FROM 購入数字 WHERE 番号 = ?1");
        for (long long id : ids) {
            remove.bind(1, QString::number(id));
            remove.run();
            if (sqlite3_changes(m_db) == 0)
                throw StoreError(writeFailure(
                    m_file, QStringLiteral("購入数字 %1 は登録されていません。").arg(id)));
        }
    });
}

}  // namespace pirumoa
