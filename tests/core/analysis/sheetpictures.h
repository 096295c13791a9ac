#pragma once

// A grid's formats drawn as text, one character a cell and one line a row, so that a test can
// state a whole small grid at a glance.
#include <QString>
#include <QStringList>

#include "core/sheet/sheet.h"

namespace pirumoa::test {

template <class F>
QString picture(const Sheet& s, F code) {
    QString out;
    for (int r = 1; r <= s.rowCount(); ++r) {
        for (int c = 1; c <= s.columnCount(); ++c) out += QLatin1Char(code(c, r));
        out += QLatin1Char('\n');
    }
    return out;
}

// The windows' colours by one letter each, '?' for any other: White, blacK, Yellow (light),
// pale Aqua, light Green, light Pink, light Violet, Red, Blue.
inline char colourLetter(Rgb c) {
    const Rgb known[] = {colour::White,       colour::Black,      colour::LightYellow,
                         colour::PaleAqua,    colour::LightGreen, colour::LightPink,
                         colour::LightViolet, colour::Red,        colour::Blue};
    for (int i = 0; i < 9; ++i)
        if (c == known[i]) return "WKYAGPVRB"[i];
    return '?';
}

inline QString backgrounds(const Sheet& s) {
    return picture(s, [&](int c, int r) { return colourLetter(s.background(c, r)); });
}
inline QString foregrounds(const Sheet& s) {
    return picture(s, [&](int c, int r) { return colourLetter(s.foreground(c, r)); });
}
// 'L' left-aligned, '.' centred, 'E' a cell the user could edit.
inline QString alignments(const Sheet& s) {
    return picture(s, [&](int c, int r) {
        return s.editable(c, r) ? 'E' : s.align(c, r) == Align::Left ? 'L' : '.';
    });
}
// The sides with a line as a hex digit: 1 left, 2 right, 4 top, 8 bottom ('f' all four, '0'
// none). A line in any colour but black shows as '?'.
inline QString lines(const Sheet& s) {
    return picture(s, [&](int c, int r) {
        int sides = 0;
        for (Side side : {Left, Right, Top, Bottom}) {
            Rgb colour = 0;
            if (s.border(c, r, side, &colour) && colour != colour::Black) return '?';
            if (s.border(c, r, side, nullptr)) sides |= int(side);
        }
        return "0123456789abcdef"[sides];
    });
}
// Row heights, then column widths: "20 12 10 | 6 5 5".
inline QString sizes(const Sheet& s) {
    QStringList rows, cols;
    for (int r = 1; r <= s.rowCount(); ++r) rows << QString::number(s.rowHeight(r));
    for (int c = 1; c <= s.columnCount(); ++c) cols << QString::number(s.columnWidth(c));
    return rows.join(' ') + " | " + cols.join(' ');
}

}  // namespace pirumoa::test
