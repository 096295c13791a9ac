#include "core/store/fileerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pirumoa {

namespace {

QString visible(QStringView text, qsizetype limit) {
    QString out;
    qsizetype n = std::min(text.size(), limit);
    if (n < text.size() && n > 0 && text[n - 1].isHighSurrogate()) --n;  // never half a character
    out.reserve(n + 1);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        // The control pictures of Unicode: ␀ for NUL, ␍ for CR, ␡ for DEL.
        if (c < 0x20)
            out += QChar(char16_t(0x2400 + c));
        else if (c == 0x7F)
            out += QChar(char16_t(0x2421));
        else
            out += QChar(c);
    }
    if (text.size() > limit) out += QChar(u'…');
    return out;
}

}  // namespace

QString shownField(QStringView text) {
    constexpr qsizetype kLongest = 40;
    return visible(text, kLongest);
}

QString shownName(QStringView name) { return visible(name, name.size()); }

QString readFailureReason(const QString& path) {
    if (path.isEmpty()) return QStringLiteral("ファイル名が指定されていません。");
    const QFileInfo file(path);
    if (!file.exists()) return QStringLiteral("ファイルが見つかりません。");
    if (file.isDir()) return QStringLiteral("ファイルではなくフォルダーです。");
    if (!file.isReadable()) return QStringLiteral("ファイルを読み取る権限がありません。");
    return QStringLiteral("ファイルを読み取れませんでした。");
}

QString openRegularFile(QFile& file, const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return readFailureReason(path);
    const QString notRegular =
        QStringLiteral("通常のファイルではありません（フォルダー、装置、パイプは読めません）。");
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return readFailureReason(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegular;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return readFailureReason(path);
    }
#else
    if (!info.isFile()) return notRegular;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) return readFailureReason(path);
#endif
    return QString();
}

QString writeFailureReason(const QString& path, QFileDevice::FileError error) {
    if (path.isEmpty()) return QStringLiteral("ファイル名が指定されていません。");
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists()) return QStringLiteral("保存先のフォルダーがありません。");
    if (file.isDir())
        return QStringLiteral("同じ名前のフォルダーがあるため、ファイルを保存できません。");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("ファイルが読み取り専用になっています。");
    if (!folder.isWritable())
        return QStringLiteral("保存先のフォルダーに書き込む権限がありません。");
    if (error == QFileDevice::ResourceError || error == QFileDevice::WriteError)
        return QStringLiteral("書き込みに失敗しました。ディスクの空き容量を確認してください。");
    return QStringLiteral("ファイルを書き込めませんでした。");
}

QString writeFileAtomically(const QString& path, const QByteArray& bytes,
                            QFileDevice::Permissions permissions) {
    if (path.isEmpty() || QFileInfo(path).isDir())
        return writeFailureReason(path, QFileDevice::OpenError);
    QSaveFile file(path);
    // Never write into the old file itself, whatever the folder allows.
    file.setDirectWriteFallback(false);
    // Unbuffered: a write the disk refuses shows here, not in a flush that commit() would
    // pass over before putting the short file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return writeFailureReason(path, file.error());
    if (permissions && !file.setPermissions(permissions)) {
        file.cancelWriting();
        return writeFailureReason(path, QFileDevice::PermissionsError);
    }
    bool written = file.write(bytes) == bytes.size();
#ifdef Q_OS_UNIX
    // Some file systems report a lack of space only when the data reaches the disk.
    if (written) written = ::fsync(file.handle()) == 0;
#endif
    if (!written) {
        file.cancelWriting();
        return writeFailureReason(path, QFileDevice::ResourceError);
    }
    if (!file.commit()) return writeFailureReason(path, file.error());
    return QString();
}

}  // namespace pirumoa
