#include "core/store/databasefolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace pirumoa {

namespace {

QString databaseIn(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(kDatabaseFileName);
}

// Why mkpath could not make folder: the nearest part of it that exists says.
QString folderFailureReason(const QString& folder) {
    QFileInfo part(QFileInfo(folder).absoluteFilePath());
    while (!part.exists() && !part.isRoot()) part = QFileInfo(part.absolutePath());
    if (!part.isDir())
        return QStringLiteral("途中に同じ名前のファイル%1があるため、フォルダーを作れません。")
            .arg(quoted(part.filePath()));
    if (!part.isWritable())
        return QStringLiteral("%1に書き込む権限がないため、フォルダーを作れません。")
            .arg(quoted(part.filePath()));
    return QStringLiteral("フォルダーを作れませんでした。");
}

#ifdef Q_OS_UNIX
// Gives the finished copy its name without replacing a file that has that name: rename where
// the file system can refuse to replace, a second link where it cannot. 0, or errno.
int placeWithoutReplacing(const QByteArray& part, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, part.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
#endif
    // The part's own name goes with the temporary file.
    return ::link(part.constData(), to.constData()) == 0 ? 0 : errno;
}
#endif

}  // namespace

QString installedDataFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QLatin1Char('/') + QLatin1String(PIRUMOA_DATA_FROM_BIN));
}

DatabasePlaces databasePlaces() {
    DatabasePlaces places;
    places.programFolder = QCoreApplication::applicationDirPath();
    // Without a home Qt would answer "/.local/share/…" and the copy would land in the root.
    // Named after the program alone: the desktop program sets an organisation name for its
    // settings, which must not move the draws elsewhere (nor part them from the tool's).
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString home = qEnvironmentVariable("HOME");
    const bool homeUsable = QDir::isAbsolutePath(home) && QFileInfo(home).isDir();
    if (QDir::isAbsolutePath(xdg)) {
        places.userFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                            QLatin1Char('/') + QLatin1String(kApplicationName);
    } else if (homeUsable) {
        // A relative XDG_DATA_HOME is to be ignored; Qt would take it relative to the current
        // folder.
        places.userFolder = QDir::cleanPath(home + QStringLiteral("/.local/share/") +
                                            QLatin1String(kApplicationName));
    }
    places.sample = databaseIn(installedDataFolder(places.programFolder));
    return places;
}

QString chooseDatabaseFolder(const DatabasePlaces& places) {
    if (QFileInfo::exists(databaseIn(places.programFolder))) return places.programFolder;
    if (places.userFolder.isEmpty()) {
        // The sample would have to be copied somewhere: never into a guessed folder.
        if (QFileInfo(places.sample).isFile())
            throw StoreError(QStringLiteral(
                "ホームフォルダーが分からないため、データベースの置き場所（データフォルダー）を"
                "決められません。環境変数 HOME にホームフォルダーを設定するか、XDG_DATA_HOME に"
                "データフォルダーの親フォルダーを設定してください（pirumoa-cli では --db で"
                "データベースファイルを指定することもできます）。何も作成していません。"));
        return places.programFolder;
    }
    const QString user = databaseIn(places.userFolder);
    if (QFileInfo::exists(user)) return places.userFolder;
    if (!QFileInfo(places.sample).isFile()) return places.programFolder;

    QString reason;
    if (!QDir().mkpath(places.userFolder))
        reason = folderFailureReason(places.userFolder);
    else
        reason = copyToNewFile(places.sample, user);
    if (!reason.isEmpty()) {
        throw StoreError(
            QStringLiteral("データフォルダー%1にデータベースファイル %2 を作れません。%3")
                .arg(quoted(places.userFolder), QLatin1String(kDatabaseFileName), reason));
    }
    return places.userFolder;
}

QString missingDatabase(const DatabasePlaces& places) {
    const QString name = QLatin1String(kDatabaseFileName);
    QString where =
        QStringLiteral("プログラムと同じフォルダー%1").arg(quoted(places.programFolder));
    if (!places.userFolder.isEmpty())
        where += QStringLiteral("か、データフォルダー%1").arg(quoted(places.userFolder));
    return QStringLiteral(
               "データベースファイル %1 が見つかりません。\n"
               "%2に %1 を置いてから、もう一度起動してください。")
        .arg(name, where);
}

QString copyToNewFile(const QString& from, const QString& to) {
    QFile source(from);
    if (!QFileInfo(from).isFile() || !source.open(QIODevice::ReadOnly))
        return QStringLiteral("コピー元%1を読み取れません。%2")
            .arg(quoted(from), readFailureReason(from));

    const QFileInfo target(to);
    QTemporaryFile part(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!part.open()) return writeFailureReason(to, part.error());

    bool written = true;
    char buffer[64 * 1024];
    qint64 n = 0;
    while (written && (n = source.read(buffer, sizeof buffer)) > 0)
        written = part.write(buffer, n) == n;
    if (n < 0)
        return QStringLiteral("コピー元%1を読み取れません。%2")
            .arg(quoted(from), readFailureReason(from));
    written = written && part.flush();
#ifdef Q_OS_UNIX
    // A lack of space may show only when the data reaches the disk.
    written = written && ::fsync(part.handle()) == 0;
#endif
    if (!written) return writeFailureReason(to, QFileDevice::ResourceError);

#ifdef Q_OS_UNIX
    const int error =
        placeWithoutReplacing(QFile::encodeName(part.fileName()), QFile::encodeName(to));
    // Another start that made it first made the same copy: it is kept.
    if (error == 0 || error == EEXIST) {
        // After a rename the part's name is gone, after a link it is removed with the
        // temporary file; either way nothing is left beside the database.
        return QString();
    }
    if (error == ENOSPC || error == EDQUOT)
        return writeFailureReason(to, QFileDevice::ResourceError);
    return writeFailureReason(to, QFileDevice::RenameError);
#else
    part.close();
    if (QFileInfo::exists(to)) return QString();
    if (!QFile::rename(part.fileName(), to))
        return writeFailureReason(to, QFileDevice::RenameError);
    part.setAutoRemove(false);
    return QString();
#endif
}

}  // namespace pirumoa
