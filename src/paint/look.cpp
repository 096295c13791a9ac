#include "paint/look.h"

#include <QGuiApplication>

namespace pirumoa {

void installFonts() {
    QFont::insertSubstitution(windowFontFamily(), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("HGS明朝E"), QStringLiteral("IPAPMincho"));
    QGuiApplication::setFont(windowFont());
}

}  // namespace pirumoa
