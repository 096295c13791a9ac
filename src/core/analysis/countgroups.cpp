#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

// The grid takes its rows from the totals grouped at start-up: none at all when the history
// has no records, so that the window shows an empty grid.
void setUpGrid(Sheet& s, int rows) {
    s.setSize(2, rows);
    s.setFrozenRows(1);
    s.setOverflow(true);
    s.setRowHeight(-1, 10);
    // Wide enough for a five-digit total and "回" in today's fonts.
    s.setColumnWidth(1, 8);
    s.setColumnWidth(2, 20);
    s.setBorder({1, 1, 2, rows}, AllSides, colour::Black);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setBackground({1, 2, 1, rows}, colour::LightYellow);
}

void writeHeader(Sheet& s, int rows) {
    s.setText(1, 1, QStringLiteral("出 現"));
    s.setText(2, 1, QStringLiteral("数 字"));
    s.setBackground({1, 1, 2, 1}, colour::LightPink);
    s.setForeground({2, 2, 2, rows}, colour::Blue);
    s.setAlign({2, 2, 2, rows}, Align::Left);
}

void fill(const DrawHistory& history, Sheet& s) {
    int row = 1;
    for (int k = 0; k <= history.maxDigitCount && k < int(history.digitsByCount.size()); ++k) {
        const QString& digits = history.digitsByCount[k];
        if (digits.isEmpty()) continue;
        ++row;
        s.setText(1, row, QString::number(k) + QStringLiteral("回"));
        s.setText(2, row, digits);
    }
}

}  // namespace

void fillCountGroups(const DrawHistory& history, Sheet& sheet) {
    const int rows = history.countGroupRows;
    setUpGrid(sheet, rows);
    writeHeader(sheet, rows);
    fill(history, sheet);
    sheet.setActiveCell(0, 0);
}

}  // namespace pirumoa
