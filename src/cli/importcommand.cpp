#include "cli/importcommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "cli/commandline.h"
#include "core/store/drawcsv.h"
#include "core/store/drawfile.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"

namespace pirumoa {

using cli::failure;
using cli::writeOut;

int runImportCommand(const QString& csvPath, const DatabaseFile& connect, bool replace, bool dryRun,
                     ImportReport report) {
    const QString source = QDir::toNativeSeparators(csvPath);
    const ParsedDraws parsed = *readDrawFile(csvPath);
    if (!parsed.ok()) return failure(firstRefusal(parsed, source));

    // The comparison reads the database without changing it; a missing one compares as empty
    // (the import makes it).
    std::vector<DrawRecord> stored;
    std::vector<DrawPrizes> prizes;
    if (QFileInfo::exists(connect.file)) {
        auto store = DrawStore::open(connect);
        stored = store->readAll();
        prizes = store->readPrizes();
    }
    const ImportComparison comparison = compareWithStored(parsed.draws, stored, prizes);
    std::fputs(importSummary(parsed, comparison).toUtf8().constData(), stderr);
    if (dryRun) return 0;

    const ImportResult r = importParsedDraws(parsed, connect, replace);
    if (!r.conflicts.empty()) {
        return failure(
            QStringLiteral("既に登録されている回と数字・抽せん日・当せん金が異なります（%1）。"
                           "置き換えるには --replace を付けてください。"
                           "何も変更していません。")
                .arg(drawList(r.conflicts)));
    }
    const QString counts = report == ImportReport::Tsv
                               ? QStringLiteral(
                                     "added\tskipped\treplaced\tcompleted\n"
                                     "%1\t%2\t%3\t%4\n")
                               : QStringLiteral(
                                     "追加 %1 件、スキップ %2 件、置き換え %3 件、"
                                     "補充 %4 件\n");
    return writeOut(counts.arg(r.added).arg(r.skipped).arg(r.replaced).arg(r.completed).toUtf8());
}

int runExportCommand(const DatabaseFile& connect, const QString& outputPath) {
    // The table, not the view: the view has no draw dates, and export must keep them. Both
    // reads are read-only: an export never writes the database.
    std::vector<DrawPrizes> prizes;
    std::vector<DrawRecord> draws = readDrawTable(connect, &prizes);
    const QByteArray csv = writeDrawCsv(draws, prizes);
    if (outputPath.isEmpty()) return writeOut(csv);
    // Written aside and put in place only when whole: an older backup survives any failure.
    const QString reason = writeFileAtomically(outputPath, csv);
    if (!reason.isEmpty())
        return failure(QStringLiteral("CSVファイル%1に書き出せませんでした。%2")
                           .arg(quoted(outputPath), reason));
    return 0;
}

}  // namespace pirumoa
