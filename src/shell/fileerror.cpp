#include "fileerror.h"

#include <QFileInfo>

namespace pirumoa {

QString readFailureReason(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) return QStringLiteral("ファイルが見つかりません。");
    if (file.isDir()) return QStringLiteral("ファイルではなくフォルダーです。");
    if (!file.isReadable()) return QStringLiteral("ファイルを読み取る権限がありません。");
    return QStringLiteral("ファイルを読み取れませんでした。");
}

QString writeFailureReason(const QString& path, QFileDevice::FileError error) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists()) return QStringLiteral("保存先のフォルダーがありません。");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("ファイルが読み取り専用になっています。");
    if (!folder.isWritable())
        return QStringLiteral("保存先のフォルダーに書き込む権限がありません。");
    if (error == QFileDevice::ResourceError || error == QFileDevice::WriteError)
        return QStringLiteral("書き込みに失敗しました。ディスクの空き容量を確認してください。");
    return QStringLiteral("ファイルを書き込めませんでした。");
}

}  // namespace pirumoa
