#include "core/store/historydocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

#include "core/store/backups.h"

namespace pirumoa {

namespace {

// How often a quiet program looks whether another program wrote the file: a question to
// the engine that reads no page, so a short interval costs nothing.
constexpr int kPollIntervalMs = 3000;

}  // namespace

HistoryDocument::HistoryDocument(QObject* parent)
    : QObject(parent),
      m_snapshot(std::make_shared<const DrawHistory>()),
      m_tickets(),
      m_poll(new QTimer(this)) {
    m_poll->setInterval(kPollIntervalMs);
    connect(m_poll, &QTimer::timeout, this, [this] { refreshIfChangedOutside(); });
}

HistoryDocument::~HistoryDocument() = default;

void HistoryDocument::open(const DatabaseFile& file, std::optional<DrawHistory> history) {
    close();
    if (!history) history = loadHistory(file, true);
    m_file = file;
    m_readAt = QFileInfo(file.file).lastModified();
    m_snapshot = std::make_shared<const DrawHistory>(std::move(*history));
    // Only a program with an event loop looks by itself; a tool asks when it wants to know.
    if (QCoreApplication::instance()) m_poll->start();
}

void HistoryDocument::close() {
    m_poll->stop();
    clearUndo();
    m_store.reset();
    m_file = {};
    m_snapshot = std::make_shared<const DrawHistory>();
    m_tickets.reset();
}

DrawStore& HistoryDocument::store() {
    if (!m_store) {
        if (!isOpen()) throw StoreError(QStringLiteral("データベースが開かれていません。"));
        // The history in hand was read by another connection: a file written since is read
        // again at once, as this connection would not count that write as a change.
        m_store = DrawStore::open(m_file);
        m_dataVersion = m_store->dataVersion();
        if (QFileInfo(m_file.file).lastModified() != m_readAt) reloadAll();
    }
    return *m_store;
}

QString HistoryDocument::writeProblem() {
    try {
        // Whoever writes next starts from what is stored now; a file removed or replaced
        // since the connection was opened is opened anew, which says what is wrong with it.
        store();
        refreshIfChangedOutside();
        store().prepareBackup();
        return QString();
    } catch (const StoreError& e) {
        return e.message();
    }
}

TicketsSnapshot HistoryDocument::tickets() {
    if (!m_tickets) m_tickets = std::make_shared<const std::vector<Ticket>>(store().readTickets());
    return m_tickets;
}

bool HistoryDocument::write(std::vector<DrawEdit>& edits, QString* why) {
    try {
        store().applyEdits(edits);
    } catch (const StoreError& e) {
        if (why) *why = e.message();
        // Refused because another program put a new file in place: the grid shows that one
        // at once, so the next try goes to it.
        if (m_store && m_store->fileReplaced()) refreshIfChangedOutside();
        return false;
    }
    applyToSnapshot(edits);
    return true;
}

void HistoryDocument::applyToSnapshot(const std::vector<DrawEdit>& edits) {
    std::vector<DrawRecord> rows = m_snapshot->rows;
    PrizeTable prizes = m_snapshot->prizes;
    const auto byNo = [](const DrawRecord& r, int n) { return r.no < n; };
    for (const DrawEdit& e : edits) {
        const auto it = std::lower_bound(rows.begin(), rows.end(), e.no, byNo);
        const bool present = it != rows.end() && it->no == e.no;
        if (!e.after) {
            if (present) rows.erase(it);
        } else if (present) {
            *it = *e.after;
        } else {
            rows.insert(it, *e.after);
        }
        const Prizes now = e.after && e.afterPrizes ? *e.afterPrizes : Prizes{};
        if (now.any())
            prizes.set(e.no, amountsOf(now));
        else
            prizes.erase(e.no);
    }
    auto next = std::make_shared<DrawHistory>(DrawHistory::fromRows(std::move(rows)));
    next->prizes = std::move(prizes);
    m_snapshot = std::move(next);
    emit drawsChanged(m_snapshot);
}

bool HistoryDocument::editDraws(std::vector<DrawEdit> edits, const QString& what, int hint,
                                QString* why) {
    if (edits.empty()) return true;
    if (!write(edits, why)) return false;
    m_steps.resize(m_done);
    m_steps.push_back(Step{what, std::move(edits), hint});
    m_done = m_steps.size();
    emit undoStateChanged();
    return true;
}

bool HistoryDocument::replay(std::vector<DrawEdit> edits, int hint, QString* why) {
    if (!write(edits, why)) return false;
    if (!edits.empty()) emit editReplayed(edits.front().no, hint);
    return true;
}

bool HistoryDocument::undo(QString* why) {
    if (!canUndo()) return false;
    Step& step = m_steps[m_done - 1];
    std::vector<DrawEdit> back;
    back.reserve(step.edits.size());
    for (auto it = step.edits.rbegin(); it != step.edits.rend(); ++it)
        back.push_back(it->reversed());
    if (!replay(std::move(back), step.hint, why)) {
        // Obsolete: what it would take back is no longer what is stored.
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done - 1));
        --m_done;
        emit undoStateChanged();
        return false;
    }
    --m_done;
    emit undoStateChanged();
    return true;
}

bool HistoryDocument::redo(QString* why) {
    if (!canRedo()) return false;
    Step& step = m_steps[m_done];
    if (!replay(step.edits, step.hint, why)) {
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done));
        emit undoStateChanged();
        return false;
    }
    ++m_done;
    emit undoStateChanged();
    return true;
}

void HistoryDocument::clearUndo() {
    if (m_steps.empty()) return;
    m_steps.clear();
    m_done = 0;
    emit undoStateChanged();
}

ImportResult HistoryDocument::importDraws(const std::vector<ImportedDraw>& draws, bool replace) {
    const ImportResult result = store().importDraws(draws, replace);
    if (result.added > 0 || result.replaced > 0 || result.completed > 0) {
        m_snapshot = std::make_shared<const DrawHistory>(store().readHistory());
        emit drawsChanged(m_snapshot);
    }
    return result;
}

bool HistoryDocument::applyUpdate(const UpdatePlan& plan, const std::vector<int>& replace,
                                  QString* why) {
    std::vector<DrawEdit> edits = updateEdits(plan, replace);
    if (edits.empty()) return true;
    return write(edits, why);
}

QString HistoryDocument::restore(const QString& backupFile) {
    // The connection goes first: the file under it is about to be replaced.
    m_store.reset();
    const QString kept = restoreBackup(m_file, backupFile);
    clearUndo();
    reloadAll();
    return kept;
}

void HistoryDocument::addTickets(std::vector<Ticket>& tickets) {
    store().addTickets(tickets);
    m_tickets = std::make_shared<const std::vector<Ticket>>(store().readTickets());
    emit ticketsChanged(m_tickets);
}

TicketImportPlan HistoryDocument::importTickets(const std::vector<Ticket>& incoming) {
    TicketImportPlan plan = store().importTickets(incoming);
    if (!plan.toAdd.empty()) {
        m_tickets = std::make_shared<const std::vector<Ticket>>(store().readTickets());
        emit ticketsChanged(m_tickets);
    }
    return plan;
}

void HistoryDocument::updateTicket(const Ticket& ticket) {
    store().updateTicket(ticket);
    m_tickets = std::make_shared<const std::vector<Ticket>>(store().readTickets());
    emit ticketsChanged(m_tickets);
}

void HistoryDocument::removeTicket(long long id) {
    store().removeTicket(id);
    m_tickets = std::make_shared<const std::vector<Ticket>>(store().readTickets());
    emit ticketsChanged(m_tickets);
}

void HistoryDocument::removeTickets(const std::vector<long long>& ids) {
    store().removeTickets(ids);
    m_tickets = std::make_shared<const std::vector<Ticket>>(store().readTickets());
    emit ticketsChanged(m_tickets);
}

void HistoryDocument::reloadAll() {
    DrawStore& s = store();
    m_snapshot = std::make_shared<const DrawHistory>(s.readHistory());
    const bool hadTickets = m_tickets != nullptr;
    if (hadTickets) m_tickets = std::make_shared<const std::vector<Ticket>>(s.readTickets());
    m_dataVersion = s.dataVersion();
    m_readAt = QFileInfo(m_file.file).lastModified();
    emit drawsChanged(m_snapshot);
    if (hadTickets) emit ticketsChanged(m_tickets);
}

bool HistoryDocument::refreshIfChangedOutside() {
    if (!isOpen()) return false;
    try {
        const bool opening = !m_store;
        DrawStore& s = store();
        if (opening) return false;  // a change meanwhile was read on opening
        // A restore by another program puts a new file in place: this connection would go on
        // reading the old one.
        if (s.fileReplaced()) {
            m_store.reset();
            clearUndo();
            reloadAll();
            return true;
        }
        if (s.dataVersion() == m_dataVersion) return false;
        reloadAll();
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

}  // namespace pirumoa
