#pragma once
// How messages name a draw and a file, the same in every message. Included by .cpp files only.
#include <QDir>
#include <QString>

#include "core/store/fileerror.h"

namespace pirumoa {

// "第123回".
inline QString drawLabel(int no) { return QStringLiteral("第%1回").arg(no); }

// 「C:\data\file.mdb」: a file or folder named in the system's separators, control characters
// made visible.
inline QString quoted(const QString& path) {
    return QStringLiteral("「%1」").arg(shownName(QDir::toNativeSeparators(path)));
}

}  // namespace pirumoa
