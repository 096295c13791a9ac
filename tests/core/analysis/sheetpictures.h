#pragma once

// A grid's formats drawn as text, one character a cell and one line a row, so that a test can
// state a whole small grid at a glance.
#include <QString>
#include <vector>

#include "core/sheet/colours.h"
#include "core/sheet/sheet.h"

namespace pirumoa::test {

// The colours of the windows by one letter each; '?' for any other.
inline char colourLetter(Rgb c) {
    switch (c) {
        case colour::White:
            return 'W';
        case colour::Black:
            return 'K';
        case colour::LightYellow:
            return 'Y';
        case colour::PaleAqua:
            return 'A';
        case colour::LightGreen:
            return 'G';
        case colour::LightPink:
            return 'P';
        case colour::LightViolet:
            return 'V';
        case colour::Red:
            return 'R';
        case colour::Blue:
            return 'B';
        default:
            return '?';
    }
}

template <class F>
QString picture(const Sheet& s, F code) {
    QString out;
    for (int r = 1; r <= s.rowCount(); ++r) {
        for (int c = 1; c <= s.columnCount(); ++c) out += QLatin1Char(code(c, r));
        out += QLatin1Char('\n');
    }
    return out;
}

inline QString backgrounds(const Sheet& s) {
    return picture(s, [&](int c, int r) { return colourLetter(s.background(c, r)); });
}
inline QString foregrounds(const Sheet& s) {
    return picture(s, [&](int c, int r) { return colourLetter(s.foreground(c, r)); });
}
// 'L' left-aligned, '.' centred.
inline QString alignments(const Sheet& s) {
    return picture(s, [&](int c, int r) { return s.align(c, r) == Align::Left ? 'L' : '.'; });
}
// The sides that have a line, as a hex digit: 1 left, 2 right, 4 top, 8 bottom ('f' all four,
// '0' none). A line in any colour but black shows as '?'.
inline QString lines(const Sheet& s) {
    return picture(s, [&](int c, int r) {
        int sides = 0;
        for (Side side : {Left, Right, Top, Bottom}) {
            Rgb colour = 0;
            if (!s.border(c, r, side, &colour)) continue;
            if (colour != colour::Black) return '?';
            sides |= int(side);
        }
        return "0123456789abcdef"[sides];
    });
}
// Any cell the user could edit.
inline bool anyEditable(const Sheet& s) {
    for (int r = 1; r <= s.rowCount(); ++r)
        for (int c = 1; c <= s.columnCount(); ++c)
            if (s.editable(c, r)) return true;
    return false;
}
inline std::vector<double> rowHeights(const Sheet& s) {
    std::vector<double> out;
    for (int r = 1; r <= s.rowCount(); ++r) out.push_back(s.rowHeight(r));
    return out;
}
inline std::vector<double> columnWidths(const Sheet& s) {
    std::vector<double> out;
    for (int c = 1; c <= s.columnCount(); ++c) out.push_back(s.columnWidth(c));
    return out;
}

}  // namespace pirumoa::test
