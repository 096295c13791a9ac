#include "gui/shell/historydocument.h"

namespace pirumoa {

HistoryDocument::HistoryDocument(QObject* parent)
    : QObject(parent), m_snapshot(std::make_shared<const DrawHistory>()) {}

void HistoryDocument::open(DatabaseFile file, DrawHistory history) {
    m_file = std::move(file);
    m_snapshot = std::make_shared<const DrawHistory>(std::move(history));
}

void HistoryDocument::close() { m_snapshot = std::make_shared<const DrawHistory>(); }

void HistoryDocument::reload() {
    m_snapshot = std::make_shared<const DrawHistory>(loadDrawHistory(m_file));
    emit changed(m_snapshot);
}

}  // namespace pirumoa
