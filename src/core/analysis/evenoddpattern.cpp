#include "core/analysis/analyses.h"
#include "core/analysis/combinationpattern.h"

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kColumns = 8;

bool isEven(int d) { return d % 2 == 0; }

const PatternSplit& evenOdd() {
    static const PatternSplit split{.countedHeading = u"偶数"_s,
                                    .restHeading = u"奇数"_s,
                                    .counted = isEven,
                                    .letterByCounted = false};
    return split;
}

void setUpGrid(Sheet& s, int rows, double drawWidth, double countWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(1);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 20);
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(1, drawWidth);
    s.setColumnWidth(6, countWidth);
    s.setColumnWidth(7, countWidth);
    s.setColumnWidth(8, 7);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setForeground({1, 2, 1, rows}, colour::Red);
    s.setBackground({1, 2, 1, rows}, colour::LightYellow);
    s.setForeground({6, 2, 6, rows}, colour::Blue);
    s.setBackground({6, 2, 6, rows}, colour::PaleAqua);
    s.setForeground({7, 2, 7, rows}, colour::Blue);
    s.setBackground({7, 2, 7, rows}, colour::White);

    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::Black);
    s.setActiveCell(0, 0);
}

void writeHeader(Sheet& s, const PatternSplit& split) {
    // Columns 2 to 5 read as one box under the heading, which runs over them from column 3.
    s.clearBorder({2, 1, 5, 1});
    s.setBorder({2, 1, 5, 1}, Outline, colour::Black);
    s.setForeground({1, 1, kColumns, 1}, colour::Blue);
    s.setBackground({1, 1, kColumns, 1}, colour::LightPink);
    s.setOverflow(true);
    s.setAlign({3, 1, 3, 1}, Align::Left);
    s.setText(3, 1, u"    当 選 数 字      "_s);
    s.setRowHeight(1, 20);
    s.setText(1, 1, u"回数"_s);
    s.setText(6, 1, split.countedHeading);
    s.setText(7, 1, split.restHeading);
    s.setText(8, 1, u"パターン"_s);
}

void writePattern(Sheet& s, int row, const PatternProfile& p) {
    // Only the middle three counts are tinted; 0 and 4 keep the grid's white.
    static const Rgb tints[5] = {0, colour::PaleAqua, colour::LightGreen, colour::LightYellow, 0};
    s.setText(8, row, p.pattern);
    if (p.letterCount >= 1 && p.letterCount <= 3)
        s.setBackground({8, row, 8, row}, tints[p.letterCount]);
}

void fillDraws(const DrawHistory& history, Sheet& s, const PatternSplit& split) {
    int row = 2;
    history.forEachComplete([&](const DrawRecord& r) {
        s.setNumber(1, row, r.no);
        for (int i = 0; i < 4; ++i) {
            const int col = i + 2, d = r.digits[i];
            s.setNumber(col, row, d);
            // The other side keeps the grid's white.
            if (split.counted(d)) s.setBackground({col, row, col, row}, colour::PaleAqua);
        }
        const PatternProfile p = profileOf(r.digits, split);
        s.setNumber(6, row, p.counted);
        s.setNumber(7, row, p.rest);
        writePattern(s, row, p);
        ++row;
    });
}

}  // namespace

PatternProfile profileOf(const std::array<std::int8_t, 4>& digits, const PatternSplit& split) {
    // Four letters for five counts: a draw with all four digits on the letter's side has none.
    static const QString letters[5] = {u"A"_s, u"B"_s, u"C"_s, u"D"_s, QString()};
    PatternProfile p;
    for (int d : digits) p.counted += split.counted(d) ? 1 : 0;
    p.rest = 4 - p.counted;
    p.letterCount = split.letterByCounted ? p.counted : p.rest;
    p.pattern = letters[p.letterCount];
    return p;
}

void fillCombinationPattern(const DrawHistory& history, Sheet& sheet, const PatternSplit& split) {
    setUpGrid(sheet, history.latestDrawNo + 1, drawNumberWidth(history.latestDrawNo, 6),
              split.countWidth);
    writeHeader(sheet, split);
    fillDraws(history, sheet, split);
}

void fillEvenOddPattern(const DrawHistory& history, Sheet& sheet) {
    fillCombinationPattern(history, sheet, evenOdd());
}

}  // namespace pirumoa
