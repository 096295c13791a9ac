#include "gui/maintenance/backupcommands.h"

#include <QDir>
#include <QFileInfo>

#include "core/store/backups.h"
#include "core/store/historydocument.h"
#include "core/store/labels.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

void BackupCommands::restore(QWidget* parent, HistoryDocument& document) {
    const DatabaseFile database = document.databaseFile();
    std::vector<BackupEntry> backups;
    {
        WaitCursor wait;
        backups = listBackups(database);
    }
    if (backups.empty()) {
        Prompt::inform(
            parent, QStringLiteral("バックアップはまだありません。\n"
                                   "データを変更する前に、次のフォルダーに自動で作られます。\n%1")
                        .arg(QDir::toNativeSeparators(backupFolderFor(database.file))));
        return;
    }
    std::vector<QStringList> rows;
    for (const BackupEntry& e : backups) {
        const QString when = e.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (e.problem.isEmpty())
            rows.push_back({when, QStringLiteral("%1 回分").arg(e.draws),
                            e.latestDraw > 0 ? drawLabel(e.latestDraw) : QStringLiteral("なし")});
        else
            rows.push_back({when, e.problem, QString()});
    }
    const int chosen = Prompt::choose(
        parent, QStringLiteral("バックアップから復元"),
        QStringLiteral("戻すバックアップを選んでください（新しい順）。"),
        {QStringLiteral("作成日時"), QStringLiteral("当選データ"), QStringLiteral("最新の回")},
        rows, QStringLiteral("復元(&R)"));
    if (chosen < 0) return;
    const BackupEntry& e = backups[std::size_t(chosen)];
    if (!Prompt::ask(parent,
                     QStringLiteral("データベースを %1 のバックアップの状態に戻しますか？\n"
                                    "今のデータベースは、戻す前にバックアップとして残します。")
                         .arg(rows[std::size_t(chosen)][0])))
        return;
    QString kept;
    try {
        WaitCursor wait;
        kept = document.restore(e.file);
    } catch (const StoreError& error) {
        Prompt::refuse(parent, error.message());
        return;
    }
    Prompt::inform(parent, QStringLiteral("%1 のバックアップから復元しました。\n"
                                          "復元前のデータベースは次のファイルに残しました。\n%2")
                               .arg(rows[std::size_t(chosen)][0], QDir::toNativeSeparators(kept)));
}

}  // namespace pirumoa
