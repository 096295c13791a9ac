#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 6;
constexpr int kSumColumn = 6;

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(1);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 20);
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(1, drawWidth);
    s.setColumnWidth(kSumColumn, 7);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setForeground({1, 2, 1, rows}, colour::Red);
    s.setBackground({1, 2, 1, rows}, colour::LightYellow);
    s.setForeground({kSumColumn, 2, kSumColumn, rows}, colour::Blue);
    s.setBackground({kSumColumn, 2, kSumColumn, rows}, colour::PaleAqua);
    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::Black);
    // The current cell stays where the grid starts it: this window never moves it.
}

void writeHeader(Sheet& s) {
    // The four digit columns read as one box under their heading, closed by 合計.
    s.clearBorder({2, 1, 5, 1});
    s.setBorder({2, 1, kSumColumn, 1}, Outline, colour::Black);
    s.setForeground({1, 1, kColumns, 1}, colour::Black);
    s.setBackground({1, 1, kColumns, 1}, colour::LightPink);
    s.setOverflow(true);
    s.setText(3, 1, QStringLiteral("　当 選 数 字"));
    s.setAlign({3, 1, 3, 1}, Align::Left);
    s.setRowHeight(1, 20);
    s.setText(1, 1, QStringLiteral("回数"));
    s.setText(kSumColumn, 1, QStringLiteral("合計"));
}

void fillDraws(const DrawHistory& history, Sheet& s) {
    int row = 2;
    history.forEachComplete([&](const DrawRecord& r) {
        s.setNumber(1, row, r.no);
        int sum = 0;
        for (int k = 0; k < 4; ++k) {
            s.setNumber(k + 2, row, r.digits[k]);
            sum += r.digits[k];
        }
        s.setNumber(kSumColumn, row, sum);
        ++row;
    });
}

}  // namespace

void fillDigitSum(const DrawHistory& history, Sheet& sheet) {
    setUpGrid(sheet, history.latestDrawNo + 1, drawNumberWidth(history.latestDrawNo, 7));
    writeHeader(sheet);
    fillDraws(history, sheet);
}

}  // namespace pirumoa
