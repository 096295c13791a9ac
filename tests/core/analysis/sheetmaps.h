#pragma once

// Whole grids drawn as text, one character a cell and one line a row, so that a golden for
// a small history shows every cell's colour, alignment and lines at a glance.
#include <map>
#include <string>

#include "core/sheet/sheet.h"

namespace pirumoa::test {

// The colours of the grids, one letter each.
inline const std::map<Rgb, char>& colourLetters() {
    static const std::map<Rgb, char> letters = {
        {colour::White, 'W'},       {colour::Black, 'K'},     {colour::LightYellow, 'Y'},
        {colour::LightPink, 'P'},   {colour::PaleAqua, 'A'},  {colour::LightGreen, 'G'},
        {colour::LightViolet, 'V'}, {colour::Lavender, 'L'},  {colour::Red, 'R'},
        {colour::Blue, 'B'},        {colour::MidBlue, 'M'},   {colour::LightBlue, 'b'},
        {colour::Aqua, 'Q'},        {colour::LightCyan, 'C'}, {colour::LightGrey, 'g'},
    };
    return letters;
}

template <class F>
std::string cellMap(const Sheet& s, F&& letter) {
    std::string out;
    for (int r = 1; r <= s.rowCount(); ++r) {
        for (int c = 1; c <= s.columnCount(); ++c) out += letter(c, r);
        out += '\n';
    }
    return out;
}

inline char letterOf(Rgb colour) {
    const auto it = colourLetters().find(colour);
    return it == colourLetters().end() ? '?' : it->second;
}

inline std::string backgrounds(const Sheet& s) {
    return cellMap(s, [&](int c, int r) { return letterOf(s.background(c, r)); });
}

inline std::string foregrounds(const Sheet& s) {
    return cellMap(s, [&](int c, int r) { return letterOf(s.foreground(c, r)); });
}

// 'L' left-aligned, '.' centred; an editable cell shows as 'e'.
inline std::string alignments(const Sheet& s) {
    return cellMap(s, [&](int c, int r) {
        if (s.editable(c, r)) return 'e';
        return s.align(c, r) == Align::Left ? 'L' : '.';
    });
}

// The sides a cell has lines on as a hex digit (left 1, right 2, top 4, bottom 8), when every
// line is of the given colour; '?' where one is of another colour.
inline std::string lines(const Sheet& s, Rgb colour) {
    return cellMap(s, [&](int c, int r) {
        int sides = 0;
        const Side all[4] = {Left, Right, Top, Bottom};
        for (int i = 0; i < 4; ++i) {
            Rgb line = 0;
            if (!s.border(c, r, all[i], &line)) continue;
            if (line != colour) return '?';
            sides |= 1 << i;
        }
        return "0123456789ABCDEF"[sides];
    });
}

// The texts of a sparse grid: per row the non-empty cells as "column=text" joined by "|".
inline std::string texts(const Sheet& s) {
    std::string out;
    for (int r = 1; r <= s.rowCount(); ++r) {
        std::string row;
        for (int c = 1; c <= s.columnCount(); ++c) {
            const QString t = s.text(c, r);
            if (t.isEmpty()) continue;
            if (!row.empty()) row += '|';
            row += std::to_string(c) + '=' + t.toStdString();
        }
        out += row + '\n';
    }
    return out;
}

// A string repeated, for runs of identical rows.
inline std::string times(int n, const std::string& s) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace pirumoa::test
