#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "core/sheet/colours.h"

namespace pirumoa {

// How every window looks: the sheets' colours as Qt colours, and the one font the windows
// were laid out with.
inline QColor toColor(Rgb c) { return QColor::fromRgb(QRgb(0xFF000000u | c)); }

// The family name the windows ask for; mapped to an installed font by installFonts().
inline QString windowFontFamily() { return QStringLiteral("ＭＳ Ｐゴシック"); }
inline QFont windowFont() { return QFont(windowFontFamily(), 9); }

// Maps the Windows font names the windows were laid out with to the installed fonts and
// makes the window font the application's.
void installFonts();

}  // namespace pirumoa
