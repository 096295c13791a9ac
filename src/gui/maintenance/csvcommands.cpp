#include "gui/maintenance/csvcommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "core/store/drawcsv.h"
#include "core/store/drawfile.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/historydocument.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

namespace {

// Results files come as CSV, tab-separated text or JSON, under any of these endings.
const QString kImportFilter =
    QStringLiteral("当せん番号のファイル (*.csv *.tsv *.txt *.json);;すべてのファイル (*)");
const QString kExportFilter = QStringLiteral("CSV ファイル (*.csv);;すべてのファイル (*)");

// The folder of the last CSV file, remembered across runs.
const QString kFolderKey = QStringLiteral("csv/folder");

}  // namespace

QString CsvCommands::startFolder() {
    const QString last = QSettings().value(kFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void CsvCommands::rememberFolder(const QString& chosenFile) {
    QSettings().setValue(kFolderKey, QFileInfo(chosenFile).absolutePath());
}

void CsvCommands::importFromFile(QWidget* parent, HistoryDocument& document) {
    const QString path = Prompt::openFileName(parent, QStringLiteral("CSVファイルから取り込み"),
                                              startFolder(), kImportFilter);
    if (path.isEmpty()) return;
    rememberFolder(path);
    importFile(parent, document, path);
}

void CsvCommands::exportToFile(QWidget* parent, const HistoryDocument& document) {
    const QString path = Prompt::saveFileName(
        parent, QStringLiteral("CSVファイルへ書き出し"),
        QDir(startFolder()).filePath(QStringLiteral("numbers4.csv")), kExportFilter);
    if (path.isEmpty()) return;
    rememberFolder(path);
    exportFile(parent, document, path);
}

void CsvCommands::importFile(QWidget* parent, HistoryDocument& document, const QString& csvPath) {
    const QString failed =
        QStringLiteral("CSVファイルを取り込めませんでした。何も変更していません。\n\n");
    const QString source = QDir::toNativeSeparators(csvPath);
    ImportResult result;
    std::vector<int> kept;  // stored draws that differ from the file, kept as they are
    try {
        // A large file is read with a dialog that can stop it; stopping writes nothing.
        QProgressDialog progress(QStringLiteral("CSVファイルを読み込んでいます…"),
                                 QStringLiteral("キャンセル"), 0, 1000, parent);
        progress.setWindowTitle(Prompt::kAppTitle);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        progress.setAutoReset(false);
        const std::optional<ParsedDraws> parsed =
            readDrawFile(csvPath, [&progress](qint64 done, qint64 size) {
                progress.setValue(size > 0 ? int(std::min<qint64>(done * 1000 / size, 999)) : 0);
                return !progress.wasCanceled();
            });
        progress.reset();
        if (!parsed) return;
        if (!parsed->ok()) {
            Prompt::refuse(parent, failed + refusalList(*parsed, source));
            return;
        }
        ImportComparison comparison;
        {
            WaitCursor wait;
            const HistorySnapshot stored = document.snapshot();
            comparison = compareWithStored(parsed->draws, stored->rows, prizeRowsOf(*stored));
        }
        if (!Prompt::confirm(
                parent, QStringLiteral("%1\n\n%2").arg(source, importSummary(*parsed, comparison)),
                QStringLiteral("取り込む(&I)"), QStringLiteral("キャンセル")))
            return;
        {
            WaitCursor wait;
            result = document.importDraws(parsed->draws, false);
        }
        if (!result.conflicts.empty()) {
            const bool replace = Prompt::ask(
                parent,
                QStringLiteral("次の回は、既に異なる数字・抽せん日・当せん金で登録されています。"
                               "\n%1\n\n"
                               "CSVファイルの内容で置き換えますか？\n"
                               "（「いいえ」を選ぶと、これらの回は登録済みの内容のまま残し、"
                               "ほかの回だけを取り込みます）")
                    .arg(drawList(result.conflicts)));
            WaitCursor wait;
            if (replace) {
                result = document.importDraws(parsed->draws, true);
            } else {
                // The player's own draws stay; the new draws and the completions go in.
                kept = result.conflicts;
                std::sort(kept.begin(), kept.end());
                std::vector<ImportedDraw> rest;
                for (const ImportedDraw& d : parsed->draws)
                    if (!std::binary_search(kept.begin(), kept.end(), d.draw.no)) rest.push_back(d);
                result = document.importDraws(rest, false);
            }
        }
    } catch (const StoreError& e) {
        Prompt::refuse(parent, failed + e.message());
        return;
    }
    QString summary = QStringLiteral(
                          "CSVファイルから取り込みました。\n\n"
                          "追加：%1 件\n"
                          "スキップ（同じ内容で登録済み）：%2 件\n"
                          "置き換え：%3 件")
                          .arg(result.added)
                          .arg(result.skipped)
                          .arg(result.replaced);
    if (result.completed > 0)
        summary += QStringLiteral("\n空いている数字・抽せん日・当せん金の補充：%1 件")
                       .arg(result.completed);
    if (!kept.empty())
        summary += QStringLiteral("\n登録済みの内容のまま残した回：%1 件（%2）")
                       .arg(kept.size())
                       .arg(drawList(kept));
    Prompt::inform(parent, summary);
}

void CsvCommands::exportFile(QWidget* parent, const HistoryDocument& document,
                             const QString& csvPath) {
    std::size_t count = 0;
    QString error;
    {
        WaitCursor wait;
        try {
            // The draws as stored now: the document follows every write.
            const HistorySnapshot history = document.snapshot();
            count = history->rows.size();
            // Written aside and then put in place: a failed write leaves an older file whole.
            const QString reason =
                writeFileAtomically(csvPath, writeDrawCsv(history->rows, prizeRowsOf(*history)));
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
