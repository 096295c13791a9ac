#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace pirumoa {

// Why a file could not be read, or written, as a plain Japanese sentence (the system's own
// texts are English).
QString readFailureReason(const QString& path);
QString writeFailureReason(const QString& path, QFileDevice::FileError error);

// Replaces path with a file holding exactly bytes, or leaves it as it was: the bytes go to a
// file beside it that takes its place only after every byte has been written and synced. An
// empty string on success, otherwise the reason (writeFailureReason).
QString writeFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace pirumoa
