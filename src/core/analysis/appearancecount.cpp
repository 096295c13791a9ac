#include <array>

#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 9;

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(2);
    s.setOverflow(true);
    s.setRowHeight(-1, 10);
    s.setRowHeight(2, 12);
    // Wide enough for "第1数字" in today's fonts.
    s.setColumnWidth(-1, 8);
    s.setColumnWidth(1, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setForeground({1, 1, 1, rows}, colour::Red);
    s.setBackground({1, 1, 1, rows}, colour::LightYellow);
    // One row further than the grid holds; the rows past its end take nothing.
    s.setBorder({1, 1, kColumns, rows + 1}, AllSides, colour::Black);
}

// A title band over four columns: one box with its own colours, no lines inside.
void band(Sheet& s, int first, int last, Rgb text, Rgb background) {
    const Block b{first, 1, last, 1};
    s.setForeground(b, text);
    s.setBackground(b, background);
    s.clearBorder(b);
    s.setBorder(b, Outline, colour::Black);
}

void writeTitles(Sheet& s) {
    s.setRowHeight(1, 20);
    band(s, 2, 5, colour::Blue, colour::PaleAqua);
    band(s, 6, 9, colour::Red, colour::LightGreen);
    s.setText(3, 1, QStringLiteral("  当 選 数 字"));
    s.setAlign({3, 1, 3, 1}, Align::Left);
    s.setText(8, 1, QStringLiteral("前回までの出現回数合計(回)"));

    s.setText(1, 2, QStringLiteral("回数"));
    for (int p = 1; p <= 4; ++p) {
        const QString title = QStringLiteral("第%1数字").arg(p);
        s.setText(1 + p, 2, title);
        s.setText(5 + p, 2, title);
    }
}

void fill(const DrawHistory& history, Sheet& s) {
    std::array<int, 10> tally{};
    int row = 3;
    history.forEachComplete([&](const DrawRecord& r) {
        s.setNumber(1, row, r.no);
        // Every tally of the draw is written before any grows: a digit drawn twice shows
        // the same count in both of its cells.
        for (int p = 0; p < 4; ++p) {
            s.setNumber(2 + p, row, r.digits[p]);
            s.setNumber(6 + p, row, tally[r.digits[p]]);
        }
        for (std::int8_t d : r.digits) ++tally[d];
        ++row;
    });
}

}  // namespace

void fillAppearanceCount(const DrawHistory& history, Sheet& sheet) {
    setUpGrid(sheet, history.latestDrawNo + 2, drawNumberWidth(history.latestDrawNo, 6));
    writeTitles(sheet);
    fill(history, sheet);
    sheet.setActiveCell(0, 0);
}

}  // namespace pirumoa
