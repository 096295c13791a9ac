#pragma once

#include <QString>
#include <functional>

#include "core/store/drawstore.h"

class QWidget;

namespace pirumoa {

// データ管理 → バックアップから復元...
class BackupCommands {
public:
    // Lists the backups with their time, draws and latest draw; the one chosen replaces the
    // database after a question, and restored() then reloads the history.
    static void restore(QWidget* parent, const DatabaseFile& database,
                        const std::function<void()>& restored);
};

}  // namespace pirumoa
