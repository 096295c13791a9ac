#pragma once

// Whole grids in tests: a grid's formats drawn as text, one character a cell and one line a
// row, so that a small grid can be written out by hand and compared at once; and a grid as the
// command-line tool prints it in JSON, against a hand-checked golden file compared cell by cell.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <map>
#include <string>
#include <utility>

#include "core/sheet/sheet.h"
#include "core/sheet/sheetformat.h"
#include "testsupport.h"

namespace pirumoa::test {

// One letter per named colour, '?' for any other.
inline char colourLetter(Rgb c) {
    static const std::map<Rgb, char> letters = {
        {colour::White, 'W'},       {colour::Black, 'K'},     {colour::LightYellow, 'Y'},
        {colour::LightPink, 'P'},   {colour::PaleAqua, 'A'},  {colour::LightGreen, 'G'},
        {colour::LightViolet, 'V'}, {colour::Lavender, 'L'},  {colour::Red, 'R'},
        {colour::Blue, 'B'},        {colour::MidBlue, 'M'},   {colour::LightBlue, 'b'},
        {colour::Aqua, 'Q'},        {colour::LightCyan, 'C'}, {colour::LightGrey, 'g'},
    };
    const auto it = letters.find(c);
    return it == letters.end() ? '?' : it->second;
}

template <class F>
std::string cellMap(const Sheet& s, F&& cellText) {
    std::string out;
    for (int r = 1; r <= s.rowCount(); ++r) {
        for (int c = 1; c <= s.columnCount(); ++c) out += cellText(c, r);
        out += '\n';
    }
    return out;
}

inline std::string backgrounds(const Sheet& s) {
    return cellMap(s, [&](int c, int r) { return colourLetter(s.background(c, r)); });
}

inline std::string foregrounds(const Sheet& s) {
    return cellMap(s, [&](int c, int r) { return colourLetter(s.foreground(c, r)); });
}

// 'L' left-aligned, '.' centred; an editable cell shows as 'e'.
inline std::string alignments(const Sheet& s) {
    return cellMap(s, [&](int c, int r) {
        if (s.editable(c, r)) return 'e';
        return s.align(c, r) == Align::Left ? 'L' : '.';
    });
}

// The sides a cell has lines on as a hex digit (left 1, right 2, top 4, bottom 8: 'F' all
// four, '0' none) when every line is of the given colour. A cell with a line of another colour
// shows the colour letters of its left, right, top and bottom lines in brackets, '.' for none:
// "[RKKK]".
inline std::string lines(const Sheet& s, Rgb colour = colour::Black) {
    return cellMap(s, [&](int c, int r) {
        int sides = 0;
        bool other = false;
        std::string letters = "[";
        for (Side side : {Left, Right, Top, Bottom}) {
            Rgb line = 0;
            const bool drawn = s.border(c, r, side, &line);
            letters += drawn ? colourLetter(line) : '.';
            if (drawn) sides |= int(side);
            other = other || (drawn && line != colour);
        }
        return other ? letters + ']' : std::string(1, "0123456789ABCDEF"[sides]);
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

// Row heights, then column widths: "20 12 10 | 6 5 5".
inline std::string sizes(const Sheet& s) {
    QStringList rows, cols;
    for (int r = 1; r <= s.rowCount(); ++r) rows << QString::number(s.rowHeight(r));
    for (int c = 1; c <= s.columnCount(); ++c) cols << QString::number(s.columnWidth(c));
    return (rows.join(' ') + " | " + cols.join(' ')).toStdString();
}

// A string repeated, for runs of identical rows.
inline std::string times(int n, const std::string& s) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The grid as the command-line tool prints it in JSON against golden/<file>, which lists one
// cell a line; differences are reported cell by cell.
inline void expectGoldenSheet(const QString& window, const Sheet& sheet, const char* file) {
    const QByteArray golden =
        readFile(QStringLiteral(PIRUMOA_TEST_DIR "/core/analysis/golden/") + file);
    ASSERT_FALSE(golden.isEmpty()) << file;
    QJsonParseError error{};
    const QJsonObject want = QJsonDocument::fromJson(golden, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << file;
    const QJsonObject got = QJsonDocument::fromJson(sheetsToJson(window, {&sheet})).object();
    ASSERT_EQ(got.value("window"), want.value("window"));
    const QJsonObject w = want.value("grids")[0].toObject(), g = got.value("grids")[0].toObject();
    auto text = [](const QJsonValue& v) {
        return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
    };
    for (const char* key : {"rows", "columns", "frozenRows", "rowHeights", "columnWidths"})
        EXPECT_EQ(text(g.value(key)), text(w.value(key))) << key;

    using Cells = std::map<std::pair<int, int>, QJsonObject>;
    auto cells = [](const QJsonObject& grid) {
        Cells out;
        for (const QJsonValue& v : grid.value("cells").toArray()) {
            const QJsonObject c = v.toObject();
            out[{c.value("r").toInt(), c.value("c").toInt()}] = c;
        }
        return out;
    };
    const Cells wantCells = cells(w), gotCells = cells(g);
    auto show = [](const Cells& all, const std::pair<int, int>& at) {
        const auto it = all.find(at);
        return it == all.end()
                   ? std::string("(default)")
                   : QJsonDocument(it->second).toJson(QJsonDocument::Compact).toStdString();
    };
    Cells every = wantCells;
    every.insert(gotCells.begin(), gotCells.end());
    for (const auto& cell : every)
        EXPECT_EQ(show(gotCells, cell.first), show(wantCells, cell.first))
            << "row " << cell.first.first << " column " << cell.first.second;
}

// The heading pair of the two last-digit windows as TSV rows: 43 spaces, the words, 27
// spaces, three ideographic spaces, 18 spaces, 96 characters in all.
inline QByteArray lastDigitHeadingRow() {
    const QString heading = QString(43, ' ') + QStringLiteral("下一桁数字") + QString(27, ' ') +
                            QString(3, QChar(0x3000)) + QString(18, ' ');
    EXPECT_EQ(heading.size(), 96);
    return (QStringLiteral("回数\t") + heading + QString(9, '\t') + '\n').toUtf8();
}
inline const char* const kLastDigitRow = "\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\n";

}  // namespace pirumoa::test
