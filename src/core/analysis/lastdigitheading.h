#pragma once

#include <QString>

namespace pirumoa {

// What the two last-digit windows share: their heading text, and the order of the heading
// pair, written once at the top (heading first) and again at the bottom (digits first).
enum class HeadingOrder { HeadingFirst, DigitsFirst };

inline QString lastDigitHeadingText() {
    return QString(43, u' ') + QStringLiteral("下一桁数字") + QString(27, u' ') +
           QStringLiteral("　　　") + QString(18, u' ');
}

}  // namespace pirumoa
