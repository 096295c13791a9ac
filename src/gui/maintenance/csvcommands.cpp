#include "gui/maintenance/csvcommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

namespace {

const QString kFilter = QStringLiteral("CSV ファイル (*.csv);;すべてのファイル (*)");

// Where the file dialogs start: the folder of the last CSV file, remembered across runs, or
// else the user's documents.
const QString kFolderKey = QStringLiteral("csv/folder");

QString startFolder() {
    const QString last = QSettings().value(kFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void remember(const QString& path) {
    QSettings().setValue(kFolderKey, QFileInfo(path).absolutePath());
}

}  // namespace

void CsvCommands::importFromFile(QWidget* parent, const DatabaseFile& connect,
                                 const std::function<void()>& changed) {
    const QString path = Prompt::openFileName(parent, QStringLiteral("CSVファイルから取り込み"),
                                              startFolder(), kFilter);
    if (path.isEmpty()) return;
    remember(path);
    importFile(parent, connect, path, changed);
}

void CsvCommands::exportToFile(QWidget* parent, const DatabaseFile& connect) {
    const QString path =
        Prompt::saveFileName(parent, QStringLiteral("CSVファイルへ書き出し"),
                             QDir(startFolder()).filePath(QStringLiteral("numbers4.csv")), kFilter);
    if (path.isEmpty()) return;
    remember(path);
    exportFile(parent, connect, path);
}

void CsvCommands::importFile(QWidget* parent, const DatabaseFile& connect, const QString& csvPath,
                             const std::function<void()>& changed) {
    const QString failed =
        QStringLiteral("CSVファイルを取り込めませんでした。何も変更していません。\n\n");
    ImportResult result;
    try {
        std::vector<DrawRecord> draws;
        std::unique_ptr<DrawStore> store;
        {
            WaitCursor wait;
            // The whole file is checked before the database is touched.
            draws = readDrawCsvFile(csvPath);
            // The program's own database, never a new one in its place.
            store = DrawStore::open(connect);
            result = store->importDraws(draws, false);
        }
        if (!result.conflicts.empty()) {
            const bool replace = Prompt::ask(
                parent, QStringLiteral("次の回は、既に異なる数字で登録されています。\n%1\n\n"
                                       "CSVファイルの数字で置き換えますか？\n"
                                       "（「いいえ」を選ぶと何も変更しません）")
                            .arg(drawList(result.conflicts)));
            if (!replace) return;
            WaitCursor wait;
            result = store->importDraws(draws, true);
        }
    } catch (const StoreError& e) {
        Prompt::refuse(parent, failed + e.message());
        return;
    }
    // The windows show the new draws before the user reads the summary.
    if ((result.added > 0 || result.replaced > 0) && changed) changed();
    Prompt::inform(parent, QStringLiteral("CSVファイルから取り込みました。\n\n"
                                          "追加：%1 件\n"
                                          "スキップ（同じ数字で登録済み）：%2 件\n"
                                          "置き換え：%3 件")
                               .arg(result.added)
                               .arg(result.skipped)
                               .arg(result.replaced));
}

void CsvCommands::exportFile(QWidget* parent, const DatabaseFile& connect, const QString& csvPath) {
    std::size_t count = 0;
    QString error;
    {
        WaitCursor wait;
        try {
            // The table as it is now, with the draws entered since the start.
            const std::vector<DrawRecord> draws = DrawStore::open(connect)->readAll();
            count = draws.size();
            // Written aside and then put in place: a failed write leaves an older file whole.
            const QString reason = writeFileAtomically(csvPath, writeDrawCsv(draws));
            if (!reason.isEmpty())
                error = QStringLiteral("CSVファイル「%1」に書き出せませんでした。%2")
                            .arg(shownName(QDir::toNativeSeparators(csvPath)), reason);
        } catch (const StoreError& e) {
            error = e.message();
        }
    }
    if (!error.isEmpty()) {
        Prompt::refuse(parent, error);
        return;
    }
    Prompt::inform(parent, QStringLiteral("%1 回分の当選データを書き出しました。\n%2")
                               .arg(count)
                               .arg(QDir::toNativeSeparators(csvPath)));
}

}  // namespace pirumoa
