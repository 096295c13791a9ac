#pragma once

class QWidget;

namespace pirumoa {

class HistoryDocument;

// データ管理 → バックアップから復元...
class BackupCommands {
public:
    // Lists the backups with their time, draws and latest draw; the one chosen replaces the
    // database after a question, and every window then shows it.
    static void restore(QWidget* parent, HistoryDocument& document);
};

}  // namespace pirumoa
