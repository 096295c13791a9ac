#include "gui/shell/look.h"

#include <QApplication>

namespace pirumoa {

void installFonts() {
    QFont::insertSubstitution(windowFontFamily(), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("HGS明朝E"), QStringLiteral("IPAPMincho"));
    QApplication::setFont(windowFont());
}

}  // namespace pirumoa
