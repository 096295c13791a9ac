#pragma once

#include <QObject>
#include <memory>

#include "core/store/drawhistory.h"
#include "core/store/drawstore.h"

namespace pirumoa {

// One state of the draw history. Nobody changes it: a write makes a new one.
using HistorySnapshot = std::shared_ptr<const DrawHistory>;

// The one owner of the program's draw history: the database it comes from and the history as
// last read. Every write (the data entry, an import, a restore) ends in reload(), which hands
// the new history to everybody through changed(); windows, the prediction and the replay keep
// the snapshot they work on rather than a reference into this object.
class HistoryDocument : public QObject {
    Q_OBJECT
public:
    explicit HistoryDocument(QObject* parent = nullptr);

    // The database and the history read from it at start-up.
    void open(DatabaseFile file, DrawHistory history);
    // Forgets the history at the exit.
    void close();

    const DatabaseFile& databaseFile() const { return m_file; }
    const HistorySnapshot& snapshot() const { return m_snapshot; }

    // Reads the history again after the database was written. Throws StoreError when it
    // cannot be read; the snapshot is then the one before.
    void reload();

signals:
    void changed(const pirumoa::HistorySnapshot& snapshot);

private:
    DatabaseFile m_file;
    HistorySnapshot m_snapshot;
};

}  // namespace pirumoa
