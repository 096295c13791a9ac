#pragma once

#include <QString>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/store/importeddraw.h"
#include "core/store/sqlcipher.h"
#include "core/tickets/ticket.h"
#include "core/tickets/ticketimport.h"

struct sqlite3;

namespace pirumoa {

// A failure the user can meet with the draw database; what() is the Japanese message (UTF-8)
// that names the file and says plainly what is wrong.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

inline constexpr char kDatabaseFileName[] = "Numbers4Pirumoa.mdb";

// Where the database is and how it is opened; built once at start-up.
struct DatabaseFile {
    QString file;      // absolute path of the database file
    QString password;  // six decimal digits, made at run time
};

// The cipher settings every connection runs right after its key.
extern const char kCipherSettings[];

// folder + "/Numbers4Pirumoa.mdb" with the program's password.
DatabaseFile databaseFileIn(const QString& folder);

// Opens the database read-only, reads every row of
// "select * from 全データ選択クエリ order by 回数" and builds the totals. It creates nothing
// and changes no draw; the one write it may make is to roll back a write that a crash cut
// off (a journal left beside the file), which puts back the last stored state. Throws
// StoreError for a missing file, a wrong password, a file that is no database, a missing
// view or field, or a record outside 1..32767 / a digit outside 0..9. With prizes, the
// stored prizes too (as loadPrizeTable), read on the same connection.
DrawHistory loadDrawHistory(const DatabaseFile& connect, PrizeTable* prizes = nullptr);
// The history as the program holds it: with full, each draw's date and the stored prizes
// (history.prizes) as well, read inside one read transaction.
DrawHistory loadHistory(const DatabaseFile& connect, bool full);

// The tickets and the prizes as stored, read-only; a file without their tables has none.
// Throws StoreError as loadDrawHistory does.
std::vector<Ticket> loadTickets(const DatabaseFile& connect);
// What checking tickets needs in one read, so that the key is derived once: the history with
// its prizes, with dates as loadHistory (full) reads it, without them a read of the draw table
// less; with tickets, the stored tickets too. Throws StoreError as loadDrawHistory does.
DrawHistory loadTicketHistory(const DatabaseFile& connect, bool dates,
                              std::vector<Ticket>* tickets = nullptr);
PrizeTable loadPrizeTable(const DatabaseFile& connect);
// Every row of the draw table with its date, in draw order, through a read-only connection
// (export): nothing is written, and the file is not checked page by page first. With prizes,
// the stored prizes too (as loadPrizes), read on the same connection: each opening derives
// the key anew. Throws StoreError as loadDrawHistory does.
std::vector<DrawRecord> readDrawTable(const DatabaseFile& connect,
                                      std::vector<DrawPrizes>* prizes = nullptr);

// Starts loadHistory (full) on a thread of its own, so that reading the database overlaps the
// building of the windows; get() gives the history or throws its StoreError.
std::future<DrawHistory> preloadDrawHistory(const DatabaseFile& connect);

// The prizes stored for each draw, in draw order: only draws with at least one known amount.
// Opens the database read-only like loadDrawHistory; a database made before prizes were kept
// has none. Throws StoreError as loadDrawHistory does.
std::vector<DrawPrizes> loadPrizes(const DatabaseFile& connect);

// "第12回、第15回 ほか 3 件": the first ten draws of a list and how many more there are; a
// whole other history would list thousands.
QString drawList(const std::vector<int>& nos);
// "第6884～7054回、第7060回 ほか 3 か所": ascending draws as runs of consecutive numbers, the
// first few runs and how many more there are.
QString drawRanges(const std::vector<int>& nos);

struct ImportResult {
    int added = 0;
    int skipped = 0;             // already stored with the same digits
    int replaced = 0;            // stored with other digits, overwritten (only with replace)
    int completed = 0;           // stored alike, its missing digits, date or prizes filled in
    std::vector<int> conflicts;  // stored with other digits, not replaced
};

// One draw's change: what is stored now and what is to be stored; nullopt is "no such draw".
// A draw's prizes belong to its digits: without afterPrizes, a change that keeps the digits
// keeps the stored prizes, and one that changes them drops them.
struct DrawEdit {
    DrawEdit() = default;
    DrawEdit(int draw, const std::optional<DrawRecord>& was,
             const std::optional<DrawRecord>& becomes,
             const std::optional<Prizes>& prizes = std::nullopt)
        : no(draw), before(was), after(becomes), afterPrizes(prizes) {}

    int no = 0;
    std::optional<DrawRecord> before;
    std::optional<DrawRecord> after;
    // The prizes to store with after, exactly (none at all included).
    std::optional<Prizes> afterPrizes;
    // Set by the store once the edit stands: the prizes stored before it.
    Prizes beforePrizes;

    // The edit that takes this one back, prizes included.
    DrawEdit reversed() const { return DrawEdit{no, after, before, beforePrizes}; }
};

// The one writable connection to the database, kept for as long as its owner (the history
// document, an import) needs it: the key is derived once. Every write is one transaction; a
// refused write throws StoreError and leaves the database as it was.
class DrawStore {
public:
    // Opens an existing database for writing; with create, makes a new empty one (table,
    // view) when the file does not exist. An existing file is checked page by page first:
    // a damaged one is refused before anything is written. Throws StoreError.
    static std::unique_ptr<DrawStore> open(const DatabaseFile& connect, bool create = false);
    ~DrawStore();

    const QString& file() const { return m_file; }
    std::vector<DrawRecord> readAll();
    // As loadPrizes, on this connection.
    std::vector<DrawPrizes> readPrizes();
    // The draws with their dates and prizes, as one read.
    DrawHistory readHistory();

    // All or nothing. With replace false and any conflict, nothing is written and the
    // conflicts are listed in the result. A draw that only fills in missing digits, a date or
    // prizes is completed without asking (classifyDraw); another date or other prizes are a
    // conflict like other digits. An empty date and unknown amounts in the file keep the
    // stored ones.
    ImportResult importDraws(const std::vector<ImportedDraw>& draws, bool replace);
    // All or nothing: each draw must still be stored as its before says (another program may
    // have changed it meanwhile); then it is written, added or deleted as its after says, and
    // its prizes as DrawEdit tells. Each edit learns the prizes it replaced.
    void applyEdits(std::vector<DrawEdit>& edits);

    // The user's tickets, in a table of their own that the first ticket write makes inside its
    // own transaction; an older file without it has no tickets, and one whose table held runs
    // of 20 draws at most has it widened by that write. Each write is checked with
    // ticketProblem first and refused with its reason.
    std::vector<Ticket> readTickets();
    // Stores new tickets (all or nothing); gives them their ids.
    void addTickets(std::vector<Ticket>& tickets);
    // Stores the tickets of a file that are not stored yet, as planTicketImport plans them
    // against the stored ones read in the same transaction (all or nothing); the plan's toAdd
    // carry their ids.
    TicketImportPlan importTickets(const std::vector<Ticket>& incoming);
    void updateTicket(const Ticket& ticket);
    void removeTicket(long long id);
    // Several at once, all or nothing: refused when one of them is not stored.
    void removeTickets(const std::vector<long long>& ids);

    // Grows whenever another connection commits a change to the file; the same while only
    // this one writes. Throws StoreError.
    long long dataVersion();
    // Whether another program has put a new file in this one's place since it was opened
    // (a restore): this connection then still reads the old one.
    bool fileReplaced();
    // Gets the backup of this run's first change ready now, so that the change waits for no
    // copy (FirstChangeBackup::prepare). Never throws.
    void prepareBackup();

private:
    DrawStore(sql::Connection conn, QString file);
    sql::Connection m_conn;
    sqlite3* m_db;
    QString m_file;
};

}  // namespace pirumoa
