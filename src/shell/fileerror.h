#pragma once

#include <QFileDevice>
#include <QString>

namespace pirumoa {

// Why a file could not be read, or written, as a plain Japanese sentence (the system's own
// texts are English).
QString readFailureReason(const QString& path);
QString writeFailureReason(const QString& path, QFileDevice::FileError error);

}  // namespace pirumoa
