// A sheet drawn as plain-text maps, one line per grid row, so that a whole grid can be written
// out by hand in a test and compared at once.
#pragma once

#include <string>
#include <vector>

#include "core/sheet/sheet.h"

namespace pirumoa::test {

// One letter per named colour; "?" for any other.
inline char colourLetter(Rgb c) {
    struct Named {
        Rgb rgb;
        char letter;
    };
    static const Named named[] = {
        {colour::White, 'w'},     {colour::Black, 'k'},       {colour::LightYellow, 'y'},
        {colour::LightPink, 'p'}, {colour::PaleAqua, 'a'},    {colour::LightGreen, 'g'},
        {colour::Lavender, 'l'},  {colour::LightViolet, 'v'}, {colour::LightGrey, 'e'},
        {colour::Red, 'r'},       {colour::Blue, 'b'},        {colour::MidBlue, 'm'},
        {colour::LightCyan, 'c'}, {colour::Aqua, 'q'},        {colour::LightBlue, 'i'}};
    for (const Named& n : named)
        if (n.rgb == c) return n.letter;
    return '?';
}

template <class F>
std::string eachRow(const Sheet& s, F&& cellText) {
    std::string out;
    for (int r = 1; r <= s.rowCount(); ++r) {
        for (int c = 1; c <= s.columnCount(); ++c) out += cellText(c, r);
        out += '\n';
    }
    return out;
}

// Background letters, one a column.
inline std::string backgrounds(const Sheet& s) {
    return eachRow(s,
                   [&](int c, int r) { return std::string(1, colourLetter(s.background(c, r))); });
}

// Text colour letters, one a column.
inline std::string foregrounds(const Sheet& s) {
    return eachRow(s,
                   [&](int c, int r) { return std::string(1, colourLetter(s.foreground(c, r))); });
}

// Per cell the colour letters of its left, right, top and bottom lines ("." for none),
// cells separated by a space.
inline std::string lines(const Sheet& s) {
    return eachRow(s, [&](int c, int r) {
        std::string cell = c > 1 ? " " : "";
        for (Side side : {Left, Right, Top, Bottom}) {
            Rgb colour = 0;
            cell += s.border(c, r, side, &colour) ? colourLetter(colour) : '.';
        }
        return cell;
    });
}

// "L" for a left-aligned cell, "." for a centred one; "e" marks an editable cell.
inline std::string alignments(const Sheet& s) {
    return eachRow(s, [&](int c, int r) {
        if (s.editable(c, r)) return std::string("e");
        return std::string(s.align(c, r) == Align::Left ? "L" : ".");
    });
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

// The same row repeated: most rows of a map look alike.
inline std::string repeat(const std::string& row, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += row + '\n';
    return out;
}

}  // namespace pirumoa::test
