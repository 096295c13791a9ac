#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/store/drawstore.h"
#include "core/store/resultsupdate.h"
#include "core/tickets/ticket.h"

class QTimer;

namespace pirumoa {

// The user's tickets as stored, in the order they were added.
using TicketsSnapshot = std::shared_ptr<const std::vector<Ticket>>;

// The one owner of the draw database: the file, one writable connection for the life of the
// program (the key is derived once), the history and tickets as last read, and the undo stack
// of the draw edits. It is the only code that writes: every write is an operation here that
// stores in one transaction and then hands the new state to everybody through drawsChanged()
// or ticketsChanged(). Writes by other programs (the command-line tool, a second copy of the
// program) are noticed by refreshIfChangedOutside(), which the program calls when it is
// activated, and a timer calls every few seconds.
class HistoryDocument : public QObject {
    Q_OBJECT
public:
    explicit HistoryDocument(QObject* parent = nullptr);
    ~HistoryDocument() override;

    // The database, and its history if it has been read already (the start-up's own read);
    // otherwise it is read now. The tickets are read on first use. Throws StoreError.
    void open(const DatabaseFile& file, std::optional<DrawHistory> history = std::nullopt);
    // Forgets everything and lets the file go (the exit).
    void close();
    bool isOpen() const { return !m_file.file.isEmpty(); }

    const DatabaseFile& databaseFile() const { return m_file; }
    const HistorySnapshot& snapshot() const { return m_snapshot; }
    // Gets ready for a writer (the data entry): the connection open, and what another program
    // wrote read. Why the database cannot be written (the file is gone, locked, damaged); empty
    // when it can.
    QString writeProblem();
    // Reads the tickets the first time; throws StoreError when they cannot be read.
    TicketsSnapshot tickets();

    // Draw edits (the data entry): stored as one transaction and recorded for undo under
    // what; hint is handed back by editReplayed() when the edit is undone or redone. False
    // with the reason in *why when the database refused; nothing changed then.
    bool editDraws(std::vector<DrawEdit> edits, const QString& what, int hint, QString* why);
    // Draws from a file: all or nothing as DrawStore::importDraws. Not undone by undo (the
    // automatic backup keeps what was there). Throws StoreError.
    ImportResult importDraws(const std::vector<ImportedDraw>& draws, bool replace);
    // The results update (resultsupdate.h): the plan's new draws and filled-in draws, and the
    // differing draws whose numbers are in replace, as one transaction. Not undone by undo, as
    // an import. False with the reason in *why when the database refused; nothing changed then.
    bool applyUpdate(const UpdatePlan& plan, const std::vector<int>& replace, QString* why);
    // Puts a backup in the place of the database (restoreBackup) and reads it; returns the
    // backup of the replaced file. The undo stack is cleared: its edits belong to the old
    // file. Throws StoreError.
    QString restore(const QString& backupFile);

    // Ticket writes; throw StoreError.
    void addTickets(std::vector<Ticket>& tickets);
    // A tickets file: what DrawStore::importTickets plans is added as one transaction, and
    // ticketsChanged() is emitted when anything was.
    TicketImportPlan importTickets(const std::vector<Ticket>& incoming);
    void updateTicket(const Ticket& ticket);
    void removeTicket(long long id);
    // One write for all of them (DrawStore::removeTickets).
    void removeTickets(const std::vector<long long>& ids);

    // The undo stack of the draw edits, newest last. A step whose undo or redo the database
    // refuses (another program changed the draw meanwhile) is dropped, so the stack never
    // points past what is stored.
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    bool undo(QString* why);
    bool redo(QString* why);
    void clearUndo();

    // Reads the file again when another program has written it since the last read, and
    // tells everybody; true when it did. A file that cannot be read keeps the last state
    // (and says nothing: the next write will say why).
    bool refreshIfChangedOutside();

signals:
    void drawsChanged(const pirumoa::HistorySnapshot& snapshot);
    void ticketsChanged(const pirumoa::TicketsSnapshot& tickets);
    void undoStateChanged();
    // An edit was undone or redone; no is its first draw, hint what editDraws was given.
    void editReplayed(int no, int hint);

private:
    struct Step {
        QString text;
        std::vector<DrawEdit> edits;
        int hint = 0;
    };

    // The one connection, opened on first use: the start-up reads on a connection of its own
    // while the windows are built. Throws StoreError.
    DrawStore& store();
    bool write(std::vector<DrawEdit>& edits, QString* why);
    void applyToSnapshot(const std::vector<DrawEdit>& edits);
    void reloadAll();
    bool replay(std::vector<DrawEdit> edits, int hint, QString* why);

    DatabaseFile m_file;
    std::unique_ptr<DrawStore> m_store;
    long long m_dataVersion = 0;
    QDateTime m_readAt;  // when the file was last written as the snapshot knows it
    HistorySnapshot m_snapshot;
    TicketsSnapshot m_tickets;
    std::vector<Step> m_steps;
    std::size_t m_done = 0;
    QTimer* m_poll;
};

}  // namespace pirumoa
