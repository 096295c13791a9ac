#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

class QFile;

namespace pirumoa {

// Why a file could not be read, or written, as a plain Japanese sentence (the system's own
// texts are English).
QString readFailureReason(const QString& path);
QString writeFailureReason(const QString& path, QFileDevice::FileError error);

// Opens path for reading when it is a regular file: a FIFO is opened without waiting for a
// writer and refused, as are a folder and a device (/dev/zero), the check made on the open
// handle so that the name cannot be swapped in between. Empty on success, otherwise the
// reason as a sentence.
QString openRegularFile(QFile& file, const QString& path);

// A text from outside (a CSV field, a stored value) as a message quotes it: control
// characters shown as visible symbols, and at most 40 characters, the rest cut off with "…".
// A whole bad line could be megabytes, and a NUL would end the message early.
QString shownField(QStringView text);
// A file name as a message shows it: whole, with control characters made visible.
QString shownName(QStringView name);

// Replaces path with a file holding exactly bytes, or leaves it as it was: the bytes go to a
// file beside it that takes its place only after every byte has been written and synced. An
// empty string on success, otherwise the reason (writeFailureReason). With permissions, the
// file has them from its first byte on.
QString writeFileAtomically(const QString& path, const QByteArray& bytes,
                            QFileDevice::Permissions permissions = {});

}  // namespace pirumoa
