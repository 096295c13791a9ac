#include "cli/backupcommands.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "cli/commandline.h"
#include "core/store/backups.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/store/salvage.h"

namespace pirumoa {

namespace {

int print(const QString& text) { return cli::writeOut(text.toUtf8()); }

int count(const std::vector<std::pair<int, int>>& ranges) {
    int n = 0;
    for (const auto& [first, last] : ranges) n += last - first + 1;
    return n;
}

}  // namespace

int runBackupsCommand(const DatabaseFile& database) {
    QString out = QStringLiteral("file\ttime\tdraws\tlatest\n");
    for (const BackupEntry& e : listBackups(database)) {
        out += QFileInfo(e.file).fileName() + QLatin1Char('\t') +
               e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
               QLatin1Char('\t');
        out += e.problem.isEmpty() ? QStringLiteral("%1\t%2").arg(e.draws).arg(e.latestDraw)
                                   : QStringLiteral("-\t%1").arg(e.problem);
        out += QLatin1Char('\n');
    }
    return print(out);
}

int runRestoreCommand(const DatabaseFile& database, const QString& backup) {
    const QString file = resolveBackupFile(database, backup);
    const QString kept = restoreBackup(database, file);
    QString out = QStringLiteral("%1 を %2 から復元しました。\n")
                      .arg(QDir::toNativeSeparators(database.file), QDir::toNativeSeparators(file));
    if (!kept.isEmpty())
        out += QStringLiteral("復元前のデータベースは %1 に残しました。\n")
                   .arg(QDir::toNativeSeparators(kept));
    return print(out);
}

int runRecoverCommand(const DatabaseFile& damaged, const QString& output) {
    const Salvage salvage = salvageDatabase(damaged);
    // The draws are the user's: nobody else may read them, as nobody else may read the file.
    const QString reason = writeFileAtomically(output, salvageCsv(salvage),
                                               QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!reason.isEmpty())
        throw StoreError(
            QStringLiteral("ファイル%1に書き出せませんでした。%2").arg(quoted(output), reason));
    QString out = QStringLiteral("%1 回分の当選データを読み取り、%2 に書き出しました。\n")
                      .arg(salvage.draws.size())
                      .arg(QDir::toNativeSeparators(output));
    if (!salvage.prizes.empty())
        out += QStringLiteral("当選金額：%1 回分\n").arg(salvage.prizes.size());
    out += salvage.missing.empty() ? QStringLiteral("欠けている回：なし\n")
                                   : QStringLiteral("欠けている回：%1（%2 回分）\n")
                                         .arg(rangeList(salvage.missing))
                                         .arg(count(salvage.missing));
    out += salvage.unreadable.empty()
               ? QStringLiteral("読み取れなかった範囲：なし\n")
               : QStringLiteral("読み取れなかった範囲：%1\n").arg(rangeList(salvage.unreadable));
    // Draws that came back without the prizes they may have had.
    if (!salvage.prizesLost.empty())
        out += QStringLiteral("当選金を読み取れなかった回：%1（%2 回分）\n")
                   .arg(rangeList(salvage.prizesLost))
                   .arg(count(salvage.prizesLost));
    return print(out);
}

}  // namespace pirumoa
